// SPDX-License-Identifier: GPL-3.0-or-later
// The start menu: the two buttons, the user code, the progress file and
// the hand-over to the quiz screen.
#include "screens/front/StartMenu.h"
#include "state/Session.h"
#include "state/CodeHold.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QDir>
#include <QFile>

using namespace testing_support;
using screens::StartMenu;

namespace {

const QString kPrompt = "半角８文字以内で、ユーザーコードを入力してください・・・";

class StartMenuTest : public ScreenTest {
protected:
    StartMenu *showMenu() {
        screens::showScreen(screens::ScreenId::StartMenu);
        StartMenu *f = open<StartMenu>(ScreenId::StartMenu);
        media.log.clear();
        return f;
    }
    static QByteArray file(const QString &name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void saveExample(const QString &stem, short question, double score) {
        state::Session m;
        m.userCode = stem;
        m.question = question;
        m.score = score;
        m.misses[2] = 4;
        m.answerTimes[2] = 33;
        state::progress::save(m);
    }
    state::Session &m = state::session();
};

TEST_F(StartMenuTest, LayoutMatchesTheDesign) {
    StartMenu *f = showMenu();
    EXPECT_EQ(f->windowTitle(), " ぽむりん紀行20(√、因数分解、2次方程式・関数の巻) ");
    EXPECT_EQ(f->size(), QSize(379, 58));
    EXPECT_EQ(f->newRunButton->text(), "初めからやる");
    EXPECT_EQ(f->newRunButton->geometry(), QRect(64, 16, 105, 25));
    EXPECT_EQ(f->continueButton->text(), "前の続きからやる");
    EXPECT_EQ(f->continueButton->geometry(), QRect(208, 16, 105, 25));
    EXPECT_EQ(f->focusWidget(), f->newRunButton);
}

TEST_F(StartMenuTest, BeginAnewResetsSavesAndOpensTheFirstQuizScreen) {
    saveExample("taro", 12, 9000);  // an existing file is overwritten without asking
    m.answerTimes[5] = 77;
    StartMenu *f = showMenu();
    dialogs.inputAnswers = {"taro"};
    click(f->newRunButton);
    settle();
    EXPECT_EQ(media.log.mid(0, 4), QStringList({"Stop", "Close", "Open pinpon.wav", "Sound"}));
    EXPECT_EQ(dialogs.calls, QStringList{"input|" + kPrompt + "|ユーザーコード入力"});
    EXPECT_EQ(m.userCode, "taro");
    EXPECT_EQ(m.question, 1);
    EXPECT_EQ(m.score, 0);
    EXPECT_EQ(m.answerTimes[5], 0);
    EXPECT_FALSE(m.resumed);
    QByteArray expected = "1,0\r\n";
    for (int i = 1; i <= 30; ++i) expected += "0,0\r\n";
    EXPECT_EQ(file("taro.ucd"), expected);
    EXPECT_EQ(platform::forms::showLog().last(), "firstQuizScreen");
    EXPECT_EQ(open<StartMenu>(ScreenId::StartMenu), nullptr);
}

// Cancel, or OK on an empty field, in either box starts over at question 1
// under the stem "pm" and overwrites its file; continuing keeps the timing
// slots of this run and marks the run as continued.  Every round begins
// from its own state, in which none of this is already so.
TEST_F(StartMenuTest, EmptyCodeOrCancelStartsOverUnderTheStemPm) {
    for (int button = 1; button <= 2; ++button) {
        for (bool cancel : {false, true}) {
            SCOPED_TRACE(testing::Message() << "button " << button << (cancel ? " Cancel" : " empty OK"));
            platform::forms::resetForTests();
            state::resetSession();
            saveExample("pm", 20, 4500);  // an older file of the stem "pm"
            m.userCode = "hana";
            m.question = 20;
            m.score = 4500;
            for (int i = 1; i <= state::kQuestions; ++i) {
                m.misses[i] = static_cast<short>(1 + i % 3);
                m.answerTimes[i] = i * 10 + 0.5f;
            }
            StartMenu *f = showMenu();
            dialogs.inputAnswers.clear();
            if (!cancel) dialogs.inputAnswers = {""};  // Cancel gives the empty text as well
            click(button == 1 ? f->newRunButton : f->continueButton);
            settle();

            const bool continued = button == 2;
            // What the menu saved, before the quiz screen took over.
            QByteArray expected = "1,0\r\n";
            for (int i = 1; i <= state::kQuestions; ++i)
                expected += continued ? "0," + QByteArray::number(i * 10) + ".5\r\n" : QByteArray("0,0\r\n");
            EXPECT_EQ(file("pm.ucd"), expected);
            EXPECT_FALSE(QFile::exists("hana.ucd"));
            EXPECT_EQ(m.userCode, "pm");
            EXPECT_EQ(m.question, 1);
            EXPECT_EQ(m.score, 0);
            for (int i = 1; i <= state::kQuestions; ++i) EXPECT_EQ(m.misses[i], 0) << i;
            // Slot 1 is the quiz screen's own start reading; the others are
            // the menu's.
            for (int i = 2; i <= state::kQuestions; ++i)
                EXPECT_EQ(m.answerTimes[i], continued ? i * 10 + 0.5f : 0.0f) << i;
            EXPECT_EQ(m.resumed, continued);
            EXPECT_EQ(platform::forms::showLog().last(), "firstQuizScreen");
            EXPECT_EQ(open<StartMenu>(ScreenId::StartMenu), nullptr);
        }
    }
}

TEST_F(StartMenuTest, ContinueLoadsTheFileAndChoosesTheScreen) {
    struct Case {
        short question;
        const char *screen;
    } cases[] = {{12, "firstQuizScreen"}, {15, "firstQuizScreen"}, {16, "secondQuizScreen"}, {30, "secondQuizScreen"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.question);
        saveExample("hana", c.question, -6000);
        StartMenu *f = showMenu();
        dialogs.calls.clear();
        dialogs.inputAnswers = {"hana"};
        click(f->continueButton);
        settle();
        EXPECT_EQ(dialogs.calls, QStringList{"input|" + kPrompt + "|  ユーザーコード入力"});
        EXPECT_TRUE(m.resumed);
        EXPECT_EQ(m.question, c.question);
        EXPECT_EQ(m.score, -6000);
        EXPECT_EQ(m.misses[2], 4);
        EXPECT_EQ(m.answerTimes[2], 33.0f);
        EXPECT_EQ(platform::forms::showLog().last(), c.screen);
        platform::forms::resetForTests();
    }
}

// A code never saved ends the program silently; a file that is there but
// cannot be read is named first, for the teacher, and left as it was.
TEST_F(StartMenuTest, ContinueWithoutAFileEndsSilentlyWithADamagedOneAfterNamingIt) {
    QFile damaged("broken.ucd");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("1,0\r\n1,x\r\n");
    damaged.close();
    for (const char *code : {"nobody", "broken"}) {
        SCOPED_TRACE(code);
        StartMenu *f = showMenu();
        dialogs.inputAnswers = {code};
        click(f->continueButton);
        settle();
        EXPECT_TRUE(platform::forms::programEnded());
        EXPECT_TRUE(platform::forms::open().isEmpty());
        EXPECT_EQ(platform::forms::showLog(), QStringList{"startMenu"});
        EXPECT_EQ(dialogs.calls.mid(1).join(""), QLatin1String(code) == "nobody" ? "" :
                  "error|進み具合のファイル「broken.ucd」を読めませんでした。\n"
                  "進み具合のファイルが短すぎます（数が 4 個、62 個必要です）。\n先生に知らせてください。|ぽむりん紀行20");
        dialogs.calls.clear();
        platform::forms::resetForTests();
    }
    state::codeHold().release();  // as the program's end does
    EXPECT_EQ(QDir(".").entryList(QDir::Files), QStringList{"broken.ucd"});
    ASSERT_TRUE(damaged.open(QIODevice::ReadOnly));
    EXPECT_EQ(damaged.readAll(), "1,0\r\n1,x\r\n");
}

TEST_F(StartMenuTest, FileThatCannotBeCreatedEndsSilently) {
    QDir().mkdir("blocked.ucd");
    StartMenu *f = showMenu();
    dialogs.inputAnswers = {"blocked"};
    click(f->newRunButton);
    settle();
    EXPECT_TRUE(platform::forms::programEnded());
    EXPECT_EQ(platform::forms::showLog(), QStringList{"startMenu"});
}

TEST_F(StartMenuTest, UnsafeCodesAreAskedForAgainAndTouchNothing) {
    QDir().mkdir("sub");
    QDir::setCurrent("sub");
    saveExample("../secret", 1, 0);  // only possible below us; the menu must not read it
    StartMenu *f = showMenu();
    dialogs.inputAnswers = {"../secret", "/tmp/x", "a\\b", "..", "ok code"};
    click(f->continueButton);
    settle();
    EXPECT_EQ(dialogs.calls.size(), 9);  // each refusal named
    // Once the code is missing, the continue path ends the program: but the
    // refused codes read and wrote nothing.
    EXPECT_EQ(m.userCode, "ok code");
    EXPECT_TRUE(platform::forms::programEnded());
    // The accepted code is held while the program runs.
    EXPECT_EQ(QDir(".").entryList(QDir::Files), QStringList{"ok code.ucd.hold"});
    QDir::setCurrent("..");
}

TEST_F(StartMenuTest, LongAndFullWidthCodesAreUsedAsTyped) {
    for (const QString &code : {QString("とても長いユーザーコード１２３"), QString("a　b c")}) {
        StartMenu *f = showMenu();
        dialogs.inputAnswers = {code};
        click(f->newRunButton);
        settle();
        EXPECT_TRUE(QFile::exists(code + ".ucd")) << code.toStdString();
        platform::forms::resetForTests();
    }
}

}  // namespace
