// SPDX-License-Identifier: GPL-3.0-or-later
// Renders one screen in a given state to a PNG file, for looking at the
// screens without clicking through the course:
//
//   screenshot quiz <question> <variant> <out.png> [wrong]
//   screenshot tutor <question> <clicks> <out.png>
//   screenshot title <out.png>
//   screenshot roulette <score> <ticks> <out.png>      (ticks: -1 fresh, N spin N ticks
//                                                       and hold the ball, or "halt" with a number)
//   screenshot history <question> <misses> <out.png>   (misses on each question so far)
//   screenshot review <question> <out.png> [wrong]     (the review asking that question)
//   screenshot review-summary <missed> <out.png>       (a round of ten, the first <missed> still missed)
//
// Before the screen's name, --scale VALUE (auto, or 1 to 3) draws it at
// that display scale, and --screen saves the whole screen with the window
// on it instead of the window alone.  Without --scale the scale is the
// one the game would choose (the setting, else auto for the screen).  It
// prints the scale and the window's share of the screen's height.
//
// It runs in a fresh temporary working directory with a progress file made
// for the purpose; nothing is played and no learner's file is touched.
#include "bank/QuestionBank.h"
#include "platform/Form.h"
#include "platform/Forms.h"
#include "platform/Settings.h"
#include "platform/Timer.h"
#include "screens/Screens.h"
#include "screens/history/HistoryScreen.h"
#include "screens/review/Review.h"
#include "screens/review/ReviewScreen.h"
#include "screens/quiz/QuizScreen.h"
#include "screens/roulette/RouletteScreen.h"
#include "screens/tutor/TutorScreen.h"
#include "state/Session.h"
#include "state/ProgressFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <optional>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    std::optional<QString> scaleOption;
    bool wholeScreen = false;
    while (!args.isEmpty() && args[0].startsWith(QLatin1String("--"))) {
        if (args[0] == QLatin1String("--screen")) {
            wholeScreen = true;
            args.removeFirst();
        } else if (args[0] == QLatin1String("--scale") && args.size() > 1) {
            scaleOption = args[1];
            args.remove(0, 2);
        } else {
            std::fprintf(stderr, "screenshot: unknown option %s\n", qPrintable(args[0]));
            return 2;
        }
    }
    // The display scale, as the game chooses it at start.
    QStringList warnings;
    const platform::DisplayScale scale = platform::chooseDisplayScale(
        scaleOption ? &*scaleOption : nullptr,
        [] { return QSizeF(QGuiApplication::primaryScreen()->availableGeometry().size()); },
        screens::largestScreenSize(), &warnings);
    platform::applyDisplayScale(scale);
    for (const QString &w : warnings) std::fprintf(stderr, "screenshot: %s\n", qPrintable(w));
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: screenshot quiz|tutor|title ...\n");
        return 2;
    }
    const QString out = QDir::current().absoluteFilePath(args.last() == "wrong" ? args[args.size() - 2] : args.last());
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    platform::Timer::setManualMode(true);

    state::Session &m = state::session();
    m.userCode = "shot";
    QWidget *shown = nullptr;
    if (args[0] == "quiz" && args.size() >= 4) {
        m.question = static_cast<short>(args[1].toInt());
        m.variant = static_cast<short>(args[2].toInt());
        if (state::Session::inRange(m.question)) m.variantDrawn[m.question] = true;
        state::progress::save(m);
        auto *quiz = qobject_cast<screens::QuizScreen *>(screens::showScreen(screens::quizScreenFor(m.question)));
        if (quiz && args.last() == "wrong") quiz->answerClicked(8);
        shown = quiz;
    } else if (args[0] == "tutor" && args.size() >= 4) {
        m.question = static_cast<short>(args[1].toInt());
        auto *tutor = qobject_cast<screens::TutorScreen *>(screens::showScreen(screens::ScreenId::Tutor));
        for (int i = 0; tutor && i < args[2].toInt(); ++i) tutor->nextClicked();
        shown = tutor;
    } else if (args[0] == "roulette" && args.size() >= 4) {
        m.score = args[1].toDouble();
        auto *wheel = qobject_cast<screens::RouletteScreen *>(screens::showScreen(screens::ScreenId::Roulette));
        const int ticks = args[2].toInt();
        if (wheel && ticks >= 0) {
            wheel->startClicked();
            for (int i = 0; i < ticks; ++i) {
                wheel->spinTimer->fire();
                if (i + 1 < ticks) wheel->ballPauseTimer->fire();
            }
        } else if (wheel && ticks < -1) {
            // Spin, stop, and run on to the halt.
            wheel->startClicked();
            wheel->spinTimer->fire();
            wheel->ballPauseTimer->fire();
            wheel->stopClicked();
            while (wheel->runOnTimer->isEnabled()) {
                wheel->runOnTimer->fire();
                wheel->ballPauseTimer->fire();
            }
        }
        shown = wheel;
    } else if (args[0] == "history" && args.size() >= 4) {
        m.question = static_cast<short>(args[1].toInt());
        for (int i = 1; i <= state::kQuestions; ++i) {
            if (i < m.question) {
                m.misses[i] = static_cast<short>(args[2].toInt() * (i % 3));
                m.answerTimes[i] = static_cast<float>(7 + (i * 37) % 300);
            }
        }
        m.score = 3000.0 * (m.question - 1) - 3000.0 * args[2].toInt() * m.question;
        shown = screens::history::showAndFill(QString::number(m.score));
    } else if (args[0] == "review" && args.size() >= 3) {
        review::current().round.emplace(std::vector<int>{args[1].toInt()});
        auto *quiz = qobject_cast<screens::ReviewScreen *>(screens::showScreen(screens::ScreenId::Review));
        if (quiz && args.last() == "wrong") quiz->answerClicked(8);
        shown = quiz;
    } else if (args[0] == "review-summary" && args.size() >= 3) {
        // Ten questions with long titles; the first <missed> of them are
        // answered wrongly at both showings.
        const std::vector<int> questions{16, 11, 26, 6, 14, 21, 28, 3, 4, 22};
        review::Round &round = review::current().round.emplace(questions);
        const int missed = args[1].toInt();
        while (const review::Round::Item *item = round.current()) {
            const auto at = std::find(questions.begin(), questions.end(), item->question) - questions.begin();
            if (at < missed) round.answer(8);
            round.answer(bank::rightButton(item->question, item->variant));
            round.next();
        }
        shown = screens::showScreen(screens::ScreenId::ReviewSummary);
    } else if (args[0] == "title") {
        shown = screens::showScreen(screens::ScreenId::Title);
    }
    if (!shown) {
        std::fprintf(stderr, "nothing to show\n");
        return 1;
    }
    QApplication::processEvents();
    const QScreen *screen = shown->screen();
    const double ratio = shown->devicePixelRatioF();
    const QSize screenPixels = screen->geometry().size() * screen->devicePixelRatio();
    std::printf("screen %dx%d, scale %.4g, window %dx%d device pixels, %.1f%% of the screen's height\n",
                screenPixels.width(), screenPixels.height(), ratio, qRound(shown->width() * ratio),
                qRound(shown->height() * ratio), 100.0 * shown->height() / screen->geometry().height());
    if (!wholeScreen) return shown->grab().save(out) ? 0 : 1;
    // The window must be on the screen before the screen is read.
    QElapsedTimer waited;
    waited.start();
    while (!(shown->windowHandle() && shown->windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    waited.restart();
    while (waited.elapsed() < 300) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return shown->screen()->grabWindow(0).save(out) ? 0 : 1;
}
