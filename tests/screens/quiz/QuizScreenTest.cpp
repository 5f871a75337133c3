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
    EXPECT_EQ(f->Command10->geometry(), QRect(8, 0, 57, 25));
    EXPECT_EQ(f->Command9->text(), "HELP");
    EXPECT_EQ(f->Command11->geometry(), QRect(376, 0, 57, 25));
    EXPECT_EQ(f->Picture1->geometry(), QRect(8, 24, 425, 129));
    EXPECT_EQ(f->Picture1->ConsoleModel::font().family(), "IPAPGothic");
    EXPECT_EQ(f->Picture1->lineHeight(), 225);
    EXPECT_EQ(f->Picture2->geometry(), QRect(8, 168, 425, 97));
    EXPECT_EQ(f->Command[1]->parentWidget(), f->Picture2);
    // Answer buttons stand at their twips from the answer area's client
    // area, inside its 2-pixel sunken frame.
    EXPECT_EQ(f->Picture2->contentsRect().topLeft(), QPoint(2, 2));
    EXPECT_EQ(f->Command[1]->geometry(), QRect(18, 18, 193, 17));
    EXPECT_EQ(f->Command[8]->geometry(), QRect(218, 66, 193, 17));
    EXPECT_EQ(f->Label1->text(), "ぽむりん得点");
    EXPECT_EQ(f->Label3->text(), "ぽむりん答え");
    EXPECT_EQ(f->Label2->palette().color(QPalette::WindowText), QColor(0, 64, 64));
    EXPECT_EQ(f->Label2->alignment(), Qt::AlignCenter);
    EXPECT_EQ(f->Picture3->geometry(), QRect(80, 328, 281, 41));
    EXPECT_EQ(f->Image1->geometry(), QRect(384, 328, 41, 41));
    EXPECT_EQ(f->Image3->geometry(), QRect(16, 328, 41, 41));
    EXPECT_EQ(f->Timer1->interval(), 500);
}

TEST_F(QuizTest, SecondScreenStandsFurtherLeft) {
    QuizScreen *f = start(16);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->objectName(), "Form7");
    EXPECT_EQ(f->size(), QSize(425, 385));
    EXPECT_EQ(f->Command10->geometry().x(), 0);
    EXPECT_EQ(f->Picture1->geometry().x(), 0);
    EXPECT_EQ(f->Command[1]->geometry(), QRect(18, 18, 193, 17));  // inside Picture2, unmoved
    EXPECT_EQ(f->Image1->geometry().x(), 376);
}

TEST_F(QuizTest, ActivationPrintsTheSpeechLinesAndTheScore) {
    QuizScreen *f = start(3, 1, -3000);
    EXPECT_EQ(lines(*f->Picture3), QStringList({"「解答群の ｘ^2 は、ｘの２乗を表しているぞ！」",
                                                "「解答群から正解を選び、ｸﾘｯｸしろよ！」",
                                                "「分からなかったら〔HELP〕をｸﾘｯｸするんだな！」"}));
    // A screen reader reads the box as the learner sees it.
    EXPECT_EQ(f->Picture3->accessibleDescription(), lines(*f->Picture3).join("\n"));
    EXPECT_TRUE(f->Picture1->accessibleDescription().contains("　【問題３】"));
    EXPECT_EQ(f->Label2->text(), "-3000");
    EXPECT_FALSE(f->Command11->isEnabled());
    EXPECT_TRUE(f->Command9->isEnabled());
    EXPECT_EQ(lines(*f->Picture2), QStringList{"　解答群"});
    EXPECT_TRUE(media.log.isEmpty());  // the quiz screen has no tune
}

// Every variant of every question, on its own screen: drawn as the
// independent table gives it, and judged button by button with its key.
class AllVariants : public QuizTest, public ::testing::WithParamInterface<expected::VariantText> {};

