// SPDX-License-Identifier: GPL-3.0-or-later
// The sheets per pupil (--pdf and the window's button) read back with
// poppler-utils: one page a pupil in code order, fonts embedded.
#include "ClassFolder.h"
#include "report/Writers.h"
#include "report/window/ClassWindow.h"
#include "support/EnvVar.h"

#include <QGuiApplication>
#include <QProcess>
#include <QProgressBar>
#include <QProgressDialog>
#include <QTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>

using namespace report;
using namespace report_test;

namespace {

// A pupil on question `on` with these misses on questions 1..on.
state::Session pupil(int on, std::initializer_list<short> misses) {
    state::Session m = pupilOn(on, 0);
    std::copy(misses.begin(), misses.end(), m.misses.begin() + 1);
    return m;
}

// What a program that succeeds prints, with no display; one that hangs is
// killed when p goes.
QString program(const QString &tool, const QStringList &args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    p.setProcessEnvironment(env);
    p.start(tool, args);
    EXPECT_TRUE(p.waitForStarted(10000) && p.waitForFinished(30000) && p.exitCode() == 0) << tool.toStdString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pageText(const QString &pdf, int n) {
    return program("pdftotext", {"-layout", "-f", QString::number(n), "-l", QString::number(n), pdf, "-"});
}

QStringList codesOnPages(const QString &pdf) {
    const int pages = QRegularExpression("Pages:\\s+(\\d+)").match(program("pdfinfo", {pdf})).captured(1).toInt();
    QStringList codes;
    for (int n = 1; n <= pages; ++n)
        codes << QRegularExpression("^コード +(.+)$", QRegularExpression::MultilineOption).match(pageText(pdf, n)).captured(1);
    return codes;
}

struct PdfDialogs : window::QtWindowDialogs {
    QString answer;
    QStringList errors;
    QString choosePdfFile(QWidget *, const QString &) override { return answer; }
    void showError(QWidget *, const QString &text) override { errors << text; }
};

}  // namespace

TEST(ReportSheets, OnePagePerPupilInCodeOrderBesideTheClassMedianFromTheCommandAndTheWindow) {
    QDir().mkdir("class");
    writePupil("class", "10", pupil(4, {3, 0, 1, 2}));  // 平方根: 6 misses on 4 questions
    writePupil("class", "2", pupil(2, {1, 1}));
    writePupil("class", "b", pupil(6, {0, 0, 0, 0, 4, 4}));
    writePupil("class", "1", pupil(1, {2}));
    writePupil("class", "c", pupil(3, {0, 0, 0}));  // no misses
    writeBytes("class/broken.ucd", "3,x\r\n");
    ASSERT_TRUE(program(REPORT_EXE, {"class", "--pdf", "sheets.pdf"}).contains("正常"));  // the program itself
    const QStringList codes{"1", "2", "10", "b", "broken", "c"};
    EXPECT_EQ(codesOnPages("sheets.pdf"), codes);
    EXPECT_TRUE(program("pdffonts", {"sheets.pdf"}).contains(QRegularExpression("IPAPGothic +CID TrueType +Identity-H +yes")));
    // Pupil 10: 1.50 beside the median of 0, 0, 1, 1.5 and 2; a topic not reached.
    const QString page = pageText("sheets.pdf", 3);
    EXPECT_TRUE(page.contains(QRegularExpression("平方根 +1〜4 +4 */ *4 +1.50 +1.00\n"))) << page.toStdString();
    EXPECT_TRUE(page.contains(QRegularExpression("√の変形と乗除 +5〜10 +0 */ *6 +— +4.00\n")));
    EXPECT_TRUE(page.contains(QRegularExpression("1\\. +問1\\s+平方根を求める\\s+分野：平方根 +ミス 3 回\n *2\\. +問4\\s+√の値"
                                                 "（１００分の１の数）\\s+分野：平方根 +ミス 2 回\n *3\\. +問3\\s.+ミス 1 回\n")));
    EXPECT_TRUE(pageText("sheets.pdf", 5).contains("理由：進み具合のファイルが短すぎます"));
    const QString clean = pageText("sheets.pdf", 6);
    EXPECT_TRUE(clean.contains("ミスをした問題はありません") && !clean.contains("ミス 0 回")) << clean.toStdString();

    // The class by the folder's own name, never where it lies; on question
    // 30 since 10:00, and done with it in 95 s.
    QDir().mkdir("end");
    state::Session on30 = pupilOn(30, 0), done = pupilOn(30, 0);
    on30.answerTimes[30] = 10 * 3600;
    done.answerTimes[30] = 95;
    writePupil("end", "30", on30);
    writePupil("end", "z", done);
    state::assignment::write("end", {{1, 2}, QDateTime(QDate(2026, 12, 7), QTime(8, 0)), QDate(2026, 12, 15)});
    ASSERT_TRUE(program(REPORT_EXE, {"end", "--pdf", "end.pdf"}).contains("正常"));
    const QString page30 = pageText("end.pdf", 1), pageDone = pageText("end.pdf", 2);
    EXPECT_TRUE(page30.contains(QRegularExpression("個人票 +end +20"))) << page30.toStdString();
    EXPECT_FALSE(page30.contains(QDir::currentPath()));
    EXPECT_TRUE(page30.contains(QRegularExpression("課題：平方根 2問（12月15日のテストまで）\\s+0／2 問できました（未着手）")) && !clean.contains("課題"));
    EXPECT_TRUE(page30.contains(QRegularExpression("問30 .*\\n.*最後の問題に取り組み中")));
    EXPECT_TRUE(pageDone.contains(QRegularExpression("全問終了 .*\\n.*30 問すべて解き終えました"))) << pageDone.toStdString();
    EXPECT_TRUE(pageDone.contains(QRegularExpression("30 +ｙの変域（ｘが０をふくまない） +1 +1分35秒")));
    // 29 questions of 11 to 39 s and the last 95 s: one figure on the sheet, in the CSV and the window (13分40秒).
    EXPECT_TRUE(pageDone.contains(QRegularExpression("全問終了 +0点 +13分40秒"))) << pageDone.toStdString();
    EXPECT_TRUE(csv(readFolder("end")).contains("\nz,30,0,31,820,正常,"));

    PdfDialogs dialogs;
    window::ClassWindow w(dialogs, QDir::current().filePath("pages"));
    QSignalSpy refreshed(&w, &window::ClassWindow::refreshed);
    w.openFolder("class");
    ASSERT_TRUE(refreshed.wait(10000));
    auto *button = w.findChild<QPushButton *>("pdfButton");
    ASSERT_TRUE(button && button->isEnabled() && button->text() == "個人票（PDF）");
    const QStringList before = QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    button->click();  // the file dialog cancelled: nothing drawn, written or said
    EXPECT_EQ(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    EXPECT_TRUE(dialogs.errors.isEmpty() && !QGuiApplication::overrideCursor());
    int shown = -1;  // the most pages the progress showed drawn after やめる
    QTimer::singleShot(0, &w, [&] {
        auto *progress = w.findChild<QProgressDialog *>("sheetsProgress");
        QObject::connect(progress->findChild<QProgressBar *>(), &QProgressBar::valueChanged, [&shown](int v) { shown = std::max(shown, v); });
        progress->findChild<QPushButton *>()->click();  // やめる
    });
    dialogs.answer = "stopped.pdf";
    button->click();  // drawn off the interface thread, stopped before its first page: nothing drawn or written, no error
    EXPECT_TRUE(!QFile::exists("stopped.pdf") && shown <= 0) << shown;
    EXPECT_TRUE(dialogs.errors.isEmpty());
    dialogs.answer = "window.pdf";
    const testing_support::EnvVar home("XDG_CONFIG_HOME", QDir::currentPath().toUtf8()), dirs("XDG_CONFIG_DIRS", "/none");
    QDir().mkdir("pomurin20");
    writeBytes("pomurin20/pomurin20.conf", "[class]\nname = 2年1組\n");
    button->click();
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    EXPECT_EQ(codesOnPages("window.pdf"), codes);
    EXPECT_TRUE(pageText("window.pdf", 2).contains(QRegularExpression("個人票 +2年1組 +20")));  // [class] name
    ASSERT_EQ(::symlink("window.pdf", "link.pdf"), 0);
    dialogs.answer = "link.pdf";
    button->click();
    EXPECT_EQ(dialogs.errors, QStringList{"「link.pdf」はシンボリックリンクなので、書き込みません。"});
}
