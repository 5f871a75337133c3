// SPDX-License-Identifier: GPL-3.0-or-later
// The quiz screens: activation, variants, start times, drawing, answer
// checking, scoring, "次へ" and the twin screen for questions 16 to 30.
#include "screens/quiz/QuizFixture.h"

#include <QDir>
#include <QFile>

#include <set>
#include <vector>

using namespace testing_support;
using screens::QuizScreen;

namespace {

using QuizTest = QuizFixture;

TEST_F(QuizTest, FirstScreenLayoutMatchesTheDesign) {
    QuizScreen *f = start(1);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), "  ぽむりん紀行20（√、因数分解、２次方程式・関数の巻） for Win");
    EXPECT_EQ(f->size(), QSize(442, 385));
    EXPECT_EQ(f->board.quitButton->geometry(), QRect(8, 0, 57, 25));
    EXPECT_EQ(f->board.helpButton->text(), "HELP");
    EXPECT_EQ(f->board.nextButton->geometry(), QRect(376, 0, 57, 25));
    EXPECT_EQ(f->board.questionBox->geometry(), QRect(8, 24, 425, 129));
    EXPECT_EQ(f->board.questionBox->ConsoleModel::font().family(), "IPAPGothic");
    EXPECT_EQ(f->board.questionBox->lineHeight(), 225);
    EXPECT_EQ(f->board.choicesBox->geometry(), QRect(8, 168, 425, 97));
    EXPECT_EQ(f->board.answerButtons[1]->parentWidget(), f->board.choicesBox);
    // Answer buttons stand at their twips from the answer area's client
    // area, inside its 2-pixel sunken frame.
    EXPECT_EQ(f->board.choicesBox->contentsRect().topLeft(), QPoint(2, 2));
    EXPECT_EQ(f->board.answerButtons[1]->geometry(), QRect(18, 18, 193, 17));
    EXPECT_EQ(f->board.answerButtons[8]->geometry(), QRect(218, 66, 193, 17));
    EXPECT_EQ(f->board.scoreCaption->text(), "ぽむりん得点");
    EXPECT_EQ(f->board.verdictCaption->text(), "ぽむりん答え");
    EXPECT_EQ(f->board.scoreLabel->palette().color(QPalette::WindowText), QColor(0, 64, 64));
    EXPECT_EQ(f->board.scoreLabel->alignment(), Qt::AlignCenter);
    EXPECT_EQ(f->board.speechBox->geometry(), QRect(80, 328, 281, 41));
    EXPECT_EQ(f->board.mascotPose1->geometry(), QRect(384, 328, 41, 41));
    EXPECT_EQ(f->board.friendPose1->geometry(), QRect(16, 328, 41, 41));
    EXPECT_EQ(f->board.mascotTimer->interval(), 500);
}

TEST_F(QuizTest, SecondScreenStandsFurtherLeft) {
    QuizScreen *f = start(16);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->objectName(), "secondQuizScreen");
    EXPECT_EQ(f->size(), QSize(425, 385));
    EXPECT_EQ(f->board.quitButton->geometry().x(), 0);
    EXPECT_EQ(f->board.questionBox->geometry().x(), 0);
    EXPECT_EQ(f->board.answerButtons[1]->geometry(), QRect(18, 18, 193, 17));  // inside choicesBox, unmoved
    EXPECT_EQ(f->board.mascotPose1->geometry().x(), 376);
}