TEST_P(AllVariants, AreDrawnAndJudgedAsTheTableGives) {
    const expected::VariantText &e = GetParam();
    QuizScreen *f = start(e.n, e.v);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(m.VariantNo, e.v);
    std::vector<expected::AreaLine> shown;
    for (const platform::PrintedText &p : f->Picture1->printed()) {
        EXPECT_EQ(p.x, 0) << p.text.toStdString();
        const int palette = p.color == platform::paletteColor(12) ? 12 : p.color == platform::paletteColor(0) ? 0 : -1;
        shown.push_back({p.text.toStdString(), static_cast<int>(p.y), palette});
    }
    EXPECT_EQ(shown, expected::questionArea(e, false));
    EXPECT_EQ(lines(*f->Picture2), QStringList{"　解答群"});
    for (int k = 1; k <= 7; ++k) EXPECT_EQ(f->Command[k]->text(), QString::fromUtf8(e.captions[k - 1])) << k;
    EXPECT_EQ(f->Command[8]->text(), "その他");

    // Every other button, Command8 included, is wrong; each wrong click
    // counts a miss and locks the buttons until they are enabled again.
    int misses = 0;
    for (int k = 1; k <= 8; ++k) {
        if (k == e.right) continue;
        click(f->Command[k]);
        EXPECT_EQ(m.MissCount[e.n], ++misses) << "Command" << k;
        EXPECT_EQ(f->Label4->text(), "違う") << "Command" << k;
        f->EnableChoices();
    }
    click(f->Command[e.right]);
    EXPECT_EQ(f->Label4->text(), "正解");
    EXPECT_EQ(m.AnsweredRight, 1);
    EXPECT_EQ(m.MissCount[e.n], 7);
    EXPECT_EQ(m.Score, 3000 - 7 * 3000);
}

INSTANTIATE_TEST_SUITE_P(Questions, AllVariants, ::testing::ValuesIn(expected::kVariants),
                         expected::testName);

