// Renders one screen in a given state to a PNG file, for looking at the
// screens without clicking through the course:
//
//   screenshot quiz <question> <variant> <out.png> [wrong]
//   screenshot tutor <question> <clicks> <out.png>
//   screenshot title <out.png>
//
// It runs in a fresh temporary working directory with a progress file made
// for the purpose; nothing is played and no learner's file is touched.
#include "platform/Form.h"
#include "platform/Forms.h"
#include "platform/Timer.h"
#include "screens/Screens.h"
#include "screens/quiz/QuizScreen.h"
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