TEST_F(QuizTest, ActivationPrintsTheSpeechLinesAndTheScore) {
    QuizScreen *f = start(3, 1, -3000);
    EXPECT_EQ(lines(*f->board.speechBox), QStringList({"「解答群の ｘ^2 は、ｘの２乗を表しているぞ！」",
                                                "「解答群から正解を選び、ｸﾘｯｸしろよ！」",
                                                "「分からなかったら〔HELP〕をｸﾘｯｸするんだな！」"}));
    // A screen reader reads the box as the learner sees it.
    EXPECT_EQ(f->board.speechBox->accessibleDescription(), lines(*f->board.speechBox).join("\n"));
    EXPECT_TRUE(f->board.questionBox->accessibleDescription().contains("　【問題３】"));
    EXPECT_EQ(f->board.scoreLabel->text(), "-3000");
    EXPECT_FALSE(f->board.nextButton->isEnabled());
    EXPECT_TRUE(f->board.helpButton->isEnabled());
    EXPECT_EQ(lines(*f->board.choicesBox), QStringList{"　解答群"});
    EXPECT_TRUE(media.log.isEmpty());  // the quiz screen has no tune
}

// Every variant of every question, on its own screen: drawn as the
// independent table gives it, and judged button by button with its key.
class AllVariants : public QuizTest, public ::testing::WithParamInterface<expected::VariantText> {};

TEST_P(AllVariants, AreDrawnAndJudgedAsTheTableGives) {
    const expected::VariantText &e = GetParam();
    QuizScreen *f = start(e.n, e.v);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(m.variant, e.v);
    std::vector<expected::AreaLine> shown;
    for (const platform::PrintedText &p : f->board.questionBox->printed()) {
        EXPECT_EQ(p.x, 0) << p.text.toStdString();
        const int palette = p.color == platform::paletteColor(12) ? 12 : p.color == platform::paletteColor(0) ? 0 : -1;
        shown.push_back({p.text.toStdString(), static_cast<int>(p.y), palette});
    }
    EXPECT_EQ(shown, expected::questionArea(e, false));
    EXPECT_EQ(lines(*f->board.choicesBox), QStringList{"　解答群"});
    for (int k = 1; k <= 7; ++k) EXPECT_EQ(f->board.answerButtons[k]->text(), QString::fromUtf8(e.captions[k - 1])) << k;
    EXPECT_EQ(f->board.answerButtons[8]->text(), "その他");

    // Every other button, answerButton8 included, is wrong; each wrong click
    // counts a miss and locks the buttons until they are enabled again.
    int misses = 0;
    for (int k = 1; k <= 8; ++k) {
        if (k == e.right) continue;
        click(f->board.answerButtons[k]);
        EXPECT_EQ(m.misses[e.n], ++misses) << "Command" << k;
        EXPECT_EQ(f->board.verdictLabel->text(), "違う") << "Command" << k;
        f->enableChoices();
    }
    click(f->board.answerButtons[e.right]);
    EXPECT_EQ(f->board.verdictLabel->text(), "正解");
    EXPECT_TRUE(m.answeredRight);
    EXPECT_EQ(m.misses[e.n], 7);
    EXPECT_EQ(m.score, 3000 - 7 * 3000);
}

INSTANTIATE_TEST_SUITE_P(Questions, AllVariants, ::testing::ValuesIn(expected::kVariants),
                         expected::testName);

