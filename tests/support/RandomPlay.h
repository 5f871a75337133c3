// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A random-play run through the real screens.  A generator of its own,
// seeded, picks one event at a time on whatever screen is open: a click on
// an enabled button, a tick of an enabled timer, the close box, the clock
// moving on (across midnight too), answers waiting for the input box
// (valid codes, Cancel and hostile ones) and for the Yes/No box.  When the
// program ends it starts again from the title, as a new process would, with
// the progress files left on disk.
//
// After every event it checks what must hold whatever the learner does:
// the progress file of the current code reads back and every save holds
// the expected score and misses; question stays within 1..30 and never
// goes back within a run; the score is 3000 for each right answer minus
// 3000 for each wrong one plus what the wheels gave, counted by the driver
// itself from the answer key and the roulette's arithmetic; the start menu
// refuses hostile codes and takes valid ones; one screen at a time, the
// one the question belongs to; the shown score is the score; no failure
// message; no stray file in the working folder.

#include "support/Fakes.h"

#include <QByteArray>
#include <QMap>
#include <QPointer>
#include <QSet>
#include <QString>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <random>

namespace screens {
class StartMenu;
class RouletteScreen;
class QuizScreen;
}  // namespace screens

namespace testing_support {

struct RandomPlayFigures {
    long events = 0;
    long restarts = 0;  // programs that ended and were started again from the title
    long checks = 0;    // invariant checks passed
    long rightAnswers = 0, wrongAnswers = 0;
    long wheelsHalted = 0;
    long saves = 0;          // new contents of a progress file seen
    long codesRefused = 0;   // hostile answers the start menu turned down
    long continued = 0;      // runs continued from a saved file
    long mediaCommands = 0;  // commands that reached the sound back end
    QMap<QString, long> screens;   // how often each screen was seen open
    QMap<QString, long> eventsOn;  // events played on each screen
    QMap<QString, long> endedOn;   // the screen each run ended from
};

class RandomPlay {
public:
    // Installs fakes of its own for clock, random numbers, beep, dialogs
    // and sound, registers the screens and shows the title.  Works in the
    // current folder.
    explicit RandomPlay(std::uint32_t seed);
    ~RandomPlay();
    RandomPlay(const RandomPlay &) = delete;
    RandomPlay &operator=(const RandomPlay &) = delete;

    // Plays up to `events` more events.  Returns an empty text when every
    // invariant held, else the first one that broke, with the seed, the
    // event number and the events that led to it.
    QString play(long events);

    std::uint32_t seed() const { return seed_; }
    const RandomPlayFigures &figures() const { return figures_; }
    // The last events, one a line, numbered.
    QString recentEvents() const;

private:
    // What the driver expects of the run in progress.
    struct Expected {
        double score = 0;
        std::array<int, 31> misses{};
        int rightScoredOn = 0;  // question whose right answer has scored; 0: none
        int lowestQuestion = 1;  // question never goes back within a run
    };
    // The last content seen of a progress file, and what it held.
    struct Saved {
        QByteArray bytes;
        double score = 0;
        std::array<int, 31> misses{};
        int questionNo = 0;
    };
    // The roulette as it stood before an event.
    struct WheelWatch {
        QPointer<screens::RouletteScreen> form;
        bool haltDue = false;  // the next run of the run-on timer's tick halts the ball
        int points = 0;        // and scores this
        bool nextEnabled = false;
    };

    void start();
    void restart();
    void step();
    bool clickButton(platform::Form *form);
    void answer(screens::QuizScreen *quiz, int k);
    void startMenu(screens::StartMenu *menu, QPushButton *button);
    bool tickTimer(platform::Form *form);
    void moveClock();
    void queueCodes();
    void queueYesNo();
    void topUpRandom();
    static bool wheelRunning(platform::Form *form);
    void watchWheel(platform::Form *form);
    void accountWheel();
    void check();
    void checkProgressFile();
    void checkScreen();
    void checkFolder();
    // Counts a check that holds; reports the first one that does not.
    bool holds(bool ok, const std::function<QString()> &why);
    void fail(const QString &what);
    void log(const QString &event);

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }

    std::uint32_t seed_;
    std::mt19937 rng_;
    FakeClock clock_;
    FakeRandom random_;
    FakeBeep beep_;
    ScriptedDialogs dialogs_;
    MediaRecorder media_;
    platform::Services saved_;
    bool wasManual_ = false;

    QStringList validCodes_, hostileCodes_;
    QSet<QString> hostile_;
    QString escapeName_;  // where "../<name>" would have written

    Expected expect_;
    QMap<QString, Saved> files_;  // by file name
    WheelWatch wheel_;
    std::function<void()> afterSettle_;
    QPointer<platform::Form> lastSeen_;
    QString lastScreen_;
    RandomPlayFigures figures_;
    std::deque<QString> recent_;
    QString failure_;
};

}  // namespace testing_support
