// The whole course through the real screens, as a learner plays it: from
// the title through thirty questions and six roulettes to the history,
// and a run continued from a file in the middle of the second half.
#include "screens/front/Form1.h"
#include "screens/front/Form2.h"
#include "screens/history/Form6.h"
#include "screens/quiz/QuizScreen.h"
#include "screens/roulette/Form4.h"
#include "screens/tutor/Form5.h"
#include "state/Module1.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QFile>

using namespace testing_support;
using namespace screens;

namespace {

class CourseTest : public ScreenTest {
protected:
    state::Module1 &m = state::module1();
    double wheelPoints = 0;
    int roulettes = 0;

    // Spins the wheel once, stopping with the given ExtraTurns, and goes on.
    void playRoulette(Form4 *f, double extraTurns) {
        ++roulettes;
        const double before = m.Score;
        click(f->Command1);
        for (int i = 0; i < 3; ++i) {
            f->Timer2->fire();
            f->BallPause->fire();
        }
        random.values = {extraTurns};
        click(f->Command2);
        for (int guard = 0; f->Timer3->isEnabled() && guard < 100; ++guard) {
            f->Timer3->fire();
            if (f->ballShowing()) f->BallPause->fire();
        }
        ASSERT_TRUE(f->Command3->isEnabled());
        wheelPoints += m.Score - before;
        click(f->Command3);
        settle();
    }

    // Answers right and goes on, screen after screen, until the history
    // shows; each question takes 10 seconds.  Returns the history screen.
    Form6 *playToTheEnd(const std::vector<double> &wheels) {
        size_t wheel = 0;
        for (int step = 0; step < 200; ++step) {
            if (auto *h = open<Form6>("Form6")) return h;
            if (auto *f = open<Form4>("Form4")) {
                playRoulette(f, wheels[wheel++ % wheels.size()]);
                continue;
            }
            auto *q = open<QuizScreen>(m.QuestionNo <= 15 ? "Form3" : "Form7");
            if (!q) {
                ADD_FAILURE() << "no screen open on question " << m.QuestionNo;
                return nullptr;
            }
            EXPECT_EQ(q->objectName(), m.QuestionNo <= 15 ? "Form3" : "Form7");
            clock.now += 10;
            click(q->Command[bank::rightButton(m.QuestionNo, m.VariantNo)]);
            EXPECT_EQ(q->Label4->text(), "正解");
            click(q->Command11);
            settle();
        }
        ADD_FAILURE() << "the course never ended";
        return nullptr;
    }

    static state::Module1 fileState(const QString &name) {
        QFile f(name);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        state::Module1 saved;
        state::progress::parse(f.readAll(), saved);
        return saved;
    }
};

TEST_F(CourseTest, AllThirtyRightWithSixRoulettesEndsOnTheHistory) {
    clock.now = 30000;
    platform::forms::show("Form1");
    click(open<Form1>("Form1")->Command1);
    settle();
    dialogs.inputAnswers = {"ゆうき"};
    click(open<Form2>("Form2")->Command1);
    settle();
    ASSERT_NE(open<QuizScreen>("Form3"), nullptr);

    // Each wheel stops on a different sector: +30000, -10000, 0, +5000,
    // +8000, +10000 (cell 0).
    Form6 *h = playToTheEnd({0.5, 0.41, 0.15, 0.26, 0.8, 0.0});
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(roulettes, 6);
    EXPECT_EQ(wheelPoints, 30000 - 10000 + 0 + 5000 + 8000 + 10000);
    EXPECT_EQ(m.Score, 90000 + wheelPoints);
    EXPECT_EQ(h->Label3->text(), "あなたは、問題 30 番まで進んでいます。");
    for (int i = 1; i <= 30; ++i) {
        EXPECT_EQ(h->Lab[i]->text(), " 0") << i;
        EXPECT_EQ(h->zik[i]->text(), " 10") << i;
    }
    EXPECT_EQ(h->Label4->text(), " " + QString::number(90000 + wheelPoints));

    const state::Module1 saved = fileState("ゆうき.ucd");
    EXPECT_EQ(saved.QuestionNo, 30);
    EXPECT_EQ(saved.Score, 90000 + wheelPoints);
    for (int i = 1; i <= 30; ++i) EXPECT_EQ(saved.AnswerTime[i], 10.0f) << i;

    // The screens in the order the learner saw them.
    QStringList expected{"Form1", "Form2"};
    for (int block = 0; block < 6; ++block) expected << (block < 3 ? "Form3" : "Form7") << "Form4";
    expected << "Form6";
    EXPECT_EQ(platform::forms::showLog(), expected);

    dialogs.yesNoAnswers = {true};
    click(h->Command1);
    settle();
    EXPECT_TRUE(platform::forms::programEnded());
}

// A learner stopped on question 23 last time and continues: the second
// screen opens on 23, a wrong answer goes through the tutor, and the run
// ends after the roulettes of 25 and 30.
TEST_F(CourseTest, ContinuedRunFromTheSecondHalfReachesTheHistory) {
    state::Module1 before;
    before.UserFileStem = "hana";
    before.QuestionNo = 23;
    before.Score = 51000;
    for (int i = 1; i <= 22; ++i) {
        before.MissCount[i] = static_cast<short>(i % 3);
        before.AnswerTime[i] = static_cast<float>(20 + i);
    }
    before.AnswerTime[23] = 70000;  // a reading from the last session
    state::progress::save(before);

    clock.now = 40000;
    platform::forms::show("Form2");
    dialogs.inputAnswers = {"hana"};
    click(open<Form2>("Form2")->Command2);
    settle();
    auto *q = open<QuizScreen>("Form7");
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(m.QuestionNo, 23);
    EXPECT_EQ(m.ResumedRun, 1);
    EXPECT_EQ(m.AnswerTime[23], 40000);  // timed afresh in this run

    // A wrong answer, the tutor, and back.
    const int right = bank::rightButton(23, m.VariantNo);
    click(q->Command[right == 8 ? 1 : (right % 8) + 1]);
    click(q->Command9);
    settle();
    click(open<Form5>("Form5")->Command2);
    settle();
    ASSERT_NE(open<QuizScreen>("Form7"), nullptr);

    Form6 *h = playToTheEnd({0.5, 0.26});
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(roulettes, 2);
    EXPECT_EQ(wheelPoints, 35000);
    EXPECT_EQ(m.Score, 51000 - 3000 + 8 * 3000 + 35000);
    for (int i = 1; i <= 22; ++i) {
        EXPECT_EQ(h->Lab[i]->text(), " " + QString::number(i % 3)) << i;
        EXPECT_EQ(h->zik[i]->text(), " " + QString::number(20 + i)) << i;
    }
    EXPECT_EQ(h->Lab[23]->text(), " 1");
    for (int i = 24; i <= 30; ++i) EXPECT_EQ(h->Lab[i]->text(), " 0") << i;
    EXPECT_EQ(fileState("hana.ucd").QuestionNo, 30);
}

}  // namespace
