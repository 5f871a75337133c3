// SPDX-License-Identifier: GPL-3.0-or-later
// The title screen: layout, tune, animation, focus, "次へ" and "終了".
#include "screens/front/TitleScreen.h"
#include "support/Fakes.h"

#include <QApplication>

using namespace testing_support;
using screens::TitleScreen;

namespace {

class TitleTest : public ScreenTest {
protected:
    TitleScreen *showTitle() {
        screens::showScreen(screens::ScreenId::Title);
        return open<TitleScreen>(ScreenId::Title);
    }
};

TEST_F(TitleTest, LayoutMatchesTheDesign) {
    TitleScreen *f = showTitle();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), " ぽむりん紀行20（√、因数分解、2次方程式・関数の巻）");
    EXPECT_EQ(f->size(), QSize(385, 264));  // 5775 x 3960 twips
    EXPECT_EQ(f->nextButton->text(), "次へ");
    EXPECT_EQ(f->nextButton->geometry(), QRect(328, 0, 49, 25));
    EXPECT_EQ(f->quitButton->text(), "終了");
    EXPECT_EQ(f->quitButton->geometry(), QRect(8, 0, 49, 25));
    EXPECT_EQ(f->titleLabel->text(), "ぽむりん紀行20");
    EXPECT_EQ(f->titleLabel->font().family(), "IPAMincho");
    EXPECT_EQ(f->titleLabel->font().pixelSize(), 21);
    EXPECT_TRUE(f->titleLabel->font().bold());
    EXPECT_EQ(f->subtitleLabel->text(), "（√、因数分解、２次方程式・関数の巻）");
    EXPECT_EQ(f->platformLabel->text(), "for Windows");
    EXPECT_EQ(f->platformLabel->geometry(), QRect(240, 88, 105, 17));  // 3600, 1320, 1575 x 255 twips
    const QWidget *underline = f->findChild<QWidget *>("titleUnderline");
    ASSERT_TRUE(underline);
    EXPECT_EQ(underline->geometry(), QRect(78, 78, 236, 4));  // 1200 to 4680 at 1200 twips, a 2 px pen
    EXPECT_FALSE(f->creditLabel->text().isEmpty());
    EXPECT_EQ(f->titlePicture->geometry(), QRect(304, 184, 40, 40));
    EXPECT_EQ(f->mascotPose1->image().size(), QSize(34, 37));
    EXPECT_EQ(f->mascotPose2->image().size(), QSize(34, 37));
    EXPECT_EQ(f->titlePicture->image().size(), QSize(36, 36));
    EXPECT_EQ(f->mascotTimer->interval(), 500);
    EXPECT_TRUE(f->mascotTimer->isEnabled());
}

TEST_F(TitleTest, PlaysTheTuneAndFocusesNext) {
    TitleScreen *f = showTitle();
    EXPECT_EQ(media.log, QStringList({"Close", "Open passport.mid", "Play"}));
    EXPECT_EQ(f->focusWidget(), f->nextButton);
}

TEST_F(TitleTest, FigureBlinksBetweenTwoPoses) {
    TitleScreen *f = showTitle();
    EXPECT_TRUE(f->mascotPose1->isVisible());
    EXPECT_TRUE(f->mascotPose2->isVisible());  // both up before the first tick
    const bool expectSecond[] = {true, false, true, false};
    const short expectFlag[] = {-1, 0, -1, 0};
    for (int i = 0; i < 4; ++i) {
        f->mascotTimer->fire();
        EXPECT_EQ(f->mascotPose2->isVisible(), expectSecond[i]) << "tick " << i;
        EXPECT_EQ(f->mascotPose1->isVisible(), !expectSecond[i]) << "tick " << i;
        EXPECT_EQ(f->mascot().flag(), expectFlag[i]);
    }
    EXPECT_TRUE(f->titlePicture->isVisible());  // the still picture never moves
}

TEST_F(TitleTest, NextChimesAndOpensTheStartMenu) {
    TitleScreen *f = showTitle();
    media.log.clear();
    click(f->nextButton);
    settle();
    EXPECT_EQ(media.log.mid(0, 4), QStringList({"Stop", "Close", "Open pinpon.wav", "Sound"}));
    EXPECT_EQ(open<TitleScreen>(ScreenId::Title), nullptr);
    EXPECT_NE(screens::findScreen(screens::ScreenId::StartMenu), nullptr);
    EXPECT_FALSE(platform::forms::programEnded());
}

TEST_F(TitleTest, QuitYesEndsTheProgram) {
    TitleScreen *f = showTitle();
    media.log.clear();
    dialogs.yesNoAnswers = {true};
    click(f->quitButton);
    settle();
    EXPECT_EQ(media.log.mid(0, 4), QStringList({"Stop", "Close", "Open endpinpon.wav", "Sound"}));
    EXPECT_EQ(dialogs.calls, QStringList{"yesno|終了していいですか？|ぽむりん紀行20"});
    EXPECT_TRUE(platform::forms::programEnded());
    EXPECT_TRUE(platform::forms::open().isEmpty());
    EXPECT_EQ(platform::forms::showLog(), QStringList{"titleScreen"});
}

TEST_F(TitleTest, QuitNoLeavesTheScreenSilent) {
    TitleScreen *f = showTitle();
    media.log.clear();
    dialogs.yesNoAnswers = {false};
    click(f->quitButton);
    settle();
    EXPECT_EQ(open<TitleScreen>(ScreenId::Title), f);
    EXPECT_FALSE(platform::forms::programEnded());
    // The chime stopped the tune and nothing plays it again.
    EXPECT_EQ(media.log, QStringList({"Stop", "Close", "Open endpinpon.wav", "Sound"}));
    EXPECT_TRUE(f->nextButton->isEnabled());
    EXPECT_TRUE(f->quitButton->isEnabled());
}

}  // namespace
