// SPDX-License-Identifier: GPL-3.0-or-later
// A save that fails on any hand-over: its message stays up until the
// learner dismisses it (the program has not ended under it), the program
// then ends, and the last good save is left as it was.
#include "screens/front/StartMenu.h"
#include "screens/quiz/QuizFixture.h"
#include "screens/roulette/RouletteScreen.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>

#include <cmath>
#include <functional>

using namespace testing_support;
using screens::QuizScreen;
using screens::RouletteScreen;

namespace {

class SaveFailureTest : public QuizFixture {
protected:
    // A score no file can hold: the save refuses it and writes nothing.
    void makeUnsavable() { m.score = std::nan(""); }

    // The roulette on question q after a spin, the next screen's file saved.
    RouletteScreen *spunRoulette(int q) {
        m.userCode = "learner";
        m.question = static_cast<short>(q);
        m.score = 9000;
        state::progress::save(m);
        screens::showScreen(ScreenId::Roulette);
        auto *f = open<RouletteScreen>(ScreenId::Roulette);
        if (!f) return nullptr;
        click(f->startButton);
        f->spinTimer->fire();
        f->ballPauseTimer->fire();
        random.values = {0.5};
        click(f->stopButton);
        for (int guard = 0; f->runOnTimer->isEnabled() && guard < 200; ++guard) {
            f->runOnTimer->fire();
            if (f->ballShowing()) f->ballPauseTimer->fire();
        }
        return f->nextButton->isEnabled() ? f : nullptr;
    }
};

TEST_F(SaveFailureTest, MessageStaysUntilDismissedAndTheLastGoodSaveIsKept) {
    struct Case {
        const char *path;
        // Sets the screen up and gives the button whose hand-over saves.
        std::function<QPushButton *()> prepare;
    };
    const Case cases[] = {
        {"roulette 次へ before question 30", [this]() -> QPushButton * {
             RouletteScreen *f = spunRoulette(11);
             return f ? f->nextButton : nullptr;
         }},
        {"roulette 次へ at the end", [this]() -> QPushButton * {
             RouletteScreen *f = spunRoulette(30);
             return f ? f->nextButton : nullptr;
         }},
        {"quiz 次へ after question 5", [this]() -> QPushButton * {
             QuizScreen *f = start(5);
             if (!f) return nullptr;
             click(rightButton(f));
             return f->nextButton;
         }},
        {"HELP", [this]() -> QPushButton * {
             QuizScreen *f = start(17);
             if (!f) return nullptr;
             click(wrongButton(f));
             return f->helpButton;
         }},
        {"終了", [this]() -> QPushButton * {
             QuizScreen *f = start(8);
             dialogs.yesNoAnswers = {true};
             return f ? f->quitButton : nullptr;
         }},
        {"start menu 初めからやる", [this]() -> QPushButton * {
             screens::showScreen(ScreenId::StartMenu);
             auto *menu = open<screens::StartMenu>(ScreenId::StartMenu);
             dialogs.inputAnswers = {"learner"};
             return menu ? menu->newRunButton : nullptr;
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        platform::forms::resetForTests();
        state::resetSession();
        QFile::remove("learner.ucd");
        dialogs.calls.clear();
        dialogs.endedUnderMessage.clear();

        QPushButton *button = c.prepare();
        ASSERT_NE(button, nullptr);
        const bool startMenu = !QFile::exists("learner.ucd");
        const QByteArray lastGood = fileBytes();
        if (startMenu)
            ASSERT_TRUE(QDir().mkdir("learner.ucd"));  // a folder in the file's place: the save refuses it
        else
            makeUnsavable();
        click(button);
        settle();

        ASSERT_FALSE(dialogs.calls.isEmpty());
        EXPECT_TRUE(dialogs.calls.last().startsWith("error|進み具合を保存できませんでした。"))
            << dialogs.calls.last().toStdString();
        EXPECT_EQ(dialogs.endedUnderMessage, QList<bool>{false});  // still up when dismissed
        EXPECT_TRUE(platform::forms::programEnded());
        EXPECT_TRUE(platform::forms::open().isEmpty());
        if (startMenu)
            EXPECT_TRUE(QFileInfo("learner.ucd").isDir());
        else
            EXPECT_EQ(fileBytes(), lastGood);
        QDir().rmdir("learner.ucd");
    }
}

// The same with the real message box, which runs its own event loop: it
// is still up after the wheel unloaded, until the learner presses OK.
TEST_F(SaveFailureTest, RealMessageBoxOutlivesTheUnloadedWheel) {
    RouletteScreen *f = spunRoulette(16);
    ASSERT_NE(f, nullptr);
    platform::QtDialogs real;
    platform::services().dialogs = &real;
    bool shownAfterAWhile = false;
    QTimer learner, watchdog;  // on the stack: neither outlives the test
    learner.setSingleShot(true);
    watchdog.setSingleShot(true);
    QObject::connect(&learner, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        shownAfterAWhile = box && box->isVisible();
        if (box) box->accept();  // the learner presses OK
    });
    learner.start(300);
    makeUnsavable();
    // Clicked from inside the application's own loop, as in the program:
    // quitting that loop would also close the box at once.
    QTimer::singleShot(0, [&] {
        click(f->nextButton);
        QCoreApplication::exit();
    });
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(10000);
    QCoreApplication::exec();
    platform::services().dialogs = &dialogs;
    EXPECT_TRUE(shownAfterAWhile);
    EXPECT_TRUE(platform::forms::programEnded());
}

}  // namespace
