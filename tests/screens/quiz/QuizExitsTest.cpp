// The ways out of the quiz screens: "HELP" to the tutor and back, "終了"
// to the history screen, the roulette after every fifth question, and the
// keyboard on arrival.
#include "screens/history/Form6.h"
#include "screens/quiz/QuizFixture.h"
#include "screens/tutor/Form5.h"

#include <QPointer>
#include <QTest>

using namespace testing_support;
using screens::Form5;
using screens::Form6;
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
        state::resetModule1();
        QuizScreen *f = start(n, 3, 6000);
        ASSERT_NE(f, nullptr);
        click(wrongButton(f));
        ASSERT_FALSE(f->Command[1]->isEnabled());
        media.log.clear();

        QPointer<QuizScreen> gone(f);
        click(f->Command9);
        EXPECT_EQ(media.log.mid(0, 4), kClickChime);
        ScreenTest::settle();
        EXPECT_EQ(open<QuizScreen>(screenFor(n)), nullptr);
        auto *tutor = open<Form5>("Form5");
        ASSERT_NE(tutor, nullptr);
        const state::Module1 saved = fileState();
        EXPECT_EQ(saved.QuestionNo, n);
        EXPECT_EQ(saved.Score, 3000);
        EXPECT_EQ(saved.MissCount[n], 1);

        EXPECT_TRUE(gone.isNull());
        const int seedsBefore = random.seeds.size();
        click(tutor->Command2);  // EXIT
        ScreenTest::settle();
        auto *back = open<QuizScreen>(screenFor(n));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(random.seeds.size(), seedsBefore);  // no second draw
        EXPECT_EQ(m.VariantNo, 3);
        EXPECT_EQ(back->Command[1]->text(), QString::fromUtf8(expected::variant(n, 3).captions[0]));
        for (int k = 1; k <= 8; ++k) EXPECT_TRUE(back->Command[k]->isEnabled()) << k;
        EXPECT_EQ(back->Label2->text(), "3000");
        click(rightButton(back));
        EXPECT_EQ(m.Score, 6000);
        platform::forms::resetForTests();
    }
}

// Once the question is answered right "HELP" is disabled; its handler
// still chimes, then only beeps: nothing is saved and the screen stays.
TEST_F(QuizExitTest, HelpAfterARightAnswerOnlyBeeps) {
    QuizScreen *f = start(7, 2);
    click(rightButton(f));
    EXPECT_FALSE(f->Command9->isEnabled());
    const QByteArray before = fileBytes();
    media.log.clear();
    f->Command9Click();
    EXPECT_EQ(beep.count, 1);
    EXPECT_EQ(media.log, kClickChime);
    EXPECT_EQ(fileBytes(), before);
    ScreenTest::settle();
    EXPECT_EQ(open<QuizScreen>("Form3"), f);
    EXPECT_EQ(platform::forms::find("Form5"), nullptr);
}

