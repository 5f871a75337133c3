// Renders one screen in a given state to a PNG file, for looking at the
// screens without clicking through the course:
//
//   screenshot quiz <question> <variant> <out.png> [wrong]
//   screenshot tutor <question> <clicks> <out.png>
//   screenshot title <out.png>
//   screenshot roulette <score> <ticks> <out.png>      (ticks: -1 fresh, N spin N ticks
//                                                       and hold the ball, or "halt" with a number)
//   screenshot history <question> <misses> <out.png>   (misses on each question so far)
//
// It runs in a fresh temporary working directory with a progress file made
// for the purpose; nothing is played and no learner's file is touched.
#include "platform/Form.h"
#include "platform/Forms.h"
#include "platform/Timer.h"
#include "screens/Screens.h"
#include "screens/history/Form6.h"
#include "screens/quiz/QuizScreen.h"
#include "screens/roulette/Form4.h"
#include "screens/tutor/Form5.h"
#include "state/Module1.h"
#include "state/ProgressFile.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: screenshot quiz|tutor|title ...\n");
        return 2;
    }
    const QString out = QDir::current().absoluteFilePath(args.last() == "wrong" ? args[args.size() - 2] : args.last());
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    platform::Timer::setManualMode(true);
    screens::registerAll();

    state::Module1 &m = state::module1();
    m.UserFileStem = "shot";
    QWidget *shown = nullptr;
    if (args[0] == "quiz" && args.size() >= 4) {
        m.QuestionNo = static_cast<short>(args[1].toInt());
        m.VariantNo = static_cast<short>(args[2].toInt());
        if (state::Module1::inRange(m.QuestionNo)) m.VariantPicked[m.QuestionNo] = 1;
        state::progress::save(m);
        auto *quiz = qobject_cast<screens::QuizScreen *>(platform::forms::show(m.QuestionNo <= 15 ? "Form3" : "Form7"));
        if (quiz && args.last() == "wrong") quiz->AnswerClick(8);
        shown = quiz;
    } else if (args[0] == "tutor" && args.size() >= 4) {
        m.QuestionNo = static_cast<short>(args[1].toInt());
        auto *tutor = qobject_cast<screens::Form5 *>(platform::forms::show("Form5"));
        for (int i = 0; tutor && i < args[2].toInt(); ++i) tutor->Command1Click();
        shown = tutor;
    } else if (args[0] == "roulette" && args.size() >= 4) {
        m.Score = args[1].toDouble();
        auto *wheel = qobject_cast<screens::Form4 *>(platform::forms::show("Form4"));
        const int ticks = args[2].toInt();
        if (wheel && ticks >= 0) {
            wheel->Command1Click();
            for (int i = 0; i < ticks; ++i) {
                wheel->Timer2->fire();
                if (i + 1 < ticks) wheel->BallPause->fire();
            }
        } else if (wheel && ticks < -1) {
            // Spin, stop, and run on to the halt.
            wheel->Command1Click();
            wheel->Timer2->fire();
            wheel->BallPause->fire();
            wheel->Command2Click();
            while (wheel->Timer3->isEnabled()) {
                wheel->Timer3->fire();
                wheel->BallPause->fire();
            }
        }
        shown = wheel;
    } else if (args[0] == "history" && args.size() >= 4) {
        m.QuestionNo = static_cast<short>(args[1].toInt());
        for (int i = 1; i <= state::kQuestions; ++i) {
            if (i < m.QuestionNo) {
                m.MissCount[i] = static_cast<short>(args[2].toInt() * (i % 3));
                m.AnswerTime[i] = static_cast<float>(7 + (i * 37) % 300);
            }
        }
        m.Score = 3000.0 * (m.QuestionNo - 1) - 3000.0 * args[2].toInt() * m.QuestionNo;
        shown = screens::history::showAndFill(QString::number(m.Score));
    } else if (args[0] == "title") {
        shown = platform::forms::show("Form1");
    }
    if (!shown) {
        std::fprintf(stderr, "nothing to show\n");
        return 1;
    }
    QApplication::processEvents();
    return shown->grab().save(out) ? 0 : 1;
}
