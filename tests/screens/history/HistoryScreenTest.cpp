// SPDX-License-Identifier: GPL-3.0-or-later
// The history screen: its layout, the times it shows on activation, its
// tune, and its own "終了".
#include "screens/history/HistoryScreen.h"
#include "state/Session.h"
#include "support/Fakes.h"

using namespace testing_support;
using screens::HistoryScreen;

namespace {

class HistoryTest : public ScreenTest {
protected:
    state::Session &m = state::session();
    HistoryScreen *show() {
        screens::showScreen(screens::ScreenId::History);
        return open<HistoryScreen>(ScreenId::History);
    }
};

TEST_F(HistoryTest, LayoutMatchesTheDesign) {
    HistoryScreen *f = show();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), "  ぽむりん紀行20(√、因数分解、２次方程式・関数の巻) for Windows");
    EXPECT_EQ(f->size(), QSize(457, 401));
    EXPECT_EQ(f->headingLabel->text(), "学習の履歴");
    EXPECT_EQ(f->headingLabel->font().pixelSize(), 19);
    EXPECT_TRUE(f->headingLabel->font().bold());
    EXPECT_EQ(f->headingLabel->frameShape(), QFrame::Panel);
    EXPECT_EQ(f->legendLabel->text(), "以下には、各問題ごとのあなたの間違った回数と解答時間(秒)が示してあります。");
    EXPECT_EQ(f->scoreCaption->text(), "得点");
    EXPECT_EQ(f->scoreCaption->font().pixelSize(), 16);
    EXPECT_EQ(f->scoreLabel->geometry(), QRect(208, 360, 49, 17));
    EXPECT_EQ(f->quitButton->geometry(), QRect(352, 16, 57, 25));

    // The grid: ten rows in three columns; names, miss boxes, time boxes.
    for (int i = 1; i <= 30; ++i) {
        const int column = (i - 1) / 10, row = (i - 1) % 10;
        const int top = (1560 + 360 * row) / 15;
        EXPECT_EQ(f->questionLabels[i]->objectName(), QString("questionLabel%1").arg(i));
        EXPECT_EQ(f->questionLabels[i]->geometry(), QRect((600 + 1920 * column) / 15, top, 41, i == 30 ? 25 : 17)) << i;
        EXPECT_EQ(f->questionLabels[i]->frameShape(), QFrame::NoFrame) << i;
        EXPECT_EQ(f->missLabels[i]->objectName(), QString("missLabel%1").arg(i));
        EXPECT_EQ(f->missLabels[i]->geometry(), QRect((1200 + 1920 * column) / 15, top, 33, 17)) << i;
        EXPECT_EQ(f->missLabels[i]->alignment(), Qt::AlignCenter) << i;
        EXPECT_EQ(f->missLabels[i]->frameShape(), QFrame::Panel) << i;
        EXPECT_EQ(f->timeLabels[i]->geometry(), QRect((1800 + 1920 * column) / 15, top, 41, 17)) << i;
        EXPECT_TRUE(f->timeLabels[i]->alignment() & Qt::AlignRight) << i;
        EXPECT_EQ(f->timeLabels[i]->frameShape(), QFrame::Panel) << i;
        EXPECT_EQ(f->missLabels[i]->font().family(), "IPAPGothic");
    }
    EXPECT_EQ(f->questionLabels[1]->text(), "問題 1");
    EXPECT_EQ(f->questionLabels[2]->text(), "問題 2 ");
    EXPECT_EQ(f->questionLabels[9]->text(), "問題 9");
    EXPECT_EQ(f->questionLabels[10]->text(), "問題10");
    EXPECT_EQ(f->questionLabels[29]->text(), "問題29");
    EXPECT_EQ(f->questionLabels[30]->text(), "問題30 終　了");
    // The last name does not fit on one line and wraps onto a second.
    EXPECT_TRUE(f->questionLabels[30]->wordWrap());
    EXPECT_GT(f->questionLabels[30]->heightForWidth(f->questionLabels[30]->width()),
              f->questionLabels[29]->sizeHint().height());

    // "終了" is the only control that takes the focus.
    int focusable = 0;
    for (QWidget *w : f->findChildren<QWidget *>()) focusable += (w->focusPolicy() & Qt::TabFocus) != 0;
    EXPECT_EQ(focusable, 1);
    EXPECT_EQ(f->firstFocus(), f->quitButton);
    EXPECT_EQ(f->mascotTimer->interval(), 500);
}

// Activation plays the tune and shows every time slot: empty for 0, a
// leading blank for a time that is not negative.
TEST_F(HistoryTest, ActivationShowsTheTimesAndPlaysTheTune) {
    m.answerTimes[1] = 42;
    m.answerTimes[2] = 0;
    m.answerTimes[3] = -5;  // a question finished across midnight
    m.answerTimes[30] = 1234;
    HistoryScreen *f = show();
    EXPECT_EQ(media.log, QStringList({"Close", "Open bahha.rmi", "Play"}));
    EXPECT_EQ(f->timeLabels[1]->text(), " 42");
    EXPECT_EQ(f->timeLabels[2]->text(), "");
    EXPECT_EQ(f->timeLabels[3]->text(), "-5");
    EXPECT_EQ(f->timeLabels[30]->text(), " 1234");
    for (int i = 4; i < 30; ++i) EXPECT_EQ(f->timeLabels[i]->text(), "") << i;
}

// No keeps the screen, silent now since the chime closed the tune; Yes
// ends the program.
TEST_F(HistoryTest, QuitAsksAndEndsOnlyOnYes) {
    HistoryScreen *f = show();
    media.log.clear();
    dialogs.yesNoAnswers = {false, true};
    click(f->quitButton);
    EXPECT_EQ(dialogs.calls, QStringList{"yesno|終了していいですか？|ぽむりん紀行20"});
    EXPECT_EQ(media.log, QStringList({"Stop", "Close", "Open endpinpon.wav", "Sound"}));
    ScreenTest::settle();
    EXPECT_EQ(open<HistoryScreen>(ScreenId::History), f);
    EXPECT_FALSE(platform::forms::programEnded());
    EXPECT_FALSE(media.log.contains("Play"));

    click(f->quitButton);
    ScreenTest::settle();
    EXPECT_TRUE(platform::forms::programEnded());
    EXPECT_EQ(open<HistoryScreen>(ScreenId::History), nullptr);
}

TEST_F(HistoryTest, NumberTexts) {
    using namespace screens::history;
    EXPECT_EQ(progressMessage(7), "あなたは、問題 7 番まで進んでいます。");
    EXPECT_EQ(progressMessage(12), "あなたは、問題 12 番まで進んでいます。");
    EXPECT_EQ(progressMessage(30000), "あなたは、問題 30000 番まで進んでいます。");
    EXPECT_EQ(missText(0), " 0");
    EXPECT_EQ(missText(12), " 12");
    EXPECT_EQ(timeText(0), "");
    EXPECT_EQ(timeText(75), " 75");
}

}  // namespace
