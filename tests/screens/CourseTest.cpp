// SPDX-License-Identifier: GPL-3.0-or-later
// The whole course through the real screens, as a learner plays it: from
// the title through thirty questions and six roulettes to the history,
// and a run continued from a file in the middle of the second half.
#include "screens/front/TitleScreen.h"
#include "screens/front/StartMenu.h"
#include "screens/history/HistoryScreen.h"
#include "screens/quiz/QuizScreen.h"
#include "screens/roulette/RouletteScreen.h"
#include "screens/tutor/TutorScreen.h"
#include "state/Session.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QFile>

using namespace testing_support;
using namespace screens;

namespace {

class CourseTest : public ScreenTest {
protected:
    state::Session &m = state::session();
    double wheelPoints = 0;
    int roulettes = 0;

    // Spins the wheel once, stopping with the given ExtraTurns, and goes on.
    void playRoulette(RouletteScreen *f, double extraTurns) {
        ++roulettes;
        const double before = m.score;
        click(f->startButton);
        for (int i = 0; i < 3; ++i) {
            f->spinTimer->fire();
            f->ballPauseTimer->fire();
        }
        random.values = {extraTurns};
        click(f->stopButton);
        for (int guard = 0; f->runOnTimer->isEnabled() && guard < 100; ++guard) {
            f->runOnTimer->fire();
            if (f->ballShowing()) f->ballPauseTimer->fire();
        }
        ASSERT_TRUE(f->nextButton->isEnabled());
        wheelPoints += m.score - before;
        click(f->nextButton);
        settle();
    }

    // Answers right and goes on, screen after screen, until the history
    // shows; each question takes 10 seconds.  Returns the history screen.
    HistoryScreen *playToTheEnd(const std::vector<double> &wheels) {
        size_t wheel = 0;
        for (int step = 0; step < 200; ++step) {
            if (auto *h = open<HistoryScreen>(ScreenId::History)) return h;
            if (auto *f = open<RouletteScreen>(ScreenId::Roulette)) {
                playRoulette(f, wheels[wheel++ % wheels.size()]);
                continue;
            }
            auto *q = open<QuizScreen>(screens::quizScreenFor(m.question));
            if (!q) {
                ADD_FAILURE() << "no screen open on question " << m.question;
                return nullptr;
            }
            EXPECT_EQ(q->objectName(), m.question <= 15 ? "firstQuizScreen" : "secondQuizScreen");
            clock.now += 10;
            click(q->board.answerButtons[bank::rightButton(m.question, m.variant)]);
            EXPECT_EQ(q->board.verdictLabel->text(), "正解");
            click(q->board.nextButton);
            settle();
        }
        ADD_FAILURE() << "the course never ended";
        return nullptr;
    }

    static state::Session fileState(const QString &name) {
        QFile f(name);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        state::Session saved;
        state::progress::parse(f.readAll(), saved);
        return saved;
    }
};

TEST_F(CourseTest, AllThirtyRightWithSixRoulettesEndsOnTheHistory) {
    clock.now = 30000;
    screens::showScreen(screens::ScreenId::Title);
    click(open<TitleScreen>(ScreenId::Title)->nextButton);
    settle();
    dialogs.inputAnswers = {"ゆうき"};
    click(open<StartMenu>(ScreenId::StartMenu)->newRunButton);
    settle();
    ASSERT_NE(open<QuizScreen>(screens::ScreenId::FirstQuiz), nullptr);

    // Each wheel stops on a different sector: +30000, -10000, 0, +5000,
    // +8000, +10000 (cell 0).
    HistoryScreen *h = playToTheEnd({0.5, 0.41, 0.15, 0.26, 0.8, 0.0});
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(roulettes, 6);
    EXPECT_EQ(wheelPoints, 30000 - 10000 + 0 + 5000 + 8000 + 10000);
    EXPECT_EQ(m.score, 90000 + wheelPoints);
    EXPECT_EQ(h->progressLabel->text(), "あなたは、問題 30 番まで進んでいます。");
    for (int i = 1; i <= 30; ++i) {
        EXPECT_EQ(h->missLabels[i]->text(), " 0") << i;
        EXPECT_EQ(h->timeLabels[i]->text(), " 10") << i;
    }
    EXPECT_EQ(h->scoreLabel->text(), " " + QString::number(90000 + wheelPoints));

    const state::Session saved = fileState("ゆうき.ucd");
    EXPECT_EQ(saved.question, 30);
    EXPECT_EQ(saved.score, 90000 + wheelPoints);
    for (int i = 1; i <= 30; ++i) EXPECT_EQ(saved.answerTimes[i], 10.0f) << i;

    // The screens in the order the learner saw them.
    QStringList expected{"titleScreen", "startMenu"};
    for (int block = 0; block < 6; ++block) expected << (block < 3 ? "firstQuizScreen" : "secondQuizScreen") << "rouletteScreen";
    expected << "historyScreen";
    EXPECT_EQ(platform::forms::showLog(), expected);

    dialogs.yesNoAnswers = {true};
    click(h->quitButton);
    settle();
    EXPECT_TRUE(platform::forms::programEnded());
}

// A learner stopped on question 23 last time and continues: the second
// screen opens on 23, a wrong answer goes through the tutor, and the run
// ends after the roulettes of 25 and 30.
TEST_F(CourseTest, ContinuedRunFromTheSecondHalfReachesTheHistory) {
    state::Session before;
    before.userCode = "hana";
    before.question = 23;
    before.score = 51000;
    for (int i = 1; i <= 22; ++i) {
        before.misses[i] = static_cast<short>(i % 3);
        before.answerTimes[i] = static_cast<float>(20 + i);
    }
    before.answerTimes[23] = 70000;  // a reading from the last session
    state::progress::save(before);

    clock.now = 40000;
    screens::showScreen(screens::ScreenId::StartMenu);
    dialogs.inputAnswers = {"hana"};
    click(open<StartMenu>(ScreenId::StartMenu)->continueButton);
    settle();
    auto *q = open<QuizScreen>(screens::ScreenId::SecondQuiz);
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(m.question, 23);
    EXPECT_TRUE(m.resumed);
    EXPECT_EQ(m.answerTimes[23], 40000);  // timed afresh in this run

    // A wrong answer, the tutor, and back.
    const int right = bank::rightButton(23, m.variant);
    click(q->board.answerButtons[right == 8 ? 1 : (right % 8) + 1]);
    click(q->board.helpButton);
    settle();
    click(open<TutorScreen>(ScreenId::Tutor)->exitButton);
    settle();
    ASSERT_NE(open<QuizScreen>(screens::ScreenId::SecondQuiz), nullptr);

    HistoryScreen *h = playToTheEnd({0.5, 0.26});
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(roulettes, 2);
    EXPECT_EQ(wheelPoints, 35000);
    EXPECT_EQ(m.score, 51000 - 3000 + 8 * 3000 + 35000);
    for (int i = 1; i <= 22; ++i) {
        EXPECT_EQ(h->missLabels[i]->text(), " " + QString::number(i % 3)) << i;
        EXPECT_EQ(h->timeLabels[i]->text(), " " + QString::number(20 + i)) << i;
    }
    EXPECT_EQ(h->missLabels[23]->text(), " 1");
    for (int i = 24; i <= 30; ++i) EXPECT_EQ(h->missLabels[i]->text(), " 0") << i;
    EXPECT_EQ(fileState("hana.ucd").question, 30);
}

}  // namespace