TEST_F(QuizTest, ButtonStatesThroughUnansweredRightAndWrong) {
    QuizScreen *f = start(2, 1);
    // Unanswered.
    EXPECT_FALSE(f->Command11->isEnabled());
    EXPECT_TRUE(f->Command9->isEnabled());
    EXPECT_TRUE(f->Label4->text().isEmpty());

    // Right: once only.
    click(rightButton(f));
    EXPECT_EQ(media.log, QStringList({"Close", "Open Chimes.wav", "Sound"}));
    EXPECT_TRUE(f->Command11->isEnabled());
    EXPECT_FALSE(f->Command9->isEnabled());
    EXPECT_EQ(f->Label4->text(), "正解");
    EXPECT_EQ(f->Label4->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_EQ(f->Label2->text(), "3000");
    media.log.clear();
    click(rightButton(f));
    EXPECT_TRUE(media.log.isEmpty());
    EXPECT_EQ(m.Score, 3000);

    // A wrong click after the right one takes the question back.
    click(wrongButton(f));
    EXPECT_EQ(media.log, QStringList({"Close", "Open Chimes2.wav", "Sound"}));
    EXPECT_EQ(m.AnsweredRight, 0);
    EXPECT_EQ(m.Score, 0);
    EXPECT_EQ(m.MissCount[2], 1);
    EXPECT_EQ(f->Label4->text(), "違う");
    EXPECT_EQ(f->Label4->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    for (int k = 1; k <= 8; ++k) EXPECT_FALSE(f->Command[k]->isEnabled());
    EXPECT_TRUE(f->Command11->isEnabled());  // enabled, but only beeps now
    EXPECT_FALSE(f->Command9->isEnabled());
    media.log.clear();
    click(f->Command11);
    EXPECT_EQ(beep.count, 1);
    EXPECT_EQ(media.log, QStringList({"Stop", "Close", "Open pinpon.wav", "Sound"}));
    EXPECT_EQ(m.QuestionNo, 2);
}

TEST_F(QuizTest, WrongAnswerLocksChoicesCountsMissAndScolds) {
    QuizScreen *f = start(4, 2);
    click(wrongButton(f));
    EXPECT_EQ(m.Score, -3000);
    EXPECT_EQ(f->Label2->text(), "-3000");
    EXPECT_EQ(m.MissCount[4], 1);
    EXPECT_EQ(lines(*f->Picture3), QStringList({" 間違いだぞ!!", " [HELP]をクリックするんだ!!",
                                                " [次へ]をクリックしても無駄だぞ!!"}));
    for (const auto &p : f->Picture3->printed()) EXPECT_EQ(p.color, QColor(128, 0, 0));
    click(rightButton(f));  // locked: a click on a disabled button does nothing
    EXPECT_EQ(m.Score, -3000);
    EXPECT_FALSE(f->Command11->isEnabled());
    EXPECT_TRUE(f->Command9->isEnabled());
    f->EnableChoices();
    for (int k = 1; k <= 8; ++k) EXPECT_TRUE(f->Command[k]->isEnabled());
    click(wrongButton(f));
    EXPECT_EQ(m.MissCount[4], 2);
    EXPECT_EQ(m.Score, -6000);
}

TEST_F(QuizTest, NextBeforeARightAnswerOnlyBeeps) {
    QuizScreen *f = start(3);
    f->Command11Click();  // the button is disabled: call the handler as a guard test
    EXPECT_EQ(beep.count, 1);
    EXPECT_EQ(m.QuestionNo, 3);
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
        ASSERT_TRUE(f->Command11->isEnabled());
        ASSERT_FALSE(f->Command9->isEnabled());
        random.values = {0.9};
        click(f->Command11);
        EXPECT_EQ(m.QuestionNo, n + 1);
        EXPECT_EQ(m.VariantNo, 3);
        EXPECT_EQ(m.AnsweredRight, 0);
        EXPECT_TRUE(f->Command9->isEnabled());
        EXPECT_FALSE(f->Command11->isEnabled());
        EXPECT_TRUE(f->Label4->text().isEmpty());
        EXPECT_EQ(f->Command[1]->text(), QString::fromUtf8(expected::variant(n + 1, 3).captions[0]));
        click(rightButton(f));
        EXPECT_EQ(m.Score, 6000);
        EXPECT_TRUE(f->Command11->isEnabled());
        EXPECT_FALSE(f->Command9->isEnabled());
        platform::forms::resetForTests();
        state::resetModule1();
    }
}

TEST_F(QuizTest, FirstQuestionActivationDoesNotResetTheScreen) {
    m.AnsweredRight = 1;
    start(1);
    EXPECT_EQ(m.AnsweredRight, 1);
    m.AnsweredRight = 1;
    start(2);
    EXPECT_EQ(m.AnsweredRight, 0);
    m.AnsweredRight = 1;
    start(16);  // on the second screen every question is set up
    EXPECT_EQ(m.AnsweredRight, 0);
}

TEST_F(QuizTest, QuestionOutsideTheScreensRangeDrawsOnlyTheSpeech) {
    const struct {
        const char *screen;
        int n;
    } cases[] = {{"Form3", 16}, {"Form3", 30}, {"Form7", 1}, {"Form7", 15}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.screen << " question " << c.n);
        m.UserFileStem = "learner";
        m.QuestionNo = static_cast<short>(c.n);
        state::progress::save(m);
        platform::forms::show(c.screen);
        auto *f = open<QuizScreen>(c.screen);
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(f->Picture1->printed().isEmpty());
        EXPECT_EQ(f->Picture3->printed().size(), 3);
        EXPECT_TRUE(f->Command[1]->text().isEmpty());
        EXPECT_TRUE(f->Label2->text().isEmpty());
        EXPECT_EQ(random.seeds.size(), 0);  // no variant drawn
        click(f->Command[3]);  // no question: nothing happens
        EXPECT_EQ(m.Score, 0);
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
        m.UserFileStem = "learner";
        platform::forms::show("Form3");
        settle();
        EXPECT_TRUE(platform::forms::programEnded());
        EXPECT_TRUE(platform::forms::open().isEmpty());
        EXPECT_TRUE(dialogs.calls.isEmpty());
        EXPECT_EQ(m.Score, 0);
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
        state::resetModule1();
        random.seeds.clear();
        QuizScreen *f = start(n, 3);
        EXPECT_EQ(m.VariantNo, 3);
        EXPECT_EQ(random.seeds.size(), 1);

        // Back from the tutor: the same variant, no second draw.
        random.values = {0.0};  // would give variant 1
        f = reopen();
        EXPECT_EQ(m.VariantNo, 3);
        EXPECT_EQ(random.seeds.size(), 1);
        EXPECT_EQ(f->Command[1]->text(), QString::fromUtf8(expected::variant(n, 3).captions[0]));

        // "次へ" draws for the next question and counts the draw there.
        click(rightButton(f));
        random.values = {0.5};
        click(f->Command11);
        EXPECT_EQ(m.VariantNo, 2);
        EXPECT_EQ(random.seeds.size(), 2);
        for (int q = 1; q <= state::kQuestions; ++q)
            EXPECT_EQ(m.VariantPicked[q], q == n || q == n + 1 ? 1 : 0) << "question " << q;

        // A return to that question keeps its variant too.
        state::progress::save(m);
        random.values = {0.0};
        f = reopen();
        EXPECT_EQ(m.VariantNo, 2);
        EXPECT_EQ(random.seeds.size(), 2);
        EXPECT_EQ(f->Command[1]->text(), QString::fromUtf8(expected::variant(n + 1, 2).captions[0]));
    }
    // A new run starts with no variant drawn.
    state::resetModule1();
    start(7, 1);
    EXPECT_EQ(m.VariantNo, 1);
}

