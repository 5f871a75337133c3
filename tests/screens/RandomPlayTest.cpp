// SPDX-License-Identifier: GPL-3.0-or-later
// Random play through the real screens: ten thousand events of clicks,
// ticks, close boxes, clock moves and typed answers, with the invariants of
// RandomPlay checked after each one.  The seed is fixed so that the run is
// the same every time; POMURIN_RANDOM_PLAY_SEED plays another one.
#include "platform/Media.h"
#include "screens/quiz/QuizScreen.h"
#include "state/Session.h"
#include "state/ProgressFile.h"
#include "support/RandomPlay.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <iostream>

using testing_support::RandomPlay;

namespace {

std::uint32_t seedFromEnvironment() {
    bool ok = false;
    const qulonglong seed = qEnvironmentVariable("POMURIN_RANDOM_PLAY_SEED").toULongLong(&ok);
    return ok ? static_cast<std::uint32_t>(seed) : 20261207u;
}

// Plays events one at a time until a quiz screen is open with a progress
// file on disk, so that a test can tamper with the run in the middle.
bool playUntilAQuizWithAFile(RandomPlay &play) {
    for (int i = 0; i < 5000; ++i) {
        if (!play.play(1).isEmpty()) return false;
        const QString name = state::progress::fileName(state::session().userCode);
        const auto open = platform::forms::open();
        if (!open.isEmpty() && qobject_cast<screens::QuizScreen *>(open.first()) && QFile::exists(name)) return true;
    }
    return false;
}

TEST(RandomPlayTest, TenThousandEventsKeepEveryInvariantOnEveryScreen) {
    const std::uint32_t seed = seedFromEnvironment();
    RandomPlay play(seed);
    QElapsedTimer clock;
    clock.start();
    const QString failure = play.play(10000);
    const double seconds = clock.elapsed() / 1000.0;
    ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();

    // The run must have gone everywhere and done everything, or its
    // invariants would have held over little.
    const auto &f = play.figures();
    for (const char *screen : {"titleScreen", "startMenu", "firstQuizScreen", "rouletteScreen", "tutorScreen", "historyScreen", "secondQuizScreen"})
        EXPECT_GT(f.screens.value(QString::fromLatin1(screen)), 0) << screen << " never opened, seed " << seed;
    EXPECT_GT(f.restarts, 10);
    EXPECT_GT(f.rightAnswers, 30);
    EXPECT_GT(f.wrongAnswers, 30);
    EXPECT_GT(f.wheelsHalted, 3);
    EXPECT_GT(f.continued, 5);
    EXPECT_GT(f.codesRefused, 10);
    EXPECT_GT(f.saves, 50);

    std::cout << "seed " << seed << ": " << f.events << " events in " << seconds << " s ("
              << static_cast<long>(f.events / seconds) << "/s), " << f.restarts << " restarts, " << f.checks
              << " invariant checks, " << f.rightAnswers << " right and " << f.wrongAnswers << " wrong answers, "
              << f.wheelsHalted << " wheels halted, " << f.saves << " saves, " << f.continued << " runs continued, "
              << f.codesRefused << " codes refused; screens:";
    for (auto it = f.screens.begin(); it != f.screens.end(); ++it)
        std::cout << ' ' << it.key().toStdString() << '=' << it.value();
    std::cout << "; events on each:";
    for (auto it = f.eventsOn.begin(); it != f.eventsOn.end(); ++it)
        std::cout << ' ' << it.key().toStdString() << '=' << it.value();
    std::cout << '\n';
}

// The invariants are the driver's own counts, not the game's: a score
// moved behind the driver's back, a damaged file, a stray file are caught
// at the next event, with the seed to replay.
TEST(RandomPlayTest, TheDriverCatchesAScoreThatDisagreesWithTheAnswers) {
    RandomPlay play(7);
    ASSERT_TRUE(playUntilAQuizWithAFile(play)) << play.recentEvents().toStdString();
    state::session().score += 1000;
    const QString failure = play.play(1);
    EXPECT_TRUE(failure.contains(QStringLiteral("the score is"))) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QStringLiteral("seed 7,"))) << failure.toStdString();
}

TEST(RandomPlayTest, TheDriverCatchesAProgressFileThatDoesNotReadBack) {
    RandomPlay play(11);
    ASSERT_TRUE(playUntilAQuizWithAFile(play)) << play.recentEvents().toStdString();
    QFile file(state::progress::fileName(state::session().userCode));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("1,x\r\n");
    file.close();
    const QString failure = play.play(1);
    EXPECT_TRUE(failure.contains(QStringLiteral("does not read back"))) << failure.toStdString();
}

TEST(RandomPlayTest, TheDriverCatchesAStrayFileInTheWorkingFolder) {
    RandomPlay play(13);
    ASSERT_TRUE(play.play(20).isEmpty());
    QFile stray(QStringLiteral("left-over.tmp"));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.close();
    const QString failure = play.play(1);
    EXPECT_TRUE(failure.contains(QStringLiteral("stray entry"))) << failure.toStdString();
}

// Plays seed for count events in folder with the sound on or off: the
// last events played and the figures.
std::pair<QString, testing_support::RandomPlayFigures> playIn(const QString &folder, std::uint32_t seed, int count,
                                                              bool sound = true) {
    QDir().mkdir(folder);
    const QString home = QDir::currentPath();
    QDir::setCurrent(folder);
    platform::setSoundEnabled(sound);
    std::pair<QString, testing_support::RandomPlayFigures> r;
    {
        RandomPlay play(seed);
        EXPECT_TRUE(play.play(count).isEmpty());
        r = {play.recentEvents(), play.figures()};
    }
    platform::setSoundEnabled(true);
    QDir::setCurrent(home);
    return r;
}

// A seed replays the same run: the seed in a failure report is enough to
// see the failure again.
TEST(RandomPlayTest, TheSameSeedPlaysTheSameEvents) {
    const auto [first, a] = playIn(QStringLiteral("first"), 99, 300);
    const auto [second, b] = playIn(QStringLiteral("second"), 99, 300);
    EXPECT_EQ(first, second);
    EXPECT_EQ(a.checks, b.checks);
}

// With the sound off no chime or tune reaches the sound back end, and the
// run is otherwise the same: one seed plays the same events through the
// same screens to the same scores and saves.
TEST(RandomPlayTest, SoundOffSilencesEveryCueAndChangesNothingElse) {
    const auto [onEvents, a] = playIn(QStringLiteral("on"), 2024, 1500, true);
    const auto [offEvents, b] = playIn(QStringLiteral("off"), 2024, 1500, false);
    EXPECT_GT(a.mediaCommands, 500);
    EXPECT_EQ(b.mediaCommands, 0);
    EXPECT_EQ(offEvents, onEvents);
    EXPECT_EQ(std::tie(b.checks, b.rightAnswers, b.wrongAnswers, b.wheelsHalted, b.saves, b.screens, b.endedOn),
              std::tie(a.checks, a.rightAnswers, a.wrongAnswers, a.wheelsHalted, a.saves, a.screens, a.endedOn));
    EXPECT_GT(a.screens.size(), 6);  // every screen, each with its own cues
}

}  // namespace
