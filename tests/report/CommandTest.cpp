// SPDX-License-Identifier: GPL-3.0-or-later
// The report program's command line: what it prints and writes, its exit
// status, and that the class folder is exactly as it was afterwards.
#include "ClassFolder.h"
#include "report/Command.h"
#include "report/Writers.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace report;
using report_test::pupilOn;
using report_test::makeClass;
using report_test::readAll;
using report_test::Result;
using report_test::runReport;
using report_test::snapshot;
using report_test::writeBytes;
using report_test::writePupil;

TEST(ReportCommand, TheFolderIsUnchangedAfterwards) {
    QDir().mkdir("class");
    writePupil("class", "1", pupilOn(30, 87000));
    writePupil("class", "太郎", pupilOn(7, -3000));
    writePupil("class", "a, \"b\"", pupilOn(2, 0));
    writeBytes("class/broken.ucd", "3,x\r\n");
    writeBytes("class/empty.ucd", "");
    ASSERT_EQ(::chmod("class/1.ucd", 0444), 0);
    ASSERT_EQ(::symlink("1.ucd", "class/link.ucd"), 0);
    ASSERT_EQ(::mkfifo("class/pipe.ucd", 0600), 0);
    QDir().mkdir("class/folder.ucd");
    writeBytes("class/readme.txt", "notes");
    const QStringList before = snapshot("class");
    ASSERT_EQ(before.size(), 9);

    const Result r = runReport({"class", "--csv", "out.csv", "--html=out.html"});
    EXPECT_EQ(r.status, kDone) << r.err.toStdString();
    EXPECT_EQ(snapshot("class"), before);
    EXPECT_TRUE(r.out.contains("ファイル 8 件（読めた 3 件、読めない 5 件）")) << r.out.toStdString();
    EXPECT_TRUE(r.err.isEmpty());
    EXPECT_EQ(readAll("out.csv"), csv(readFolder("class")));
    EXPECT_TRUE(readAll("out.html").startsWith("<!DOCTYPE html>"));
}

TEST(ReportCommand, WrongCommandLinesShowTheUsage) {
    QDir().mkdir("class");
    const QList<QStringList> wrong{{},
                                   {"--csv", "a.csv"},
                                   {"class", "--csv"},
                                   {"class", "--csv="},
                                   {"class", "other"},
                                   {"class", "--html", "x", "--pdf", "x"},
                                   {"class", "--csv", "x", "--html", "x"},
                                   {"--csv", "--html", "class"},
                                   {"class", "--scale", "2"},  // the scale is the window's
                                   {"--window", "--scale"}};
    for (const QStringList &args : wrong) {
        const Result r = runReport(args);
        EXPECT_EQ(r.status, kUsage) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("使い方")) << args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_TRUE(runReport({"--window", "--scale"}).err.startsWith("--scale のあとに値が要ります。\n使い方"));
    const Result help = runReport({"--help"});
    EXPECT_EQ(help.status, kDone);
    EXPECT_TRUE(help.out.startsWith("使い方"));
    // A folder whose name starts with "-" after "--".
    QDir().mkdir("-x");
    EXPECT_EQ(runReport({"--", "-x"}).status, kDone);
    EXPECT_FALSE(QFile::exists("--html"));
}

TEST(ReportCommand, NeverWritesOverAProgressFile) {
    QDir().mkdir("class");
    writePupil("class", "taro", pupilOn(5, 0));
    const QByteArray before = readAll("class/taro.ucd");
    for (const QStringList &args : {QStringList{"class", "--csv", "class/taro.ucd"},
                                    QStringList{"class", "--html", "class/TARO.UCD"},
                                    QStringList{"class", "--csv", "class/p9.ucd.hold"},
                                    QStringList{"class", "--html", "class/p9.ucd.hold-0aF9"},
                                    QStringList{"class", "--pdf", "class/taro.Review"}}) {
        const Result r = runReport(args);
        EXPECT_EQ(r.status, kUsage);
        EXPECT_TRUE(r.err.contains("書き込みません")) << r.err.toStdString();
    }
    EXPECT_EQ(readAll("class/taro.ucd"), before);
    EXPECT_FALSE(QFile::exists("class/p9.ucd.hold"));  // it would block the code p9
    EXPECT_FALSE(QFile::exists("class/taro.Review"));
}

TEST(ReportCommand, FailuresAreReportedAndNotSuccess) {
    const Result missing = runReport({"nowhere"});
    EXPECT_EQ(missing.status, kFailed);
    EXPECT_TRUE(missing.err.contains("nowhere")) << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());
    // The system's reason in Japanese, never its English wording.
    const Result tooLong = runReport({QString(300, 'n')});
    EXPECT_EQ(tooLong.err, QStringLiteral("フォルダー「%1」を読めません（名前が長すぎます）。\n").arg(QString(300, 'n')));
    for (const int err : {EACCES, EPERM})
        EXPECT_EQ(folderFailure("class", err), "フォルダー「class」を読めません（読む権限がありません）。") << err;

    // The table is still printed when an output file cannot be written,
    // and the one that can be written is.
    QDir().mkdir("class");
    writePupil("class", "1", pupilOn(3, 0));
    const Result unwritable = runReport({"class", "--csv", "no/such/dir/out.csv", "--html", "out.html"});
    EXPECT_EQ(unwritable.status, kFailed);
    EXPECT_TRUE(unwritable.err.contains("no/such/dir/out.csv")) << unwritable.err.toStdString();
    EXPECT_TRUE(unwritable.out.contains("正常"));
    EXPECT_TRUE(QFile::exists("out.html"));
}

TEST(ReportCommand, AClassListNamesPupilsInTheTableAndCsvOrIsRefusedWhole) {
    makeClass();
    writeBytes("list.csv", "番号,氏名,コード\r\n@2,=石井 二,1\r\n1,青木 一,2\r\n7,丸山 七,ken\r\n");
    const Result r = runReport({"class", "--roster", "list.csv", "--csv", "out.csv"});
    ASSERT_EQ(r.status, kDone) << r.err.toStdString();
    const QStringList lines = r.out.split('\n');
    EXPECT_TRUE(lines[0].startsWith("番号        氏名      コード")) << lines[0].toStdString();
    EXPECT_TRUE(lines[2].startsWith("1           青木 一   2 ")) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith("@2          =石井 二  1 ")) << lines[3].toStdString();
    EXPECT_TRUE(lines[4].startsWith("名簿にない            3 ")) << lines[4].toStdString();
    EXPECT_EQ(lines.mid(lines.size() - 2), QStringList({"未着手 1 人：7 丸山 七", ""}));
    const QStringList csv = QString::fromUtf8(readAll("out.csv")).split("\r\n");
    EXPECT_TRUE(csv[0].endsWith(",復習,今日の復習,課題,出席番号,氏名"));
    EXPECT_TRUE(csv[1].startsWith("2,") && csv[1].endsWith(",1,\"青木 一\""));
    EXPECT_TRUE(csv[2].startsWith("1,") && csv[2].endsWith(",'@2,\"'=石井 二\"")) << csv[2].toStdString();
    EXPECT_TRUE(csv[3].startsWith("3,") && csv[3].endsWith(",,"));
    writeBytes("bad.csv", "番号,氏名,コード\n1,a,ken\n2,b,ken\n");
    const Result bad = runReport({"class", "--roster", "bad.csv", "--csv", "refused.csv"});
    EXPECT_EQ(bad.status, kFailed);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, "名簿「bad.csv」は読み込みませんでした：\n3 行目：コード「ken」が 2 行目と同じです。\n");
    EXPECT_FALSE(QFile::exists("refused.csv"));
}
