// The start menu: the two buttons, the user code, the progress file and
// the hand-over to the quiz screen.
#include "screens/front/Form2.h"
#include "state/Module1.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QDir>
#include <QFile>

using namespace testing_support;
using screens::Form2;

namespace {

const QString kPrompt = "半角８文字以内で、ユーザーコードを入力してください・・・";

class StartMenu : public ScreenTest {
protected:
    Form2 *showMenu() {
        platform::forms::show("Form2");
        Form2 *f = open<Form2>("Form2");
        media.log.clear();
        return f;
    }
    static QByteArray file(const QString &name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void saveExample(const QString &stem, short question, double score) {
        state::Module1 m;
        m.UserFileStem = stem;
        m.QuestionNo = question;
        m.Score = score;
        m.MissCount[2] = 4;
        m.AnswerTime[2] = 33;
        state::progress::save(m);
    }
    state::Module1 &m = state::module1();
};

TEST_F(StartMenu, LayoutMatchesTheDesign) {
    Form2 *f = showMenu();
    EXPECT_EQ(f->windowTitle(), " ぽむりん紀行20(√、因数分解、2次方程式・関数の巻) ");
    EXPECT_EQ(f->size(), QSize(379, 58));
    EXPECT_EQ(f->Command1->text(), "初めからやる");
    EXPECT_EQ(f->Command1->geometry(), QRect(64, 16, 105, 25));
    EXPECT_EQ(f->Command2->text(), "前の続きからやる");
    EXPECT_EQ(f->Command2->geometry(), QRect(208, 16, 105, 25));
    EXPECT_EQ(f->focusWidget(), f->Command1);
}

TEST_F(StartMenu, BeginAnewResetsSavesAndOpensTheFirstQuizScreen) {
    saveExample("taro", 12, 9000);  // an existing file is overwritten without asking
    m.AnswerTime[5] = 77;
    Form2 *f = showMenu();
    dialogs.inputAnswers = {"taro"};
    click(f->Command1);
    settle();
    EXPECT_EQ(media.log.mid(0, 4), QStringList({"Stop", "Close", "Open pinpon.wav", "Sound"}));
    EXPECT_EQ(dialogs.calls, QStringList{"input|" + kPrompt + "|ユーザーコード入力"});
    EXPECT_EQ(m.UserFileStem, "taro");
    EXPECT_EQ(m.QuestionNo, 1);
    EXPECT_EQ(m.Score, 0);
    EXPECT_EQ(m.AnswerTime[5], 0);
    EXPECT_EQ(m.ResumedRun, 0);
    QByteArray expected = "1,0\r\n";
    for (int i = 1; i <= 30; ++i) expected += "0,0\r\n";
    EXPECT_EQ(file("taro.ucd"), expected);
    EXPECT_EQ(platform::forms::showLog().last(), "Form3");
    EXPECT_EQ(open<Form2>("Form2"), nullptr);
}

// Cancel, or OK on an empty field, in either box starts over at question 1
// under the stem "pm" and overwrites its file; continuing keeps the timing
// slots of this run and marks the run as continued.  Every round begins
// from its own state, in which none of this is already so.
TEST_F(StartMenu, EmptyCodeOrCancelStartsOverUnderTheStemPm) {
    for (int button = 1; button <= 2; ++button) {
        for (bool cancel : {false, true}) {
            SCOPED_TRACE(testing::Message() << "button " << button << (cancel ? " Cancel" : " empty OK"));
            platform::forms::resetForTests();
            state::resetModule1();
            saveExample("pm", 20, 4500);  // an older file of the stem "pm"
            m.UserFileStem = "hana";
            m.QuestionNo = 20;
            m.Score = 4500;
            for (int i = 1; i <= state::kQuestions; ++i) {
                m.MissCount[i] = static_cast<short>(1 + i % 3);
                m.AnswerTime[i] = i * 10 + 0.5f;
            }
            Form2 *f = showMenu();
            dialogs.inputAnswers.clear();
            if (!cancel) dialogs.inputAnswers = {""};  // Cancel gives the empty text as well
            click(button == 1 ? f->Command1 : f->Command2);
            settle();

            const bool continued = button == 2;
            // What the menu saved, before the quiz screen took over.
            QByteArray expected = "1,0\r\n";
            for (int i = 1; i <= state::kQuestions; ++i)
                expected += continued ? "0," + QByteArray::number(i * 10) + ".5\r\n" : QByteArray("0,0\r\n");
            EXPECT_EQ(file("pm.ucd"), expected);
            EXPECT_FALSE(QFile::exists("hana.ucd"));
            EXPECT_EQ(m.UserFileStem, "pm");
            EXPECT_EQ(m.QuestionNo, 1);
            EXPECT_EQ(m.Score, 0);
            for (int i = 1; i <= state::kQuestions; ++i) EXPECT_EQ(m.MissCount[i], 0) << i;
            // Slot 1 is the quiz screen's own start reading; the others are
            // the menu's.
            for (int i = 2; i <= state::kQuestions; ++i)
                EXPECT_EQ(m.AnswerTime[i], continued ? i * 10 + 0.5f : 0.0f) << i;
            EXPECT_EQ(m.ResumedRun, continued ? 1 : 0);
            EXPECT_EQ(platform::forms::showLog().last(), "Form3");
            EXPECT_EQ(open<Form2>("Form2"), nullptr);
        }
    }
}

TEST_F(StartMenu, ContinueLoadsTheFileAndChoosesTheScreen) {
    struct Case {
        short question;
        const char *screen;
    } cases[] = {{12, "Form3"}, {15, "Form3"}, {16, "Form7"}, {30, "Form7"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.question);
        saveExample("hana", c.question, -6000);
        Form2 *f = showMenu();
        dialogs.calls.clear();
        dialogs.inputAnswers = {"hana"};
        click(f->Command2);
        settle();
        EXPECT_EQ(dialogs.calls, QStringList{"input|" + kPrompt + "|  ユーザーコード入力"});
        EXPECT_EQ(m.ResumedRun, 1);
        EXPECT_EQ(m.QuestionNo, c.question);
        EXPECT_EQ(m.Score, -6000);
        EXPECT_EQ(m.MissCount[2], 4);
        EXPECT_EQ(m.AnswerTime[2], 33.0f);
        EXPECT_EQ(platform::forms::showLog().last(), c.screen);
        platform::forms::resetForTests();
    }
}

TEST_F(StartMenu, ContinueWithoutAFileOrWithADamagedOneEndsSilently) {
    QFile damaged("broken.ucd");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("1,0\r\n1,x\r\n");
    damaged.close();
    for (const char *code : {"nobody", "broken"}) {
        SCOPED_TRACE(code);
        Form2 *f = showMenu();
        dialogs.inputAnswers = {code};
        click(f->Command2);
        settle();
        EXPECT_TRUE(platform::forms::programEnded());
        EXPECT_TRUE(platform::forms::open().isEmpty());
        EXPECT_EQ(platform::forms::showLog(), QStringList{"Form2"});
        for (const QString &c : dialogs.calls) EXPECT_FALSE(c.startsWith("error|"));
        platform::forms::resetForTests();
    }
}

TEST_F(StartMenu, FileThatCannotBeCreatedEndsSilently) {
    QDir().mkdir("blocked.ucd");
    Form2 *f = showMenu();
    dialogs.inputAnswers = {"blocked"};
    click(f->Command1);
    settle();
    EXPECT_TRUE(platform::forms::programEnded());
    EXPECT_EQ(platform::forms::showLog(), QStringList{"Form2"});
}

TEST_F(StartMenu, UnsafeCodesAreAskedForAgainAndTouchNothing) {
    QDir().mkdir("sub");
    QDir::setCurrent("sub");
    saveExample("../secret", 1, 0);  // only possible below us; the menu must not read it
    Form2 *f = showMenu();
    dialogs.inputAnswers = {"../secret", "/tmp/x", "a\\b", "..", "ok code"};
    click(f->Command2);
    settle();
    EXPECT_EQ(dialogs.calls.size(), 5);
    // Once the code is missing, the continue path ends the program: but the
    // refused codes read and wrote nothing.
    EXPECT_EQ(m.UserFileStem, "ok code");
    EXPECT_TRUE(platform::forms::programEnded());
    EXPECT_EQ(QDir(".").entryList(QDir::Files), QStringList());
    QDir::setCurrent("..");
}

TEST_F(StartMenu, LongAndFullWidthCodesAreUsedAsTyped) {
    for (const QString &code : {QString("とても長いユーザーコード１２３"), QString(" a b ")}) {
        Form2 *f = showMenu();
        dialogs.inputAnswers = {code};
        click(f->Command1);
        settle();
        EXPECT_TRUE(QFile::exists(code + ".ucd")) << code.toStdString();
        platform::forms::resetForTests();
    }
}

}  // namespace
