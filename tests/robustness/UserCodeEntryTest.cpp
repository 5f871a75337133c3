// SPDX-License-Identifier: GPL-3.0-or-later
// User codes through the real start menu: the same word typed composed or
// decomposed names one file, and invisible or broken codes are asked again.
#include "screens/Screens.h"
#include "screens/front/StartMenu.h"
#include "state/Session.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QDir>
#include <QFile>

using namespace testing_support;

namespace {

class UserCodeEntry : public ScreenTest {
protected:
    screens::StartMenu *menu() {
        screens::showScreen(screens::ScreenId::StartMenu);
        return open<screens::StartMenu>(ScreenId::StartMenu);
    }
};

TEST_F(UserCodeEntry, ComposedAndDecomposedCodesShareOneFile) {
    const QString composed = QString::fromUtf8("が");
    const QString decomposed = QString::fromUtf8("か") + QChar(0x3099);
    dialogs.inputAnswers = {decomposed};
    click(menu()->newRunButton);  // 初めからやる
    settle();
    EXPECT_EQ(state::session().userCode, composed);
    EXPECT_EQ(QDir(".").entryList({"*.ucd"}), QStringList{composed + ".ucd"});

    // The learner comes back typing the composed form: the same file.
    state::resetSession();
    state::Session saved;
    saved.userCode = composed;
    saved.question = 12;
    state::progress::save(saved);
    platform::forms::resetForTests();
    dialogs.inputAnswers = {decomposed};
    click(menu()->continueButton);  // 前の続きからやる, typed decomposed this time
    settle();
    EXPECT_EQ(state::session().question, 12);
    EXPECT_EQ(QDir(".").entryList({"*.ucd"}), QStringList{composed + ".ucd"});
}

TEST_F(UserCodeEntry, InvisibleOrBrokenCodesAreAskedAgain) {
    const QString override = QString::fromUtf8("abc") + QChar(0x202E) + "gpj";
    const QString lone = QString("x") + QChar(0xD800);
    dialogs.inputAnswers = {override, lone, QString("a") + QChar(0x2028), "ok"};
    click(menu()->newRunButton);
    settle();
    EXPECT_EQ(dialogs.calls.size(), 7);  // each refusal named
    EXPECT_EQ(dialogs.calls[1], "error|コードに使えない文字（見えない文字など）が入っています。\n別のコードを入れてください。|ぽむりん紀行20");
    EXPECT_EQ(state::session().userCode, "ok");
    EXPECT_EQ(QDir(".").entryList({"*.ucd"}), QStringList{"ok.ucd"});
}

// Cancel means "pm": when another program plays pm, the refusal brings the
// start menu back instead of the box for ever.
TEST_F(UserCodeEntry, CancelWhilePmIsInUseElsewhereBringsBackTheStartMenu) {
    QFile hold("pm.ucd.hold");
    ASSERT_TRUE(hold.open(QIODevice::WriteOnly) && hold.write("pomurin20 hold\nhost pc-03\npid 12\ntoken 1\n") > 0);
    hold.close();
    screens::StartMenu *start = menu();
    ASSERT_TRUE(start);
    for (QPushButton *button : {start->newRunButton, start->continueButton}) {
        dialogs.calls.clear();
        dialogs.inputAnswers = {"", "3201"};
        click(button);
        settle();
        EXPECT_EQ(dialogs.calls.size(), 2);  // asked, refused: not asked again
        EXPECT_EQ(open<screens::StartMenu>(ScreenId::StartMenu), start);
        EXPECT_FALSE(state::session().resumed);
    }
    EXPECT_EQ(QDir(".").entryList({"*.ucd"}), QStringList());
}

}  // namespace