TEST_F(QuizTest, ButtonStatesThroughUnansweredRightAndWrong) {
    QuizScreen *f = start(2, 1);
    // Unanswered.
    EXPECT_FALSE(f->board.nextButton->isEnabled());
    EXPECT_TRUE(f->board.helpButton->isEnabled());
    EXPECT_TRUE(f->board.verdictLabel->text().isEmpty());

    // Right: once only.
    click(rightButton(f));
    EXPECT_EQ(media.log, QStringList({"Close", "Open Chimes.wav", "Sound"}));
    EXPECT_TRUE(f->board.nextButton->isEnabled());
    EXPECT_FALSE(f->board.helpButton->isEnabled());
    EXPECT_EQ(f->board.verdictLabel->text(), "正解");
    EXPECT_EQ(f->board.verdictLabel->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_EQ(f->board.scoreLabel->text(), "3000");
    media.log.clear();
    click(rightButton(f));
    EXPECT_TRUE(media.log.isEmpty());
    EXPECT_EQ(m.score, 3000);

    // A wrong click after the right one takes the question back.
    click(wrongButton(f));
    EXPECT_EQ(media.log, QStringList({"Close", "Open Chimes2.wav", "Sound"}));
    EXPECT_FALSE(m.answeredRight);
    EXPECT_EQ(m.score, 0);
    EXPECT_EQ(m.misses[2], 1);
    EXPECT_EQ(f->board.verdictLabel->text(), "違う");
    EXPECT_EQ(f->board.verdictLabel->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    for (int k = 1; k <= 8; ++k) EXPECT_FALSE(f->board.answerButtons[k]->isEnabled());
    EXPECT_TRUE(f->board.nextButton->isEnabled());  // enabled, but only beeps now
    EXPECT_FALSE(f->board.helpButton->isEnabled());
    media.log.clear();
    click(f->board.nextButton);
    EXPECT_EQ(beep.count, 1);
    EXPECT_EQ(media.log, QStringList({"Stop", "Close", "Open pinpon.wav", "Sound"}));
    EXPECT_EQ(m.question, 2);
}

TEST_F(QuizTest, WrongAnswerLocksChoicesCountsMissAndScolds) {
    QuizScreen *f = start(4, 2);
    click(wrongButton(f));
    EXPECT_EQ(m.score, -3000);
    EXPECT_EQ(f->board.scoreLabel->text(), "-3000");
    EXPECT_EQ(m.misses[4], 1);
    EXPECT_EQ(lines(*f->board.speechBox), QStringList({" 間違いだぞ!!", " [HELP]をクリックするんだ!!",
                                                " [次へ]をクリックしても無駄だぞ!!"}));
    for (const auto &p : f->board.speechBox->printed()) EXPECT_EQ(p.color, QColor(128, 0, 0));
    click(rightButton(f));  // locked: a click on a disabled button does nothing
    EXPECT_EQ(m.score, -3000);
    EXPECT_FALSE(f->board.nextButton->isEnabled());
    EXPECT_TRUE(f->board.helpButton->isEnabled());
    f->enableChoices();
    for (int k = 1; k <= 8; ++k) EXPECT_TRUE(f->board.answerButtons[k]->isEnabled());
    click(wrongButton(f));
    EXPECT_EQ(m.misses[4], 2);
    EXPECT_EQ(m.score, -6000);
}

TEST_F(QuizTest, NextBeforeARightAnswerOnlyBeeps) {
    QuizScreen *f = start(3);
    f->nextClicked();  // the button is disabled: call the handler as a guard test
    EXPECT_EQ(beep.count, 1);
    EXPECT_EQ(m.question, 3);
    EXPECT_EQ(media.log, QStringList({"Stop", "Close", "Open pinpon.wav", "Sound"}));
}

// "次へ" inside a block sets the next question up unanswered on either
// screen: "HELP" usable again, "次へ" locked, no verdict, and a right
// answer to it scores again.
TEST_F(QuizTest, NextOnTheOrdinaryPathLeavesTheNewQuestionUnanswered) {
    for (int n : {2, 17}) {
        SCOPED_TRACE(n);
        QuizScreen *f = start(n, 1);
        click(rightButton(f));
        ASSERT_TRUE(f->board.nextButton->isEnabled());
        ASSERT_FALSE(f->board.helpButton->isEnabled());
        random.values = {0.9};
        click(f->board.nextButton);
        EXPECT_EQ(m.question, n + 1);
        EXPECT_EQ(m.variant, 3);
        EXPECT_FALSE(m.answeredRight);
        EXPECT_TRUE(f->board.helpButton->isEnabled());
        EXPECT_FALSE(f->board.nextButton->isEnabled());
        EXPECT_TRUE(f->board.verdictLabel->text().isEmpty());
        EXPECT_EQ(f->board.answerButtons[1]->text(), QString::fromUtf8(expected::variant(n + 1, 3).captions[0]));
        click(rightButton(f));
        EXPECT_EQ(m.score, 6000);
        EXPECT_TRUE(f->board.nextButton->isEnabled());
        EXPECT_FALSE(f->board.helpButton->isEnabled());
        platform::forms::resetForTests();
        state::resetSession();
    }
}

TEST_F(QuizTest, FirstQuestionActivationDoesNotResetTheScreen) {
    m.answeredRight = true;
    start(1);
    EXPECT_TRUE(m.answeredRight);
    m.answeredRight = true;
    start(2);
    EXPECT_FALSE(m.answeredRight);
    m.answeredRight = true;
    start(16);  // on the second screen every question is set up
    EXPECT_FALSE(m.answeredRight);
}

TEST_F(QuizTest, QuestionOutsideTheScreensRangeDrawsOnlyTheSpeech) {
    const struct {
        ScreenId screen;
        int n;
    } cases[] = {{ScreenId::FirstQuiz, 16}, {ScreenId::FirstQuiz, 30}, {ScreenId::SecondQuiz, 1}, {ScreenId::SecondQuiz, 15}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << screens::objectNameOf(c.screen).toStdString() << " question " << c.n);
        m.userCode = "learner";
        m.question = static_cast<short>(c.n);
        state::progress::save(m);
        screens::showScreen(c.screen);
        auto *f = open<QuizScreen>(c.screen);
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(f->board.questionBox->printed().isEmpty());
        EXPECT_EQ(f->board.speechBox->printed().size(), 3);
        EXPECT_TRUE(f->board.answerButtons[1]->text().isEmpty());
        EXPECT_TRUE(f->board.scoreLabel->text().isEmpty());
        EXPECT_EQ(random.seeds.size(), 0);  // no variant drawn
        click(f->board.answerButtons[3]);  // no question: nothing happens
        EXPECT_EQ(m.score, 0);
        f->unload();
    }
}

// A question number no screen can show makes the file damaged: the
// activation's trap ends the program silently, with nothing drawn.
TEST_F(QuizTest, FileWithAnImpossibleQuestionEndsTheProgramSilently) {
    for (const char *n : {"0", "31", "-5", "32767"}) {
        SCOPED_TRACE(n);
        QFile file("learner.ucd");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(n) + ",0\r\n" + QByteArray("0,0\r\n").repeated(30));
        file.close();
        m.userCode = "learner";
        screens::showScreen(screens::ScreenId::FirstQuiz);
        settle();
        EXPECT_TRUE(platform::forms::programEnded());
        EXPECT_TRUE(platform::forms::open().isEmpty());
        EXPECT_TRUE(dialogs.calls.isEmpty());
        EXPECT_EQ(m.score, 0);
        platform::forms::resetForTests();
    }
}

