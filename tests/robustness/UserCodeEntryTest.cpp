// User codes through the real start menu: the same word typed composed or
// decomposed names one file, and invisible or broken codes are asked again.
#include "screens/Screens.h"
#include "screens/front/Form2.h"
#include "state/Module1.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QDir>
#include <QFile>

using namespace testing_support;

namespace {

class UserCodeEntry : public ScreenTest {
protected:
    screens::Form2 *menu() {
        platform::forms::show("Form2");
        return open<screens::Form2>("Form2");
    }
};

TEST_F(UserCodeEntry, ComposedAndDecomposedCodesShareOneFile) {
    const QString composed = QString::fromUtf8("が");
    const QString decomposed = QString::fromUtf8("か") + QChar(0x3099);
    dialogs.inputAnswers = {decomposed};
    click(menu()->Command1);  // 初めからやる
    settle();
    EXPECT_EQ(state::module1().UserFileStem, composed);
    EXPECT_EQ(QDir(".").entryList({"*.ucd"}), QStringList{composed + ".ucd"});

    // The learner comes back typing the composed form: the same file.
    state::resetModule1();
    state::Module1 saved;
    saved.UserFileStem = composed;
    saved.QuestionNo = 12;
    state::progress::save(saved);
    platform::forms::resetForTests();
    screens::registerAll();
    dialogs.inputAnswers = {decomposed};
    click(menu()->Command2);  // 前の続きからやる, typed decomposed this time
    settle();
    EXPECT_EQ(state::module1().QuestionNo, 12);
    EXPECT_EQ(QDir(".").entryList({"*.ucd"}), QStringList{composed + ".ucd"});
}

TEST_F(UserCodeEntry, InvisibleOrBrokenCodesAreAskedAgain) {
    const QString override = QString::fromUtf8("abc") + QChar(0x202E) + "gpj";
    const QString lone = QString("x") + QChar(0xD800);
    dialogs.inputAnswers = {override, lone, QString("a") + QChar(0x2028), "ok"};
    click(menu()->Command1);
    settle();
    EXPECT_EQ(dialogs.calls.size(), 4);
    EXPECT_EQ(state::module1().UserFileStem, "ok");
    EXPECT_EQ(QDir(".").entryList({"*.ucd"}), QStringList{"ok.ucd"});
}

}  // namespace
