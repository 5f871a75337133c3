// SPDX-License-Identifier: GPL-3.0-or-later
// Screen benchmarks: the CPU the roulette uses while its ball spins and
// runs on, and the time of every hand-over between screens.
//
//   screens_bench wheel      spins for 10 s with real timers, stops, runs on
//                            to the halt; CPU time as a share of one core
//   screens_bench handover   each hand-over 30 times: click to the next
//                            screen's activation done, median and maximum
//   screens_bench            both
//
// Run it under a real X server (xvfb-run -a) or on the offscreen platform
// (QT_QPA_PLATFORM=offscreen).  Sound is silent; the clock and random
// numbers are the real ones; progress files go to a temporary folder.
#include "bank/QuestionBank.h"
#include "platform/Forms.h"
#include "platform/Services.h"
#include "platform/Timer.h"
#include "screens/Screens.h"
#include "screens/front/StartMenu.h"
#include "screens/front/TitleScreen.h"
#include "screens/history/HistoryScreen.h"
#include "screens/quiz/QuizScreen.h"
#include "screens/roulette/RouletteScreen.h"
#include "screens/tutor/TutorScreen.h"
#include "state/ProgressFile.h"
#include "state/Session.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Answers every box at once: a fixed code, and Yes.
class AnsweringDialogs : public platform::Dialogs {
public:
    bool askYesNo(QWidget *, const QString &, const QString &) override { return true; }
    QString inputBox(QWidget *, const QString &, const QString &) override { return QStringLiteral("bench"); }
    void showError(QWidget *, const QString &text, const QString &) override {
        std::fprintf(stderr, "error: %s\n", text.toUtf8().constData());
    }
};

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

template <class T>
T *openForm(screens::ScreenId id) {
    return qobject_cast<T *>(screens::findScreen(id));
}

void fresh(int questionNo, double score = 0) {
    platform::forms::resetForTests();
    settle();
    state::resetSession();
    state::Session &m = state::session();
    m.userCode = QStringLiteral("bench");
    m.question = static_cast<short>(questionNo);
    m.score = score;
    state::progress::save(m);
}

screens::QuizScreen *showQuiz(int questionNo) {
    fresh(questionNo);
    const screens::ScreenId id = screens::quizScreenFor(questionNo);
    screens::showScreen(id);
    settle();
    return openForm<screens::QuizScreen>(id);
}

void wheel() {
    fresh(6, 0);
    platform::Timer::setManualMode(false);
    auto *f = qobject_cast<screens::RouletteScreen *>(screens::showScreen(screens::ScreenId::Roulette));
    wait(500);
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    f->startButton->click();
    wait(10000);
    const double spinCpu = cpuSeconds() - cpu0;
    const double spinWall = wall.nsecsElapsed() / 1e9;
    f->stopButton->click();
    QElapsedTimer runOn;
    runOn.start();
    while (!f->nextButton->isEnabled() && runOn.elapsed() < 20000) wait(20);
    const double cpu = cpuSeconds() - cpu0;
    const double seconds = wall.nsecsElapsed() / 1e9;
    std::printf(
        "wheel: spinning %.1f s: %.3f s CPU (%.2f%% of one core); spin and run-on %.1f s: %.3f s CPU (%.2f%%)\n",
        spinWall, spinCpu, 100 * spinCpu / spinWall, seconds, cpu, 100 * cpu / seconds);
    platform::Timer::setManualMode(true);
}

struct Sample {
    const char *name;
    std::vector<double> ms;
};

// Times a click (its handler runs the next screen's activation before it
// returns), after the given set-up.
void timeIt(Sample &s, const std::function<QAbstractButton *()> &setUp) {
    for (int i = 0; i < 30; ++i) {
        QAbstractButton *b = setUp();
        if (!b) {
            std::fprintf(stderr, "%s: nothing to click\n", s.name);
            return;
        }
        QElapsedTimer t;
        t.start();
        b->click();
        s.ms.push_back(t.nsecsElapsed() / 1e6);
        settle();
    }
}

void handovers() {
    using namespace screens;
    std::vector<Sample> samples{{"title -> start menu", {}}, {"start menu -> quiz", {}}, {"quiz -> roulette", {}},
                                {"roulette -> quiz", {}},    {"quiz -> tutor", {}},      {"tutor -> quiz", {}},
                                {"quiz -> history", {}},     {"roulette -> history", {}}};
    timeIt(samples[0], [] {
        fresh(1);
        screens::showScreen(screens::ScreenId::Title);
        return openForm<TitleScreen>(ScreenId::Title)->nextButton;
    });
    timeIt(samples[1], [] {
        fresh(1);
        screens::showScreen(screens::ScreenId::StartMenu);
        return openForm<StartMenu>(ScreenId::StartMenu)->newRunButton;
    });
    timeIt(samples[2], []() -> QAbstractButton * {
        QuizScreen *q = showQuiz(5);
        const state::Session &m = state::session();
        q->board.answerButtons[bank::rightButton(m.question, m.variant)]->click();
        return q->board.nextButton;
    });
    timeIt(samples[3], [] {
        fresh(11);
        auto *f = qobject_cast<RouletteScreen *>(screens::showScreen(screens::ScreenId::Roulette));
        f->nextButton->setEnabled(true);  // as after the halt
        return f->nextButton;
    });
    timeIt(samples[4], []() -> QAbstractButton * {
        QuizScreen *q = showQuiz(12);
        const state::Session &m = state::session();
        q->board.answerButtons[bank::rightButton(m.question, m.variant) == 8 ? 1 : 8]->click();
        return q->board.helpButton;
    });
    timeIt(samples[5], [] {
        fresh(12);
        screens::showScreen(screens::ScreenId::Tutor);
        return openForm<TutorScreen>(ScreenId::Tutor)->exitButton;
    });
    timeIt(samples[6], [] { return showQuiz(23)->board.quitButton; });
    timeIt(samples[7], [] {
        fresh(30);
        auto *f = qobject_cast<RouletteScreen *>(screens::showScreen(screens::ScreenId::Roulette));
        f->nextButton->setEnabled(true);
        return f->nextButton;
    });
    // The save that most hand-overs begin with: write, flush to disk,
    // rename, flush the folder.
    Sample save{"progress save alone", {}};
    fresh(12);
    for (int i = 0; i < 30; ++i) {
        QElapsedTimer t;
        t.start();
        state::progress::save(state::session());
        save.ms.push_back(t.nsecsElapsed() / 1e6);
    }
    samples.push_back(save);
    for (Sample &s : samples) {
        std::sort(s.ms.begin(), s.ms.end());
        if (s.ms.empty()) continue;
        std::printf("%-22s median %6.2f ms  max %6.2f ms  (%zu runs)\n", s.name, s.ms[s.ms.size() / 2], s.ms.back(),
                    s.ms.size());
    }
}

}  // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLatin1(argv[1]) : QString();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    AnsweringDialogs dialogs;
    platform::services().dialogs = &dialogs;
    platform::Timer::setManualMode(true);
    std::printf("platform: %s\n", QGuiApplication::platformName().toUtf8().constData());
    if (mode.isEmpty() || mode == "handover") handovers();
    if (mode.isEmpty() || mode == "wheel") wheel();
    platform::forms::resetForTests();
    return 0;
}
