// The tutor window: layout, the click sequence of every question and the
// screen it returns to, EXIT, reopening, and question numbers it has no
// explanation for.
#include "platform/PictureBox.h"
#include "screens/tutor/Form5.h"
#include "screens/tutor/TutorScripts.h"
#include "state/Module1.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

using namespace testing_support;
using screens::Form5;

namespace {

class TutorScreen : public ScreenTest {
protected:
    state::Module1 &m = state::module1();
    Form5 *openTutor(int q) {
        m.UserFileStem = "learner";
        m.QuestionNo = static_cast<short>(q);
        if (state::Module1::inRange(q)) state::progress::save(m);  // for the quiz screen that comes back
        platform::forms::show("Form5");
        media.log.clear();
        return open<Form5>("Form5");
    }
    static int printedCount(Form5 *f) { return int(f->Picture1->printed().size() + f->Picture2->printed().size()); }
};

TEST_F(TutorScreen, LayoutMatchesTheDesign) {
    Form5 *f = openTutor(1);
    EXPECT_EQ(f->windowTitle(), "  ぽむりん紀行20(√、因数分解、２次方程式・関数の巻) for Windows");
    EXPECT_EQ(f->size(), QSize(473, 327));
    EXPECT_EQ(f->Command2->text(), "EXIT");
    EXPECT_EQ(f->Command1->geometry(), QRect(408, 0, 57, 25));
    EXPECT_EQ(f->Picture1->geometry(), QRect(8, 32, 225, 225));
    EXPECT_EQ(f->Picture2->geometry(), QRect(240, 32, 225, 225));
    EXPECT_EQ(f->Picture3->geometry(), QRect(88, 272, 297, 41));
    EXPECT_EQ(f->Image3->geometry(), QRect(24, 272, 41, 43));
    EXPECT_EQ(f->Image3->image().size(), QSize(33, 38));
    EXPECT_EQ(f->Timer1->interval(), 300);
    EXPECT_EQ(f->focusWidget(), f->Command1);
    EXPECT_EQ(f->Picture1->printed()[0].text, " 【例題】");
    EXPECT_EQ(f->Picture3->printed().size(), 3);
}

class EveryQuestion : public TutorScreen, public ::testing::WithParamInterface<int> {};

TEST_P(EveryQuestion, StepsThroughItsScriptAndReturnsToItsQuizScreen) {
    const int q = GetParam();
    Form5 *f = openTutor(q);
    ASSERT_NE(f, nullptr);
    const int clicks = tutor::clickCount(q);
    ASSERT_GE(clicks, 4);
    for (int k = 1; k < clicks; ++k) {
        const int before = printedCount(f);
        const int graphics = int(f->Picture2->graphics().size());
        click(f->Command1);
        // Every step prints or draws something (or wipes the box to reprint).
        EXPECT_TRUE(printedCount(f) != before || f->Picture2->graphics().size() != graphics) << "step " << k;
        EXPECT_EQ(f->PageNo, k);
        EXPECT_EQ(open<Form5>("Form5"), f);
    }
    const int before = printedCount(f);
    click(f->Command1);
    EXPECT_EQ(printedCount(f), before);  // the closing click prints nothing
    EXPECT_EQ(open<Form5>("Form5"), nullptr);
    EXPECT_EQ(platform::forms::showLog().last(), q <= 15 ? "Form3" : "Form7");
    EXPECT_TRUE(media.log.isEmpty() || !media.log.contains("Open pinpon.wav"));  // "次へ" is silent
    EXPECT_EQ(m.QuestionNo, q);  // the tutor changes no shared state
}

INSTANTIATE_TEST_SUITE_P(Questions, EveryQuestion, ::testing::Range(1, 31));

TEST_F(TutorScreen, ReopeningStartsAtTheFirstStepAgain) {
    Form5 *f = openTutor(9);
    click(f->Command1);
    click(f->Command1);
    const auto firstP1 = f->Picture1->printed();
    f->Command2Click();
    Form5 *again = openTutor(9);
    ASSERT_NE(again, f);
    EXPECT_EQ(again->PageNo, 0);
    click(again->Command1);
    click(again->Command1);
    EXPECT_EQ(again->Picture1->printed(), firstP1);
}

TEST_F(TutorScreen, ExitInTheMiddleChimesAndReturns) {
    Form5 *f = openTutor(20);
    click(f->Command1);
    click(f->Command2);
    EXPECT_EQ(media.log.mid(0, 4), QStringList({"Stop", "Close", "Open pinpon.wav", "Sound"}));
    EXPECT_EQ(open<Form5>("Form5"), nullptr);
    EXPECT_EQ(platform::forms::showLog().last(), "Form7");
    EXPECT_NE(platform::forms::find("Form7"), nullptr);
}

TEST_F(TutorScreen, GraphPageDrawsTheParabola) {
    Form5 *f = openTutor(30);
    click(f->Command1);
    click(f->Command1);
    int black = 0, red = 0;
    for (const auto &g : f->Picture2->graphics()) {
        if (g.kind != platform::Graphic::Point) continue;
        EXPECT_DOUBLE_EQ(g.y1, -2 * g.x1 * g.x1);
        (g.color == QColor(255, 0, 0) ? red : black) += 1;
    }
    EXPECT_EQ(black, 60);
    EXPECT_EQ(red, 2001);
    EXPECT_TRUE(f->Picture2->hasScale());
}

TEST_F(TutorScreen, QuestionOutsideTheCourseShowsNothingAndNextIsInert) {
    for (int q : {0, 31, -1}) {
        SCOPED_TRACE(q);
        Form5 *f = openTutor(q);
        EXPECT_TRUE(f->Picture1->printed().isEmpty());
        EXPECT_TRUE(f->Picture3->printed().isEmpty());
        click(f->Command1);
        click(f->Command1);
        EXPECT_EQ(f->PageNo, 0);
        EXPECT_EQ(open<Form5>("Form5"), f);
        f->unload();
    }
}

TEST_F(TutorScreen, CloseBoxBringsNoQuizScreenBack) {
    Form5 *f = openTutor(5);
    f->close();
    settle();
    EXPECT_EQ(platform::forms::showLog(), QStringList{"Form5"});
    EXPECT_TRUE(platform::forms::programEnded());
}

TEST_F(TutorScreen, FiguresBlinkEveryTick) {
    Form5 *f = openTutor(2);
    f->Timer1->fire();
    EXPECT_TRUE(f->Image4->isVisible() && f->Image2->isVisible());
    EXPECT_FALSE(f->Image3->isVisible() || f->Image1->isVisible());
}

}  // namespace