// "終了" on question 12 with misses and times behind it: the progress is
// saved, the quiz screen closes, and the history shows progress, misses,
// times and the score; the current question shows its seconds so far.
TEST_F(QuizExitTest, QuitOnQuestion12FillsTheHistory) {
    const int misses[13] = {0, 1, 0, 2, 0, 0, 3, 0, 0, 1, 0, 0, 3};
    for (int i = 1; i <= 11; ++i) {
        m.MissCount[i] = static_cast<short>(misses[i]);
        m.AnswerTime[i] = static_cast<float>(10 * i);
    }
    m.MissCount[12] = 2;
    m.AnswerTime[5] = 0;            // finished in under a second
    m.AnswerTime[12] = 36512.25f;   // the start reading of the current question
    clock.now = 36512.25f + 75.9f;
    QuizScreen *f = start(12, 1, -3000);
    ASSERT_NE(f, nullptr);
    click(wrongButton(f));  // a third miss, not yet in the file
    media.log.clear();
    dialogs.yesNoAnswers = {true};

    click(f->Command10);
    EXPECT_EQ(dialogs.calls, QStringList{"yesno|終了していいですか？|ぽむりん紀行20"});
    // The quiz screen's player closes with the screen.
    EXPECT_EQ(media.log, kQuitChime + QStringList{"Close"} + kHistoryTune);
    ScreenTest::settle();
    EXPECT_EQ(open<QuizScreen>("Form3"), nullptr);
    auto *h = open<Form6>("Form6");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->Label3->text(), "あなたは、問題 12 番まで進んでいます。");
    for (int i = 1; i <= 12; ++i) {
        EXPECT_EQ(h->Lab[i]->text(), " " + QString::number(misses[i])) << i;
        EXPECT_EQ(m.MissText[i], h->Lab[i]->text()) << i;
    }
    for (int i = 13; i <= 30; ++i) {
        EXPECT_EQ(h->Lab[i]->text(), "") << i;
        EXPECT_EQ(m.MissText[i], "") << i;
    }
    EXPECT_EQ(h->Label4->text(), "-6000");
    EXPECT_EQ(h->zik[1]->text(), " 10");
    EXPECT_EQ(h->zik[11]->text(), " 110");
    EXPECT_EQ(h->zik[5]->text(), "");   // 0 seconds: empty
    EXPECT_EQ(h->zik[12]->text(), " 75");  // seconds so far, rounded down
    EXPECT_EQ(h->zik[13]->text(), "");

    // The file keeps the start reading, which a later continuation needs.
    const state::Module1 saved = fileState();
    EXPECT_EQ(saved.QuestionNo, 12);
    EXPECT_EQ(saved.Score, -6000);
    EXPECT_EQ(saved.AnswerTime[12], 36512.25f);
    EXPECT_EQ(saved.MissCount[12], 3);
}

// Quitting on question 1 at once: one " 0" box, the rest empty, and no
// time since less than a second has passed.
TEST_F(QuizExitTest, QuitOnQuestionOneBeforeAnyAnswer) {
    clock.now = 500.0f;
    QuizScreen *f = start(1);
    clock.now = 500.5f;
    dialogs.yesNoAnswers = {true};
    click(f->Command10);
    ScreenTest::settle();
    auto *h = open<Form6>("Form6");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->Label3->text(), "あなたは、問題 1 番まで進んでいます。");
    EXPECT_EQ(h->Lab[1]->text(), " 0");
    for (int i = 2; i <= 30; ++i) EXPECT_EQ(h->Lab[i]->text(), "") << i;
    for (int i = 1; i <= 30; ++i) EXPECT_EQ(h->zik[i]->text(), "") << i;
    EXPECT_EQ(h->Label4->text(), "0");
    EXPECT_EQ(fileState().AnswerTime[1], 500.0f);
}

// On the second screen with a negative score, and across midnight: the
// current question started at 23:59:50 and it is now 00:00:15.
TEST_F(QuizExitTest, QuitOnTheSecondScreenAcrossMidnight) {
    m.AnswerTime[23] = 86390.0f;
    m.MissCount[23] = 4;
    clock.now = 15.0f;
    QuizScreen *f = start(23, 2, -6000);
    ASSERT_EQ(f->objectName(), "Form7");
    dialogs.yesNoAnswers = {true};
    click(f->Command10);
    ScreenTest::settle();
    EXPECT_EQ(open<QuizScreen>("Form7"), nullptr);
    auto *h = open<Form6>("Form6");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->Label3->text(), "あなたは、問題 23 番まで進んでいます。");
    EXPECT_EQ(h->Lab[23]->text(), " 4");
    EXPECT_EQ(h->Lab[22]->text(), " 0");
    EXPECT_EQ(h->Lab[24]->text(), "");
    EXPECT_EQ(h->Label4->text(), "-6000");
    EXPECT_EQ(h->zik[23]->text(), " 25");
    EXPECT_EQ(fileState().AnswerTime[23], 86390.0f);
}

