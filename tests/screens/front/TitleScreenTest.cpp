// The title screen: layout, tune, animation, focus, "次へ" and "終了".
#include "screens/front/Form1.h"
#include "support/Fakes.h"

#include <QApplication>

using namespace testing_support;
using screens::Form1;

namespace {

class TitleScreen : public ScreenTest {
protected:
    Form1 *showTitle() {
        platform::forms::show("Form1");
        return open<Form1>("Form1");
    }
};

TEST_F(TitleScreen, LayoutMatchesTheDesign) {
    Form1 *f = showTitle();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), " ぽむりん紀行20（√、因数分解、2次方程式・関数の巻）");
    EXPECT_EQ(f->size(), QSize(385, 264));  // 5775 x 3960 twips
    EXPECT_EQ(f->Command1->text(), "次へ");
    EXPECT_EQ(f->Command1->geometry(), QRect(328, 0, 49, 25));
    EXPECT_EQ(f->Command2->text(), "終了");
    EXPECT_EQ(f->Command2->geometry(), QRect(8, 0, 49, 25));
    EXPECT_EQ(f->Label1->text(), "ぽむりん紀行20");
    EXPECT_EQ(f->Label1->font().family(), "IPAMincho");
    EXPECT_EQ(f->Label1->font().pixelSize(), 21);
    EXPECT_TRUE(f->Label1->font().bold());
    EXPECT_EQ(f->Label2->text(), "（√、因数分解、２次方程式・関数の巻）");
    EXPECT_EQ(f->Label3->text(), "for Windows");
    EXPECT_FALSE(f->Label4->text().isEmpty());
    EXPECT_EQ(f->Image2->geometry(), QRect(304, 184, 40, 40));
    EXPECT_EQ(f->Image1->image().size(), QSize(34, 37));
    EXPECT_EQ(f->Image3->image().size(), QSize(34, 37));
    EXPECT_EQ(f->Image2->image().size(), QSize(36, 36));
    EXPECT_EQ(f->Timer1->interval(), 500);
    EXPECT_TRUE(f->Timer1->isEnabled());
}

TEST_F(TitleScreen, PlaysTheTuneAndFocusesNext) {
    Form1 *f = showTitle();
    EXPECT_EQ(media.log, QStringList({"Close", "Open passport.mid", "Play"}));
    EXPECT_EQ(f->focusWidget(), f->Command1);
}

TEST_F(TitleScreen, FigureBlinksBetweenTwoPoses) {
    Form1 *f = showTitle();
    EXPECT_TRUE(f->Image1->isVisible());
    EXPECT_TRUE(f->Image3->isVisible());  // both up before the first tick
    const bool expectSecond[] = {true, false, true, false};
    const short expectFlag[] = {-1, 0, -1, 0};
    for (int i = 0; i < 4; ++i) {
        f->Timer1->fire();
        EXPECT_EQ(f->Image3->isVisible(), expectSecond[i]) << "tick " << i;
        EXPECT_EQ(f->Image1->isVisible(), !expectSecond[i]) << "tick " << i;
        EXPECT_EQ(f->mascot().flag(), expectFlag[i]);
    }
    EXPECT_TRUE(f->Image2->isVisible());  // the still picture never moves
}

TEST_F(TitleScreen, NextChimesAndOpensTheStartMenu) {
    Form1 *f = showTitle();
    media.log.clear();
    click(f->Command1);
    settle();
    EXPECT_EQ(media.log.mid(0, 4), QStringList({"Stop", "Close", "Open pinpon.wav", "Sound"}));
    EXPECT_EQ(open<Form1>("Form1"), nullptr);
    EXPECT_NE(platform::forms::find("Form2"), nullptr);
    EXPECT_FALSE(platform::forms::programEnded());
}

TEST_F(TitleScreen, QuitYesEndsTheProgram) {
    Form1 *f = showTitle();
    media.log.clear();
    dialogs.yesNoAnswers = {true};
    click(f->Command2);
    settle();
    EXPECT_EQ(media.log.mid(0, 4), QStringList({"Stop", "Close", "Open endpinpon.wav", "Sound"}));
    EXPECT_EQ(dialogs.calls, QStringList{"yesno|終了していいですか？|ぽむりん紀行20"});
    EXPECT_TRUE(platform::forms::programEnded());
    EXPECT_TRUE(platform::forms::open().isEmpty());
    EXPECT_EQ(platform::forms::showLog(), QStringList{"Form1"});
}

TEST_F(TitleScreen, QuitNoLeavesTheScreenSilent) {
    Form1 *f = showTitle();
    media.log.clear();
    dialogs.yesNoAnswers = {false};
    click(f->Command2);
    settle();
    EXPECT_EQ(open<Form1>("Form1"), f);
    EXPECT_FALSE(platform::forms::programEnded());
    // The chime stopped the tune and nothing plays it again.
    EXPECT_EQ(media.log, QStringList({"Stop", "Close", "Open endpinpon.wav", "Sound"}));
    EXPECT_TRUE(f->Command1->isEnabled());
    EXPECT_TRUE(f->Command2->isEnabled());
}

}  // namespace
