// The history screen: its layout, the times it shows on activation, its
// tune, and its own "終了".
#include "screens/history/Form6.h"
#include "state/Module1.h"
#include "support/Fakes.h"

using namespace testing_support;
using screens::Form6;

namespace {

class HistoryTest : public ScreenTest {
protected:
    state::Module1 &m = state::module1();
    Form6 *show() {
        platform::forms::show("Form6");
        return open<Form6>("Form6");
    }
};

TEST_F(HistoryTest, LayoutMatchesTheDesign) {
    Form6 *f = show();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), "  ぽむりん紀行20(√、因数分解、２次方程式・関数の巻) for Windows");
    EXPECT_EQ(f->size(), QSize(457, 401));
    EXPECT_EQ(f->Label1->text(), "学習の履歴");
    EXPECT_EQ(f->Label1->font().pixelSize(), 19);
    EXPECT_TRUE(f->Label1->font().bold());
    EXPECT_EQ(f->Label1->frameShape(), QFrame::Panel);
    EXPECT_EQ(f->Label5->text(), "以下には、各問題ごとのあなたの間違った回数と解答時間(秒)が示してあります。");
    EXPECT_EQ(f->Label2->text(), "得点");
    EXPECT_EQ(f->Label2->font().pixelSize(), 16);
    EXPECT_EQ(f->Label4->geometry(), QRect(208, 360, 49, 17));
    EXPECT_EQ(f->Command1->geometry(), QRect(352, 16, 57, 25));

    // The grid: ten rows in three columns; names, miss boxes, time boxes.
    for (int i = 1; i <= 30; ++i) {
        const int column = (i - 1) / 10, row = (i - 1) % 10;
        const int top = (1560 + 360 * row) / 15;
        EXPECT_EQ(f->QuestionName[i]->objectName(), QString("Label%1").arg(i + 5));
        EXPECT_EQ(f->QuestionName[i]->geometry(), QRect((600 + 1920 * column) / 15, top, 41, i == 30 ? 25 : 17)) << i;
        EXPECT_EQ(f->QuestionName[i]->frameShape(), QFrame::NoFrame) << i;
        EXPECT_EQ(f->Lab[i]->objectName(), QString("Lab%1").arg(i));
        EXPECT_EQ(f->Lab[i]->geometry(), QRect((1200 + 1920 * column) / 15, top, 33, 17)) << i;
        EXPECT_EQ(f->Lab[i]->alignment(), Qt::AlignCenter) << i;
        EXPECT_EQ(f->Lab[i]->frameShape(), QFrame::Panel) << i;
        EXPECT_EQ(f->zik[i]->geometry(), QRect((1800 + 1920 * column) / 15, top, 41, 17)) << i;
        EXPECT_TRUE(f->zik[i]->alignment() & Qt::AlignRight) << i;
        EXPECT_EQ(f->zik[i]->frameShape(), QFrame::Panel) << i;
        EXPECT_EQ(f->Lab[i]->font().family(), "IPAPGothic");
    }
    EXPECT_EQ(f->QuestionName[1]->text(), "問題 1");
    EXPECT_EQ(f->QuestionName[2]->text(), "問題 2 ");
    EXPECT_EQ(f->QuestionName[9]->text(), "問題 9");
    EXPECT_EQ(f->QuestionName[10]->text(), "問題10");
    EXPECT_EQ(f->QuestionName[29]->text(), "問題29");
    EXPECT_EQ(f->QuestionName[30]->text(), "問題30 終　了");
    // The last name does not fit on one line and wraps onto a second.
    EXPECT_TRUE(f->QuestionName[30]->wordWrap());
    EXPECT_GT(f->QuestionName[30]->heightForWidth(f->QuestionName[30]->width()),
              f->QuestionName[29]->sizeHint().height());

    // "終了" is the only control that takes the focus.
    int focusable = 0;
    for (QWidget *w : f->findChildren<QWidget *>()) focusable += (w->focusPolicy() & Qt::TabFocus) != 0;
    EXPECT_EQ(focusable, 1);
    EXPECT_EQ(f->firstFocus(), f->Command1);
    EXPECT_EQ(f->Timer1->interval(), 500);
}

// Activation plays the tune and shows every time slot: empty for 0, a
// leading blank for a time that is not negative.
TEST_F(HistoryTest, ActivationShowsTheTimesAndPlaysTheTune) {
    m.AnswerTime[1] = 42;
    m.AnswerTime[2] = 0;
    m.AnswerTime[3] = -5;  // a question finished across midnight
    m.AnswerTime[30] = 1234;
    Form6 *f = show();
    EXPECT_EQ(media.log, QStringList({"Close", "Open bahha.rmi", "Play"}));
    EXPECT_EQ(f->zik[1]->text(), " 42");
    EXPECT_EQ(f->zik[2]->text(), "");
    EXPECT_EQ(f->zik[3]->text(), "-5");
    EXPECT_EQ(f->zik[30]->text(), " 1234");
    for (int i = 4; i < 30; ++i) EXPECT_EQ(f->zik[i]->text(), "") << i;
}

// No keeps the screen, silent now since the chime closed the tune; Yes
// ends the program.
TEST_F(HistoryTest, QuitAsksAndEndsOnlyOnYes) {
    Form6 *f = show();
    media.log.clear();
    dialogs.yesNoAnswers = {false, true};
    click(f->Command1);
    EXPECT_EQ(dialogs.calls, QStringList{"yesno|終了していいですか？|ぽむりん紀行20"});
    EXPECT_EQ(media.log, QStringList({"Stop", "Close", "Open endpinpon.wav", "Sound"}));
    ScreenTest::settle();
    EXPECT_EQ(open<Form6>("Form6"), f);
    EXPECT_FALSE(platform::forms::programEnded());
    EXPECT_FALSE(media.log.contains("Play"));

    click(f->Command1);
    ScreenTest::settle();
    EXPECT_TRUE(platform::forms::programEnded());
    EXPECT_EQ(open<Form6>("Form6"), nullptr);
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