// One draw per question per run, counted for the question it was drawn
// for: a return to the screen keeps the variant without drawing again,
// "次へ" draws once for the next question, and a new run draws afresh.
TEST_F(QuizTest, EachQuestionDrawsItsVariantOncePerRun) {
    for (int n : {7, 22}) {
        SCOPED_TRACE(n);
        platform::forms::resetForTests();
        state::resetSession();
        random.seeds.clear();
        QuizScreen *f = start(n, 3);
        EXPECT_EQ(m.variant, 3);
        EXPECT_EQ(random.seeds.size(), 1);

        // Back from the tutor: the same variant, no second draw.
        random.values = {0.0};  // would give variant 1
        f = reopen();
        EXPECT_EQ(m.variant, 3);
        EXPECT_EQ(random.seeds.size(), 1);
        EXPECT_EQ(f->board.answerButtons[1]->text(), QString::fromUtf8(expected::variant(n, 3).captions[0]));

        // "次へ" draws for the next question and counts the draw there.
        click(rightButton(f));
        random.values = {0.5};
        click(f->board.nextButton);
        EXPECT_EQ(m.variant, 2);
        EXPECT_EQ(random.seeds.size(), 2);
        for (int q = 1; q <= state::kQuestions; ++q)
            EXPECT_EQ(m.variantDrawn[q], q == n || q == n + 1) << "question " << q;

        // A return to that question keeps its variant too.
        state::progress::save(m);
        random.values = {0.0};
        f = reopen();
        EXPECT_EQ(m.variant, 2);
        EXPECT_EQ(random.seeds.size(), 2);
        EXPECT_EQ(f->board.answerButtons[1]->text(), QString::fromUtf8(expected::variant(n + 1, 2).captions[0]));
    }
    // A new run starts with no variant drawn.
    state::resetSession();
    start(7, 1);
    EXPECT_EQ(m.variant, 1);
}