TEST_F(QuizTest, VariantDrawIsSeededFromTheClock) {
    clock.now = 1234.5f;
    start(8, 2);
    EXPECT_EQ(random.seeds, QList<float>{1234.5f});
}

TEST_F(QuizTest, NewRunTimesBlockOpenersOnActivationAndOthersOnNext) {
    clock.now = 100;
    QuizScreen *f = start(1);
    EXPECT_EQ(m.AnswerTime[1], 100.0f);
    EXPECT_EQ(m.TimerStarted[1], 1);
    click(rightButton(f));
    clock.now = 142.9f;
    random.values = {0.5};
    click(f->Command11);
    EXPECT_EQ(m.AnswerTime[1], 42.0f);  // whole seconds, rounded down
    EXPECT_EQ(m.AnswerTime[2], 142.9f);
    EXPECT_EQ(m.QuestionNo, 2);
    EXPECT_EQ(m.VariantNo, 2);
    EXPECT_TRUE(f->Label4->text().isEmpty());
    EXPECT_FALSE(f->Command11->isEnabled());
    // Drawn on the next path, from a cleared box.
    EXPECT_EQ(f->Picture1->printed()[0].text, "　【問題２】");
    EXPECT_EQ(f->Picture1->printed()[0].y, 225);
    EXPECT_EQ(lines(*f->Picture2), QStringList{"　解答群"});

    // Back from the tutor: question 2 is no block opener, the start stays.
    state::progress::save(m);
    clock.now = 200;
    reopen();
    EXPECT_EQ(m.AnswerTime[2], 142.9f);
    EXPECT_EQ(m.TimerStarted[2], 0);
}

// Activation takes the start reading of a block's first question (1, 6,
// 11, 16, 21, 26) in any run and of every other question only in a
// continued run, counts it for that question, and never takes it twice.
TEST_F(QuizTest, ActivationTimesBlockOpenersOrAnyQuestionOfAContinuedRun) {
    const std::set<int> openers = {1, 6, 11, 16, 21, 26};
    for (short resumed : {0, 1}) {
        for (int n = 1; n <= state::kQuestions; ++n) {
            SCOPED_TRACE(testing::Message() << "question " << n << " ResumedRun " << resumed);
            platform::forms::resetForTests();
            state::resetModule1();
            m.ResumedRun = resumed;
            m.AnswerTime[n] = 777;  // a start reading taken by "次へ", saved in the file
            clock.now = 1000.0f + n;
            start(n);
            const bool takes = openers.count(n) || resumed == 1;
            const float reading = takes ? 1000.0f + n : 777.0f;
            EXPECT_EQ(m.AnswerTime[n], reading);
            for (int q = 1; q <= state::kQuestions; ++q)
                EXPECT_EQ(m.TimerStarted[q], q == n && takes ? 1 : 0) << "question " << q;

            // Back from the tutor: the reading stands.
            state::progress::save(m);
            clock.now = 5000;
            reopen();
            EXPECT_EQ(m.AnswerTime[n], reading);
            EXPECT_EQ(m.TimerStarted[n], takes ? 1 : 0);
        }
    }
}

