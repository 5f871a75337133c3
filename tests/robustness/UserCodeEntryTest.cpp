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
    EXPECT_EQ(dialogs.calls.size(), 4);
    EXPECT_EQ(state::session().userCode, "ok");
    EXPECT_EQ(QDir(".").entryList({"*.ucd"}), QStringList{"ok.ucd"});
}

}  // namespace
