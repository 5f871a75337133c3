// SPDX-License-Identifier: GPL-3.0-or-later
// The ways out of the quiz screens: "HELP" to the tutor and back, "終了"
// to the history screen, the roulette after every fifth question, and the
// keyboard on arrival.
#include "screens/history/HistoryScreen.h"
#include "screens/quiz/QuizFixture.h"
#include "screens/tutor/TutorScreen.h"

#include <QPointer>
#include <QTest>

using namespace testing_support;
using screens::TutorScreen;
using screens::HistoryScreen;
using screens::QuizScreen;

namespace {

const QStringList kClickChime{"Stop", "Close", "Open pinpon.wav", "Sound"};
const QStringList kQuitChime{"Stop", "Close", "Open endpinpon.wav", "Sound"};
const QStringList kHistoryTune{"Close", "Open bahha.rmi", "Play"};

using QuizExitTest = QuizFixture;

// After a wrong answer "HELP" saves the miss and the lowered score, opens
// the tutor, and the tutor's EXIT brings back a fresh quiz screen on the
// same question in the same variant, ready to be answered again.
TEST_F(QuizExitTest, HelpAfterAWrongAnswerSavesAndComesBackReady) {
    for (int n : {4, 19}) {
        SCOPED_TRACE(n);
        state::resetSession();
        QuizScreen *f = start(n, 3, 6000);
        ASSERT_NE(f, nullptr);
        click(wrongButton(f));
        ASSERT_FALSE(f->board.answerButtons[1]->isEnabled());
        media.log.clear();

        QPointer<QuizScreen> gone(f);
        click(f->board.helpButton);
        EXPECT_EQ(media.log.mid(0, 4), kClickChime);
        ScreenTest::settle();
        EXPECT_EQ(open<QuizScreen>(screenFor(n)), nullptr);
        auto *tutor = open<TutorScreen>(ScreenId::Tutor);
        ASSERT_NE(tutor, nullptr);
        const state::Session saved = fileState();
        EXPECT_EQ(saved.question, n);
        EXPECT_EQ(saved.score, 3000);
        EXPECT_EQ(saved.misses[n], 1);

        EXPECT_TRUE(gone.isNull());
        const int seedsBefore = random.seeds.size();
        click(tutor->exitButton);  // EXIT
        ScreenTest::settle();
        auto *back = open<QuizScreen>(screenFor(n));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(random.seeds.size(), seedsBefore);  // no second draw
        EXPECT_EQ(m.variant, 3);
        EXPECT_EQ(back->board.answerButtons[1]->text(), QString::fromUtf8(expected::variant(n, 3).captions[0]));
        for (int k = 1; k <= 8; ++k) EXPECT_TRUE(back->board.answerButtons[k]->isEnabled()) << k;
        EXPECT_EQ(back->board.scoreLabel->text(), "3000");
        click(rightButton(back));
        EXPECT_EQ(m.score, 6000);
        platform::forms::resetForTests();
    }
}

// Once the question is answered right "HELP" is disabled; its handler
// still chimes, then only beeps: nothing is saved and the screen stays.
TEST_F(QuizExitTest, HelpAfterARightAnswerOnlyBeeps) {
    QuizScreen *f = start(7, 2);
    click(rightButton(f));
    EXPECT_FALSE(f->board.helpButton->isEnabled());
    const QByteArray before = fileBytes();
    media.log.clear();
    f->helpClicked();
    EXPECT_EQ(beep.count, 1);
    EXPECT_EQ(media.log, kClickChime);
    EXPECT_EQ(fileBytes(), before);
    ScreenTest::settle();
    EXPECT_EQ(open<QuizScreen>(screens::ScreenId::FirstQuiz), f);
    EXPECT_EQ(screens::findScreen(screens::ScreenId::Tutor), nullptr);
}

// "終了" on question 12 with misses and times behind it: the progress is
// saved, the quiz screen closes, and the history shows progress, misses,
// times and the score; the current question shows its seconds so far.
TEST_F(QuizExitTest, QuitOnQuestion12FillsTheHistory) {
    const int misses[13] = {0, 1, 0, 2, 0, 0, 3, 0, 0, 1, 0, 0, 3};
    for (int i = 1; i <= 11; ++i) {
        m.misses[i] = static_cast<short>(misses[i]);
        m.answerTimes[i] = static_cast<float>(10 * i);
    }
    m.misses[12] = 2;
    m.answerTimes[5] = 0;            // finished in under a second
    m.answerTimes[12] = 36512.25f;   // the start reading of the current question
    clock.now = 36512.25f + 75.9f;
    QuizScreen *f = start(12, 1, -3000);
    ASSERT_NE(f, nullptr);
    click(wrongButton(f));  // a third miss, not yet in the file
    media.log.clear();
    dialogs.yesNoAnswers = {true};

    click(f->board.quitButton);
    EXPECT_EQ(dialogs.calls, QStringList{"yesno|終了していいですか？|ぽむりん紀行20"});
    // The quiz screen's player closes with the screen.
    EXPECT_EQ(media.log, kQuitChime + QStringList{"Close"} + kHistoryTune);
    ScreenTest::settle();
    EXPECT_EQ(open<QuizScreen>(screens::ScreenId::FirstQuiz), nullptr);
    auto *h = open<HistoryScreen>(ScreenId::History);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->progressLabel->text(), "あなたは、問題 12 番まで進んでいます。");
    for (int i = 1; i <= 12; ++i) {
        EXPECT_EQ(h->missLabels[i]->text(), " " + QString::number(misses[i])) << i;
        EXPECT_EQ(m.missTexts[i], h->missLabels[i]->text()) << i;
    }
    for (int i = 13; i <= 30; ++i) {
        EXPECT_EQ(h->missLabels[i]->text(), "") << i;
        EXPECT_EQ(m.missTexts[i], "") << i;
    }
    EXPECT_EQ(h->scoreLabel->text(), "-6000");
    EXPECT_EQ(h->timeLabels[1]->text(), " 10");
    EXPECT_EQ(h->timeLabels[11]->text(), " 110");
    EXPECT_EQ(h->timeLabels[5]->text(), "");   // 0 seconds: empty
    EXPECT_EQ(h->timeLabels[12]->text(), " 75");  // seconds so far, rounded down
    EXPECT_EQ(h->timeLabels[13]->text(), "");

