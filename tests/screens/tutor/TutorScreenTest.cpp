// SPDX-License-Identifier: GPL-3.0-or-later
// The tutor window: layout, the click sequence of every question and the
// screen it returns to, EXIT, reopening, and question numbers it has no
// explanation for.
#include "platform/PictureBox.h"
#include "screens/tutor/TutorScreen.h"
#include "screens/tutor/TutorScripts.h"
#include "state/Session.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

using namespace testing_support;
using screens::TutorScreen;

namespace {

class TutorTest : public ScreenTest {
protected:
    state::Session &m = state::session();
    TutorScreen *openTutor(int q) {
        m.userCode = "learner";
        m.question = static_cast<short>(q);
        if (state::Session::inRange(q)) state::progress::save(m);  // for the quiz screen that comes back
        screens::showScreen(screens::ScreenId::Tutor);
        media.log.clear();
        return open<TutorScreen>(ScreenId::Tutor);
    }
    static int printedCount(TutorScreen *f) { return int(f->explanationBox->printed().size() + f->workingBox->printed().size()); }
};

TEST_F(TutorTest, LayoutMatchesTheDesign) {
    TutorScreen *f = openTutor(1);
    EXPECT_EQ(f->windowTitle(), "  ぽむりん紀行20(√、因数分解、２次方程式・関数の巻) for Windows");
    EXPECT_EQ(f->size(), QSize(473, 327));
    EXPECT_EQ(f->exitButton->text(), "EXIT");
    EXPECT_EQ(f->nextButton->geometry(), QRect(408, 0, 57, 25));
    EXPECT_EQ(f->explanationBox->geometry(), QRect(8, 32, 225, 225));
    EXPECT_EQ(f->workingBox->geometry(), QRect(240, 32, 225, 225));
    EXPECT_EQ(f->speechBox->geometry(), QRect(88, 272, 297, 41));
    EXPECT_EQ(f->doctorPose1->geometry(), QRect(24, 272, 41, 43));
    EXPECT_EQ(f->doctorPose1->image().size(), QSize(33, 38));
    EXPECT_EQ(f->mascotTimer->interval(), 300);
    EXPECT_EQ(f->focusWidget(), f->nextButton);
    EXPECT_EQ(f->explanationBox->printed()[0].text, " 【例題】");
    EXPECT_EQ(f->speechBox->printed().size(), 3);
}

class EveryQuestion : public TutorTest, public ::testing::WithParamInterface<int> {};

TEST_P(EveryQuestion, StepsThroughItsScriptAndReturnsToItsQuizScreen) {
    const int q = GetParam();
    TutorScreen *f = openTutor(q);
    ASSERT_NE(f, nullptr);
    const int clicks = tutor::clickCount(q);
    ASSERT_GE(clicks, 4);
    for (int k = 1; k < clicks; ++k) {
        const int before = printedCount(f);
        const int graphics = int(f->workingBox->graphics().size());
        click(f->nextButton);
        // Every step prints or draws something (or wipes the box to reprint).
        EXPECT_TRUE(printedCount(f) != before || f->workingBox->graphics().size() != graphics) << "step " << k;
        EXPECT_EQ(f->step, k);
        EXPECT_EQ(open<TutorScreen>(ScreenId::Tutor), f);
    }
    const int before = printedCount(f);
    click(f->nextButton);
    EXPECT_EQ(printedCount(f), before);  // the closing click prints nothing
    EXPECT_EQ(open<TutorScreen>(ScreenId::Tutor), nullptr);
    EXPECT_EQ(platform::forms::showLog().last(), q <= 15 ? "firstQuizScreen" : "secondQuizScreen");
    EXPECT_TRUE(media.log.isEmpty() || !media.log.contains("Open pinpon.wav"));  // "次へ" is silent
    EXPECT_EQ(m.question, q);  // the tutor changes no shared state
}

INSTANTIATE_TEST_SUITE_P(Questions, EveryQuestion, ::testing::Range(1, 31));

TEST_F(TutorTest, ReopeningStartsAtTheFirstStepAgain) {
    TutorScreen *f = openTutor(9);
    click(f->nextButton);
    click(f->nextButton);
    const auto firstP1 = f->explanationBox->printed();
    f->exitClicked();
    TutorScreen *again = openTutor(9);
    ASSERT_NE(again, f);
    EXPECT_EQ(again->step, 0);
    click(again->nextButton);
    click(again->nextButton);
    EXPECT_EQ(again->explanationBox->printed(), firstP1);
}

TEST_F(TutorTest, ExitInTheMiddleChimesAndReturns) {
    TutorScreen *f = openTutor(20);
    click(f->nextButton);
    click(f->exitButton);
    EXPECT_EQ(media.log.mid(0, 4), QStringList({"Stop", "Close", "Open pinpon.wav", "Sound"}));
    EXPECT_EQ(open<TutorScreen>(ScreenId::Tutor), nullptr);
    EXPECT_EQ(platform::forms::showLog().last(), "secondQuizScreen");
    EXPECT_NE(screens::findScreen(screens::ScreenId::SecondQuiz), nullptr);
}

TEST_F(TutorTest, GraphPageDrawsTheParabola) {
    TutorScreen *f = openTutor(30);
    click(f->nextButton);
    click(f->nextButton);
    int black = 0, red = 0;
    for (const auto &g : f->workingBox->graphics()) {
        if (g.kind != platform::Graphic::Point) continue;
        EXPECT_DOUBLE_EQ(g.y1, -2 * g.x1 * g.x1);
        (g.color == QColor(255, 0, 0) ? red : black) += 1;
    }
    EXPECT_EQ(black, 60);
    EXPECT_EQ(red, 2001);
    EXPECT_TRUE(f->workingBox->hasScale());
}

TEST_F(TutorTest, QuestionOutsideTheCourseShowsNothingAndNextIsInert) {
    for (int q : {0, 31, -1}) {
        SCOPED_TRACE(q);
        TutorScreen *f = openTutor(q);
        EXPECT_TRUE(f->explanationBox->printed().isEmpty());
        EXPECT_TRUE(f->speechBox->printed().isEmpty());
        click(f->nextButton);
        click(f->nextButton);
        EXPECT_EQ(f->step, 0);
        EXPECT_EQ(open<TutorScreen>(ScreenId::Tutor), f);
        f->unload();
    }
}

TEST_F(TutorTest, CloseBoxBringsNoQuizScreenBack) {
    TutorScreen *f = openTutor(5);
    f->close();
    settle();
    EXPECT_EQ(platform::forms::showLog(), QStringList{"tutorScreen"});
    EXPECT_TRUE(platform::forms::programEnded());
}

TEST_F(TutorTest, FiguresBlinkEveryTick) {
    TutorScreen *f = openTutor(2);
    f->mascotTimer->fire();
    EXPECT_TRUE(f->doctorPose2->isVisible() && f->mascotPose2->isVisible());
    EXPECT_FALSE(f->doctorPose1->isVisible() || f->mascotPose1->isVisible());
}

}  // namespace