TEST_F(QuizTest, VariantDrawIsSeededFromTheClock) {
    clock.now = 1234.5f;
    start(8, 2);
    EXPECT_EQ(random.seeds, QList<float>{1234.5f});
}

TEST_F(QuizTest, NewRunTimesBlockOpenersOnActivationAndOthersOnNext) {
    clock.now = 100;
    QuizScreen *f = start(1);
    EXPECT_EQ(m.answerTimes[1], 100.0f);
    EXPECT_TRUE(m.clockStarted[1]);
    click(rightButton(f));
    clock.now = 142.9f;
    random.values = {0.5};
    click(f->board.nextButton);
    EXPECT_EQ(m.answerTimes[1], 42.0f);  // whole seconds, rounded down
    EXPECT_EQ(m.answerTimes[2], 142.9f);
    EXPECT_EQ(m.question, 2);
    EXPECT_EQ(m.variant, 2);
    EXPECT_TRUE(f->board.verdictLabel->text().isEmpty());
    EXPECT_FALSE(f->board.nextButton->isEnabled());
    // Drawn on the next path, from a cleared box.
    EXPECT_EQ(f->board.questionBox->printed()[0].text, "　【問題２】");
    EXPECT_EQ(f->board.questionBox->printed()[0].y, 225);
    EXPECT_EQ(lines(*f->board.choicesBox), QStringList{"　解答群"});

    // Back from the tutor: question 2 is no block opener, the start stays.
    state::progress::save(m);
    clock.now = 200;
    reopen();
    EXPECT_EQ(m.answerTimes[2], 142.9f);
    EXPECT_FALSE(m.clockStarted[2]);
}

// Activation takes the start reading of a block's first question (1, 6,
// 11, 16, 21, 26) in any run and of every other question only in a
// continued run, counts it for that question, and never takes it twice.
TEST_F(QuizTest, ActivationTimesBlockOpenersOrAnyQuestionOfAContinuedRun) {
    const std::set<int> openers = {1, 6, 11, 16, 21, 26};
    for (bool resumed : {false, true}) {
        for (int n = 1; n <= state::kQuestions; ++n) {
            SCOPED_TRACE(testing::Message() << "question " << n << " resumed " << resumed);
            platform::forms::resetForTests();
            state::resetSession();
            m.resumed = resumed;
            m.answerTimes[n] = 777;  // a start reading taken by "次へ", saved in the file
            clock.now = 1000.0f + n;
            start(n);
            const bool takes = openers.count(n) || resumed;
            const float reading = takes ? 1000.0f + n : 777.0f;
            EXPECT_EQ(m.answerTimes[n], reading);
            for (int q = 1; q <= state::kQuestions; ++q)
                EXPECT_EQ(m.clockStarted[q], q == n && takes) << "question " << q;

            // Back from the tutor: the reading stands.
            state::progress::save(m);
            clock.now = 5000;
            reopen();
            EXPECT_EQ(m.answerTimes[n], reading);
            EXPECT_EQ(m.clockStarted[n], takes);
        }
    }
}

TEST_F(QuizTest, ContinuedRunTakesAFreshStartOnceOnFirstActivation) {
    m.resumed = true;
    m.answerTimes[4] = 5000;  // left by an earlier run
    clock.now = 300;
    start(4);
    EXPECT_EQ(m.answerTimes[4], 300.0f);
    EXPECT_TRUE(m.clockStarted[4]);
    state::progress::save(m);
    clock.now = 400;
    reopen();
    EXPECT_EQ(m.answerTimes[4], 300.0f);
}