    // The file keeps the start reading, which a later continuation needs.
    const state::Session saved = fileState();
    EXPECT_EQ(saved.question, 12);
    EXPECT_EQ(saved.score, -6000);
    EXPECT_EQ(saved.answerTimes[12], 36512.25f);
    EXPECT_EQ(saved.misses[12], 3);
}

// Quitting on question 1 at once: one " 0" box, the rest empty, and no
// time since less than a second has passed.
TEST_F(QuizExitTest, QuitOnQuestionOneBeforeAnyAnswer) {
    clock.now = 500.0f;
    QuizScreen *f = start(1);
    clock.now = 500.5f;
    dialogs.yesNoAnswers = {true};
    click(f->board.quitButton);
    ScreenTest::settle();
    auto *h = open<HistoryScreen>(ScreenId::History);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->progressLabel->text(), "あなたは、問題 1 番まで進んでいます。");
    EXPECT_EQ(h->missLabels[1]->text(), " 0");
    for (int i = 2; i <= 30; ++i) EXPECT_EQ(h->missLabels[i]->text(), "") << i;
    for (int i = 1; i <= 30; ++i) EXPECT_EQ(h->timeLabels[i]->text(), "") << i;
    EXPECT_EQ(h->scoreLabel->text(), "0");
    EXPECT_EQ(fileState().answerTimes[1], 500.0f);
}

// On the second screen with a negative score, and across midnight: the
// current question started at 23:59:50 and it is now 00:00:15.
TEST_F(QuizExitTest, QuitOnTheSecondScreenAcrossMidnight) {
    m.answerTimes[23] = 86390.0f;
    m.misses[23] = 4;
    clock.now = 15.0f;
    QuizScreen *f = start(23, 2, -6000);
    ASSERT_EQ(f->objectName(), "secondQuizScreen");
    dialogs.yesNoAnswers = {true};
    click(f->board.quitButton);
    ScreenTest::settle();
    EXPECT_EQ(open<QuizScreen>(screens::ScreenId::SecondQuiz), nullptr);
    auto *h = open<HistoryScreen>(ScreenId::History);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->progressLabel->text(), "あなたは、問題 23 番まで進んでいます。");
    EXPECT_EQ(h->missLabels[23]->text(), " 4");
    EXPECT_EQ(h->missLabels[22]->text(), " 0");
    EXPECT_EQ(h->missLabels[24]->text(), "");
    EXPECT_EQ(h->scoreLabel->text(), "-6000");
    EXPECT_EQ(h->timeLabels[23]->text(), " 25");
    EXPECT_EQ(fileState().answerTimes[23], 86390.0f);
}