TEST_F(QuizTest, ContinuedRunTakesAFreshStartOnceOnFirstActivation) {
    m.ResumedRun = 1;
    m.AnswerTime[4] = 5000;  // left by an earlier run
    clock.now = 300;
    start(4);
    EXPECT_EQ(m.AnswerTime[4], 300.0f);
    EXPECT_EQ(m.TimerStarted[4], 1);
    state::progress::save(m);
    clock.now = 400;
    reopen();
    EXPECT_EQ(m.AnswerTime[4], 300.0f);
}

TEST_F(QuizTest, NegativeElapsedTimeAcrossMidnightIsKept) {
    clock.now = 86390;
    QuizScreen *f = start(6);
    click(rightButton(f));
    clock.now = 5;
    click(f->Command11);
    EXPECT_EQ(m.AnswerTime[6], -86385.0f);
}

TEST_F(QuizTest, InstructionOfQuestionsNineAndTenDependsOnThePath) {
    QuizScreen *f = start(9);
    EXPECT_EQ(f->Picture1->printed()[1].text, "　　　　分母にルートがない形にせよ。");
    click(rightButton(f));
    click(f->Command11);
    EXPECT_EQ(f->Picture1->printed()[1].text, "　　　　分母に√がない形にせよ。");
    EXPECT_EQ(m.QuestionNo, 10);
}

TEST_F(QuizTest, NextAfterTheFifthQuestionSavesTheAdvancedState) {
    clock.now = 1000;
    m.ResumedRun = 1;
    QuizScreen *f = start(5);
    click(rightButton(f));
    clock.now = 1061.5f;
    click(f->Command11);
    EXPECT_EQ(m.QuestionNo, 6);
    EXPECT_EQ(m.AnsweredRight, 0);
    EXPECT_EQ(m.AnswerTime[5], 61.0f);
    EXPECT_FALSE(f->Command11->isEnabled());
    EXPECT_TRUE(f->Command9->isEnabled());
    QFile file("learner.ucd");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("6,3000\r\n0,0\r\n0,0\r\n0,0\r\n0,0\r\n0,61\r\n"));
}

TEST_F(QuizTest, LastQuestionKeepsQuestionNumberThirty) {
    clock.now = 10;
    m.ResumedRun = 1;
    QuizScreen *f = start(30, 2);
    click(rightButton(f));
    clock.now = 20;
    click(f->Command11);
    EXPECT_EQ(m.QuestionNo, 30);
    EXPECT_EQ(m.AnswerTime[30], 10.0f);
}

TEST_F(QuizTest, MissingProgressFileEndsTheProgramSilently) {
    m.UserFileStem = "gone";
    m.QuestionNo = 3;
    platform::forms::show("Form3");
    settle();
    EXPECT_TRUE(platform::forms::programEnded());
    EXPECT_TRUE(dialogs.calls.isEmpty());
}

TEST_F(QuizTest, FailedSaveOnHandOverIsReportedAndEnds) {
    QuizScreen *f = start(10);
    click(rightButton(f));
    QFile::remove("learner.ucd");
    QDir().mkdir("learner.ucd");  // the save cannot replace a directory
    click(f->Command11);
    ASSERT_EQ(dialogs.calls.size(), 1);
    EXPECT_TRUE(dialogs.calls[0].startsWith("error|進み具合を保存できませんでした。\n「learner.ucd」"));
    EXPECT_TRUE(platform::forms::programEnded());
}

TEST_F(QuizTest, MissCountStopsAtItsLimit) {
    m.MissCount[2] = 32767;
    QuizScreen *f = start(2);
    click(wrongButton(f));
    EXPECT_EQ(m.MissCount[2], 32767);
    EXPECT_EQ(m.Score, -3000);
}

TEST_F(QuizTest, MascotPairsBlinkTogether) {
    QuizScreen *f = start(1);
    f->Timer1->fire();
    EXPECT_TRUE(f->Image2->isVisible() && f->Image4->isVisible());
    EXPECT_FALSE(f->Image1->isVisible() || f->Image3->isVisible());
    f->Timer1->fire();
    EXPECT_TRUE(f->Image1->isVisible() && f->Image3->isVisible());
    EXPECT_FALSE(f->Image2->isVisible() || f->Image4->isVisible());
}

}  // namespace