TEST_F(QuizTest, NegativeElapsedTimeAcrossMidnightIsKept) {
    clock.now = 86390;
    QuizScreen *f = start(6);
    click(rightButton(f));
    clock.now = 5;
    click(f->board.nextButton);
    EXPECT_EQ(m.answerTimes[6], -86385.0f);
}

TEST_F(QuizTest, InstructionOfQuestionsNineAndTenDependsOnThePath) {
    QuizScreen *f = start(9);
    EXPECT_EQ(f->board.questionBox->printed()[1].text, "　　　　分母にルートがない形にせよ。");
    click(rightButton(f));
    click(f->board.nextButton);
    EXPECT_EQ(f->board.questionBox->printed()[1].text, "　　　　分母に√がない形にせよ。");
    EXPECT_EQ(m.question, 10);
}

TEST_F(QuizTest, NextAfterTheFifthQuestionSavesTheAdvancedState) {
    clock.now = 1000;
    m.resumed = true;
    QuizScreen *f = start(5);
    click(rightButton(f));
    clock.now = 1061.5f;
    click(f->board.nextButton);
    EXPECT_EQ(m.question, 6);
    EXPECT_FALSE(m.answeredRight);
    EXPECT_EQ(m.answerTimes[5], 61.0f);
    EXPECT_FALSE(f->board.nextButton->isEnabled());
    EXPECT_TRUE(f->board.helpButton->isEnabled());
    QFile file("learner.ucd");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("6,3000\r\n0,0\r\n0,0\r\n0,0\r\n0,0\r\n0,61\r\n"));
}

TEST_F(QuizTest, LastQuestionKeepsQuestionNumberThirty) {
    clock.now = 10;
    m.resumed = true;
    QuizScreen *f = start(30, 2);
    click(rightButton(f));
    clock.now = 20;
    click(f->board.nextButton);
    EXPECT_EQ(m.question, 30);
    EXPECT_EQ(m.answerTimes[30], 10.0f);
}

TEST_F(QuizTest, MissingProgressFileEndsTheProgramSilently) {
    m.userCode = "gone";
    m.question = 3;
    screens::showScreen(screens::ScreenId::FirstQuiz);
    settle();
    EXPECT_TRUE(platform::forms::programEnded());
    EXPECT_TRUE(dialogs.calls.isEmpty());
}

TEST_F(QuizTest, FailedSaveOnHandOverIsReportedAndEnds) {
    QuizScreen *f = start(10);
    click(rightButton(f));
    QFile::remove("learner.ucd");
    QDir().mkdir("learner.ucd");  // the save cannot replace a directory
    click(f->board.nextButton);
    ASSERT_EQ(dialogs.calls.size(), 1);
    EXPECT_TRUE(dialogs.calls[0].startsWith("error|進み具合を保存できませんでした。\n「learner.ucd」"));
    EXPECT_TRUE(platform::forms::programEnded());
}

TEST_F(QuizTest, MissCountStopsAtItsLimit) {
    m.misses[2] = 32767;
    QuizScreen *f = start(2);
    click(wrongButton(f));
    EXPECT_EQ(m.misses[2], 32767);
    EXPECT_EQ(m.score, -3000);
}

TEST_F(QuizTest, MascotPairsBlinkTogether) {
    QuizScreen *f = start(1);
    f->board.mascotTimer->fire();
    EXPECT_TRUE(f->board.mascotPose2->isVisible() && f->board.friendPose2->isVisible());
    EXPECT_FALSE(f->board.mascotPose1->isVisible() || f->board.friendPose1->isVisible());
    f->board.mascotTimer->fire();
    EXPECT_TRUE(f->board.mascotPose1->isVisible() && f->board.friendPose1->isVisible());
    EXPECT_FALSE(f->board.mascotPose2->isVisible() || f->board.friendPose2->isVisible());
}

}  // namespace