// Answering No leaves everything as it was, on both screens.
TEST_F(QuizExitTest, NoInTheQuitBoxChangesNothing) {
    for (int n : {9, 28}) {
        SCOPED_TRACE(n);
        QuizScreen *f = start(n);
        click(wrongButton(f));
        const QByteArray before = fileBytes();
        const double score = m.score;
        media.log.clear();
        dialogs.yesNoAnswers = {false};
        click(f->board.quitButton);
        EXPECT_EQ(media.log, kQuitChime);
        ScreenTest::settle();
        ASSERT_EQ(open<QuizScreen>(screenFor(n)), f);  // f is used below
        EXPECT_EQ(screens::findScreen(screens::ScreenId::History), nullptr);
        EXPECT_EQ(fileBytes(), before);
        EXPECT_EQ(m.score, score);
        EXPECT_FALSE(f->board.answerButtons[1]->isEnabled());  // still locked after the wrong answer
        EXPECT_FALSE(platform::forms::programEnded());
        platform::forms::resetForTests();
    }
}

// After a right answer to 5, 10, 15, 20, 25 or 30 "次へ" stores the time,
// saves with the next question (30 stays 30) and opens the roulette.
TEST_F(QuizExitTest, EveryFifthQuestionHandsOverToTheRoulette) {
    for (int n : {5, 10, 15, 20, 25, 30}) {
        SCOPED_TRACE(n);
        state::resetSession();
        m.answerTimes[n] = 1000.0f;
        QuizScreen *f = start(n, 2, 3000);
        click(rightButton(f));
        clock.now = 1061.7f;
        media.log.clear();
        click(f->board.nextButton);
        EXPECT_EQ(media.log.mid(0, 4), kClickChime);
        ScreenTest::settle();
        EXPECT_EQ(open<QuizScreen>(screenFor(n)), nullptr);
        EXPECT_NE(screens::findScreen(screens::ScreenId::Roulette), nullptr);
        const state::Session saved = fileState();
        EXPECT_EQ(saved.question, n == 30 ? 30 : n + 1);
        EXPECT_EQ(saved.answerTimes[n], 61.0f);
        EXPECT_EQ(saved.score, 6000);
        EXPECT_FALSE(m.answeredRight);
        platform::forms::resetForTests();
    }
}

TEST_F(QuizExitTest, EachScreenKeepsItsOwnTabOrder) {
    QuizScreen *f = start(3);
    QList<QWidget *> expected{f->board.choicesBox, f->board.speechBox};
    for (int k = 1; k <= 8; ++k) expected << f->board.answerButtons[k];
    expected << f->board.helpButton << f->board.questionBox << f->board.quitButton << f->board.nextButton;
    EXPECT_EQ(focusChain(f->board.choicesBox), expected);
    EXPECT_EQ(f->firstFocus(), f->board.choicesBox);
    platform::forms::resetForTests();

    QuizScreen *g = start(18);
    QList<QWidget *> second{g->board.nextButton, g->board.quitButton, g->board.questionBox, g->board.helpButton, g->board.speechBox, g->board.choicesBox};
    for (int k = 8; k >= 1; --k) second << g->board.answerButtons[k];
    EXPECT_EQ(focusChain(g->board.nextButton), second);
    EXPECT_EQ(g->firstFocus(), g->board.nextButton);
}

// A key pressed on arrival never answers: the first screen opens with the
// focus on the answer area, the second on the first enabled control of its
// tab order, not on an answer button.
TEST_F(QuizExitTest, SpaceOnArrivalDoesNotAnswer) {
    for (int n : {2, 17}) {
        SCOPED_TRACE(n);
        state::resetSession();
        QuizScreen *f = start(n, 1);
        QWidget *focus = f->focusWidget();
        ASSERT_NE(focus, nullptr);
        // SecondQuizScreen's first control, "次へ", is disabled on arrival; the focus
        // moves on to "終了".
        EXPECT_EQ(focus, n == 2 ? static_cast<QWidget *>(f->board.choicesBox) : f->board.quitButton);
        for (int k = 1; k <= 8; ++k) EXPECT_NE(focus, f->board.answerButtons[k]) << k;
        QTest::keyClick(focus, Qt::Key_Space);
        EXPECT_EQ(m.score, 0);
        EXPECT_EQ(m.misses[n], 0);
        EXPECT_TRUE(f->board.verdictLabel->text().isEmpty());
        platform::forms::resetForTests();
    }
}

}  // namespace