// Answering No leaves everything as it was, on both screens.
TEST_F(QuizExitTest, NoInTheQuitBoxChangesNothing) {
    for (int n : {9, 28}) {
        SCOPED_TRACE(n);
        QuizScreen *f = start(n);
        click(wrongButton(f));
        const QByteArray before = fileBytes();
        const double score = m.Score;
        media.log.clear();
        dialogs.yesNoAnswers = {false};
        click(f->Command10);
        EXPECT_EQ(media.log, kQuitChime);
        ScreenTest::settle();
        EXPECT_EQ(open<QuizScreen>(screenFor(n)), f);
        EXPECT_EQ(platform::forms::find("Form6"), nullptr);
        EXPECT_EQ(fileBytes(), before);
        EXPECT_EQ(m.Score, score);
        EXPECT_FALSE(f->Command[1]->isEnabled());  // still locked after the wrong answer
        EXPECT_FALSE(platform::forms::programEnded());
        platform::forms::resetForTests();
    }
}

// After a right answer to 5, 10, 15, 20, 25 or 30 "次へ" stores the time,
// saves with the next question (30 stays 30) and opens the roulette.
TEST_F(QuizExitTest, EveryFifthQuestionHandsOverToTheRoulette) {
    for (int n : {5, 10, 15, 20, 25, 30}) {
        SCOPED_TRACE(n);
        state::resetModule1();
        m.AnswerTime[n] = 1000.0f;
        QuizScreen *f = start(n, 2, 3000);
        click(rightButton(f));
        clock.now = 1061.7f;
        media.log.clear();
        click(f->Command11);
        EXPECT_EQ(media.log.mid(0, 4), kClickChime);
        ScreenTest::settle();
        EXPECT_EQ(open<QuizScreen>(screenFor(n)), nullptr);
        EXPECT_NE(platform::forms::find("Form4"), nullptr);
        const state::Module1 saved = fileState();
        EXPECT_EQ(saved.QuestionNo, n == 30 ? 30 : n + 1);
        EXPECT_EQ(saved.AnswerTime[n], 61.0f);
        EXPECT_EQ(saved.Score, 6000);
        EXPECT_EQ(m.AnsweredRight, 0);
        platform::forms::resetForTests();
    }
}

TEST_F(QuizExitTest, EachScreenKeepsItsOwnTabOrder) {
    QuizScreen *f = start(3);
    QList<QWidget *> expected{f->Picture2, f->Picture3};
    for (int k = 1; k <= 8; ++k) expected << f->Command[k];
    expected << f->Command9 << f->Picture1 << f->Command10 << f->Command11;
    EXPECT_EQ(focusChain(f->Picture2), expected);
    EXPECT_EQ(f->firstFocus(), f->Picture2);
    platform::forms::resetForTests();

    QuizScreen *g = start(18);
    QList<QWidget *> second{g->Command11, g->Command10, g->Picture1, g->Command9, g->Picture3, g->Picture2};
    for (int k = 8; k >= 1; --k) second << g->Command[k];
    EXPECT_EQ(focusChain(g->Command11), second);
    EXPECT_EQ(g->firstFocus(), g->Command11);
}

// A key pressed on arrival never answers: the first screen opens with the
// focus on the answer area, the second on the first enabled control of its
// tab order, not on an answer button.
TEST_F(QuizExitTest, SpaceOnArrivalDoesNotAnswer) {
    for (int n : {2, 17}) {
        SCOPED_TRACE(n);
        state::resetModule1();
        QuizScreen *f = start(n, 1);
        QWidget *focus = f->focusWidget();
        ASSERT_NE(focus, nullptr);
        // Form7's first control, "次へ", is disabled on arrival; the focus
        // moves on to "終了".
        EXPECT_EQ(focus, n == 2 ? static_cast<QWidget *>(f->Picture2) : f->Command10);
        for (int k = 1; k <= 8; ++k) EXPECT_NE(focus, f->Command[k]) << k;
        QTest::keyClick(focus, Qt::Key_Space);
        EXPECT_EQ(m.Score, 0);
        EXPECT_EQ(m.MissCount[n], 0);
        EXPECT_TRUE(f->Label4->text().isEmpty());
        platform::forms::resetForTests();
    }
}

}  // namespace
