// SPDX-License-Identifier: GPL-3.0-or-later
// The real dialogs: Japanese buttons, no icon, the input box's empty field,
// OK giving the text and Cancel the empty text.
#include "platform/Services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Runs `inspect` on the modal dialog once it is up.
void whenDialogOpens(const std::function<void(QWidget *)> &inspect) {
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, inspect] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            inspect(w);
        }
    });
    poll->start(10);
}

QStringList buttonTexts(QWidget *dialog) {
    QStringList texts;
    for (auto *b : dialog->findChildren<QAbstractButton *>()) texts << b->text().remove('&');
    texts.sort();
    return texts;
}

QAbstractButton *buttonNamed(QWidget *dialog, const QString &prefix) {
    for (auto *b : dialog->findChildren<QAbstractButton *>())
        if (b->text().remove('&').startsWith(prefix)) return b;
    return nullptr;
}

class RealDialogs : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform::installJapaneseTranslations()); }
    platform::QtDialogs dialogs;
};

TEST_F(RealDialogs, YesNoBoxIsJapaneseWithoutIcon) {
    QStringList texts;
    QString title, text;
    bool iconless = false;
    whenDialogOpens([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        ASSERT_NE(box, nullptr);
        texts = buttonTexts(box);
        title = box->windowTitle();
        text = box->text();
        iconless = box->icon() == QMessageBox::NoIcon;
        buttonNamed(box, "いいえ")->click();
    });
    EXPECT_FALSE(dialogs.askYesNo(nullptr, "終了していいですか？", "ぽむりん紀行20"));
    EXPECT_EQ(texts, QStringList({"いいえ(N)", "はい(Y)"}));
    EXPECT_EQ(title, "ぽむりん紀行20");
    EXPECT_EQ(text, "終了していいですか？");
    EXPECT_TRUE(iconless);

    whenDialogOpens([&](QWidget *w) { buttonNamed(w, "はい")->click(); });
    EXPECT_TRUE(dialogs.askYesNo(nullptr, "終了していいですか？", "ぽむりん紀行20"));
}

// A machine name or file name a pupil chose is shown as typed: markup that
// would load a FIFO (and wait on it for ever) is not rendered, and a 10 kB
// name keeps the box and its OK button on the screen.  A regression hangs
// in the FIFO: the alarm ends the test in seconds instead.
TEST_F(RealDialogs, NamesFromFilesAreShownAsTypedAndTheBoxFitsTheScreen) {
    ASSERT_EQ(::mkfifo("trap", 0600), 0);
    QString huge;
    while (huge.size() < 10000) huge += "pc-12 ";
    for (const QString &host : {QStringLiteral("<img src=\"trap\">"), huge}) {
        QString text;
        QRect box, ok;
        whenDialogOpens([&](QWidget *w) {
            auto *message = qobject_cast<QMessageBox *>(w);
            ASSERT_NE(message, nullptr);
            message->grab();  // painted, as on a screen: markup would load its pictures now
            if (message->textFormat() == Qt::PlainText) text = message->text();
            box = message->frameGeometry();
            QAbstractButton *button = buttonNamed(message, "OK");
            ok = QRect(button->mapTo(message, QPoint(0, 0)) + message->pos(), button->size());
            button->click();
        });
        ::alarm(10);
        dialogs.showError(nullptr, "このコードは今ほかのコンピューター（" + host + "）で使われています。", "ぽむりん紀行20");
        ::alarm(0);
        EXPECT_TRUE(text.remove(QChar(0x200B)).contains(host.size() < 100 ? host : "pc-12")) << text.left(99).toStdString();
        EXPECT_TRUE(QApplication::primaryScreen()->availableGeometry().contains(box)) << box.height();
        EXPECT_TRUE(box.contains(ok)) << ok.y() << " outside " << box.height();
    }
}

// Ctrl+C in the box gives the message as written: a long path copied
// from it has no break in it and exists.
TEST_F(RealDialogs, CopyingAMessageGivesTheTextAsItIs) {
    const QString text = "学習記録を入れるクラスのフォルダー\n/srv/" + QString(50, 'a') + "\nが使えません。";
    whenDialogOpens([&](QWidget *w) {
        QTest::keySequence(w->focusWidget() ? w->focusWidget() : w, QKeySequence::Copy);
        buttonNamed(w, "OK")->click();
    });
    dialogs.showError(nullptr, text, "ぽむりん紀行20");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
}

TEST(FitForMessageBox, KeepsTwelveLinesOf120AndShortensLongerOnes) {
    const QString twelve = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12";
    EXPECT_EQ(platform::fitForMessageBox(twelve), twelve);
    EXPECT_EQ(platform::fitForMessageBox(twelve + "\n13"), "1\n2\n3\n4\n5\n6\n7\n8\n…\n11\n12\n13");
    // A line of 120 characters stays whole; one of 121 keeps its first 80 and last 30.
    const QString line = QString("abcdefghi ").repeated(12);
    EXPECT_EQ(platform::fitForMessageBox(line), line);
    EXPECT_EQ(platform::fitForMessageBox(line + "z"), line.left(80) + "…" + (line + "z").right(30));
    // A run of more than 30 characters without a blank gets a zero-width break
    // after every 30, so that the box can wrap it; a character of two UTF-16 units counts once and stays whole.
    const QString a30(30, 'a'), face = "😀", zw(QChar(0x200B));
    const std::pair<QString, QString> runs[] = {
        {a30 + " " + a30, a30 + " " + a30},
        {QString(61, 'a'), a30 + zw + a30 + zw + "a"},
        {face.repeated(31), face.repeated(30) + zw + face},
    };
    for (const auto &[text, fitted] : runs) EXPECT_EQ(platform::fitForMessageBox(text), fitted) << text.toStdString();
    // Names from other machines: escape sequences and direction overrides as marks.
    EXPECT_EQ(platform::visibleText("a\x1b[31m\u202Eb\nc"), "a<U+001B>[31m<U+202E>b<U+000A>c");
    EXPECT_EQ(platform::visibleText("a\x1b[31m\u202Eb\nc", true), "a<U+001B>[31m<U+202E>b\nc");
}

TEST_F(RealDialogs, InputBoxGivesTheTextOnOkAndNothingOnCancel) {
    QStringList texts;
    QString initial = "not read";
    whenDialogOpens([&](QWidget *w) {
        texts = buttonTexts(w);
        auto *edit = w->findChild<QLineEdit *>();
        ASSERT_NE(edit, nullptr);
        initial = edit->text();
        edit->setText("はなこ");
        buttonNamed(w, "OK")->click();
    });
    EXPECT_EQ(dialogs.inputBox(nullptr, "コードを入力", "ユーザーコード入力"), "はなこ");
    EXPECT_TRUE(initial.isEmpty());
    EXPECT_TRUE(texts.contains("キャンセル"));
    EXPECT_TRUE(texts.contains("OK"));

    whenDialogOpens([&](QWidget *w) {
        w->findChild<QLineEdit *>()->setText("捨てる");
        buttonNamed(w, "キャンセル")->click();
    });
    EXPECT_EQ(dialogs.inputBox(nullptr, "コードを入力", "ユーザーコード入力"), QString());
}

}  // namespace
