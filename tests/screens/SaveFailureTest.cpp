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

    // The roulette's 次へ on question q after a spin, the next screen's file saved.
    QPushButton *spunRouletteNext(int q) {
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
        return f->nextButton->isEnabled() ? f->nextButton : nullptr;
    }

    // A button of the quiz on question q, after a right (+1), wrong (-1) or no answer.
    QPushButton *quizButton(int q, int answer, QPushButton *screens::QuestionBoard::*button) {
        QuizScreen *f = start(q);
        if (!f) return nullptr;
        if (answer != 0) click(answer > 0 ? rightButton(f) : wrongButton(f));
        return f->board.*button;
    }
};

TEST_F(SaveFailureTest, MessageStaysUntilDismissedAndTheLastGoodSaveIsKept) {
    // Each path that saves: the screen set up, the button whose hand-over saves.
    const std::pair<const char *, std::function<QPushButton *()>> cases[] = {
        {"roulette 次へ before question 30", [this] { return spunRouletteNext(11); }},
        {"roulette 次へ at the end", [this] { return spunRouletteNext(30); }},
        {"quiz 次へ after question 5", [this] { return quizButton(5, +1, &screens::QuestionBoard::nextButton); }},
        {"HELP", [this] { return quizButton(17, -1, &screens::QuestionBoard::helpButton); }},
        {"終了", [this] {
             dialogs.yesNoAnswers = {true};
             return quizButton(8, 0, &screens::QuestionBoard::quitButton);
         }},
        {"start menu 初めからやる", [this]() -> QPushButton * {
             screens::showScreen(ScreenId::StartMenu);
             auto *menu = open<screens::StartMenu>(ScreenId::StartMenu);
             dialogs.inputAnswers = {"learner"};
             return menu ? menu->newRunButton : nullptr;
         }},
    };
    for (const auto &[path, prepare] : cases) {
        SCOPED_TRACE(path);
        platform::forms::resetForTests();
        state::resetSession();
        QFile::remove("learner.ucd");
        dialogs.calls.clear();
        dialogs.endedUnderMessage.clear();

        QPushButton *button = prepare();
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
    QPushButton *next = spunRouletteNext(16);
    ASSERT_NE(next, nullptr);
    platform::QtDialogs real;
    platform::services().dialogs = &real;
    bool shownAfterAWhile = false;
    QObject timers;  // the timers below end with it, and so with the test
    QTimer::singleShot(300, &timers, [&] {  // the learner comes to press OK
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        shownAfterAWhile = box && box->isVisible();
        if (box) box->accept();
    });
    QTimer::singleShot(10000, &timers, [] { QCoreApplication::exit(1); });  // the watchdog
    makeUnsavable();
    // Clicked from inside the application's own loop, as in the program:
    // quitting that loop would also close the box at once.
    QTimer::singleShot(0, &timers, [&] {
        click(next);
        QCoreApplication::exit();
    });
    QCoreApplication::exec();
    platform::services().dialogs = &dialogs;
    EXPECT_TRUE(shownAfterAWhile);
    EXPECT_TRUE(platform::forms::programEnded());
}

}  // namespace
