// SPDX-License-Identifier: GPL-3.0-or-later
// The report's output files: what stands at an output name is replaced
// only when it is a regular file, a failed write keeps the previous
// report, and one file named twice is refused.
#include "ClassFolder.h"
#include "report/Writers.h"

#include <QProcess>

#include <csignal>
#include <cstring>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

using namespace report;
using namespace report_test;

namespace {

mode_t modeOf(const QString &name) {
    struct stat st {};
    return ::lstat(QFile::encodeName(name).constData(), &st) == 0 ? st.st_mode : 0;
}

// Everything in the working folder but the class folder: no temporary
// file may be left beside an output.
QStringList entriesHere() {
    QStringList e = QDir(".").entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    e.removeAll("class");
    return e;
}

class ReportOutput : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkdir("class");
        writePupil("class", "1", pupilOn(3, 3000));
    }
};

// Runs the report with every file this process writes limited in size, so
// that a write fails part-way as on a full disk (EFBIG instead of ENOSPC).
Result runWithFileSizeLimit(rlim_t bytes, const QStringList &args) {
    rlimit old{};
    EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit limit = old;
    limit.rlim_cur = bytes;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const Result r = runReport(args);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    return r;
}

}  // namespace

TEST_F(ReportOutput, OnlyARegularFileIsReplacedAndItsModeKept) {
    writeBytes("old.csv", "previous report");
    ASSERT_EQ(::chmod("old.csv", 0640), 0);
    ASSERT_EQ(::link("old.csv", "hardlink.txt"), 0);
    const Result r = runReport({"class", "--csv", "old.csv", "--html", "new.html"});
    ASSERT_EQ(r.status, kDone) << r.err.toStdString();
    EXPECT_EQ(readAll("old.csv"), csv(readFolder("class")));
    EXPECT_EQ(modeOf("old.csv") & 07777, 0640u);
    EXPECT_EQ(readAll("hardlink.txt"), "previous report") << "the file is replaced, not written through";
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(modeOf("new.html") & 07777, 0666u & ~mask);
    EXPECT_EQ(entriesHere(), QStringList({"hardlink.txt", "new.html", "old.csv"}));
}

TEST_F(ReportOutput, LinksFifosDevicesSocketsAndFoldersAreRefusedAndLeftAlone) {
    writeBytes("precious", "another pupil's file");
    ASSERT_EQ(::symlink("precious", "link.csv"), 0);
    ASSERT_EQ(::symlink("nowhere-yet", "dangling.html"), 0);
    ASSERT_EQ(::mkfifo("fifo.csv", 0600), 0);
    QDir().mkdir("folder.csv");
    // A device node of our own where root may make one, else the system's.
    const QString device = ::mknod("null.csv", S_IFCHR | 0666, makedev(1, 3)) == 0 ? "null.csv" : "/dev/null";
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, "socket.csv");
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(sock);
    const QStringList before = entriesHere();

    struct Case {
        QString option, name, says;
    };
    for (const Case &c : {Case{"--csv", "link.csv", "リンク"}, Case{"--html", "dangling.html", "リンク"},
                          Case{"--csv", "fifo.csv", "名前付きパイプ"}, Case{"--csv", "folder.csv", "フォルダー"},
                          Case{"--html", "folder.csv/", "フォルダー"}, Case{"--csv", device, "デバイス"},
                          Case{"--csv", "socket.csv", "ソケット"}, Case{"--pdf", "link.csv", "リンク"}}) {
        const mode_t type = modeOf(c.name) & S_IFMT;
        const Result r = runReport({"class", c.option, c.name});
        EXPECT_EQ(r.status, kFailed) << c.name.toStdString();
        EXPECT_TRUE(r.err.contains("「" + c.name + "」") && r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("正常")) << "the table is still shown";
        EXPECT_EQ(modeOf(c.name) & S_IFMT, type) << c.name.toStdString();
    }
    EXPECT_EQ(readAll("precious"), "another pupil's file");
    EXPECT_EQ(entriesHere(), before) << "nothing made (not even the link's target), nothing left behind";
}

TEST_F(ReportOutput, AFailedWriteKeepsThePreviousReportAndSaysSo) {
    writeBytes("class.csv", "previous csv");
    writeBytes("class.html", "previous html");
    // A limit smaller than either output.
    const Result r = runWithFileSizeLimit(100, {"class", "--csv", "class.csv", "--html", "class.html"});
    EXPECT_EQ(r.status, kFailed);
    EXPECT_TRUE(r.err.contains("「class.csv」に書き込めません（ファイルが大きすぎます）")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("「class.html」に書き込めません")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("前のファイルはそのままです")) << r.err.toStdString();
    EXPECT_EQ(readAll("class.csv"), "previous csv");
    EXPECT_EQ(readAll("class.html"), "previous html");
    EXPECT_EQ(entriesHere(), QStringList({"class.csv", "class.html"}));
}

TEST_F(ReportOutput, AFailedTableIsReportedAndNotSuccess) {
    // The stream the table goes to cannot be written (a full device).
    QFile full("/dev/full");
    ASSERT_TRUE(full.open(QIODevice::WriteOnly));
    QString errors;
    QTextStream out(&full), err(&errors);
    EXPECT_EQ(run({"class", "--csv", "class.csv"}, out, err), kFailed);
    err.flush();
    EXPECT_TRUE(errors.contains("一覧を書き出せません")) << errors.toStdString();
    EXPECT_EQ(readAll("class.csv"), csv(readFolder("class"))) << "the files asked for are still written";

    // The program itself, its standard output on a full device; help too.
    for (const QStringList &args : {QStringList{"class"}, QStringList{"--help"}}) {
        QProcess report;
        report.setStandardOutputFile("/dev/full");
        report.start(REPORT_EXE, args);
        ASSERT_TRUE(report.waitForStarted(10000));
        if (!report.waitForFinished(30000)) {  // the child's watchdog
            report.kill();
            report.waitForFinished(5000);
            FAIL() << "the report program hangs";
        }
        EXPECT_EQ(report.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(report.exitCode(), kFailed) << args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(report.readAllStandardError()).contains("標準出力に書き込めません"));
    }
}

TEST_F(ReportOutput, OneFileNamedForBothOutputsIsRefused) {
    QDir().mkdir("x");
    writeBytes("kept.csv", "previous");
    ASSERT_EQ(::link("kept.csv", "kept.html"), 0);
    for (const QStringList &names : {QStringList{"out.csv", "./x/../out.csv"}, QStringList{"out.csv", "x/../out.csv"},
                                     QStringList{"kept.csv", "kept.html"}, QStringList{"out.csv", "x/../out.csv", "--pdf"}}) {
        const Result r = runReport({"class", "--csv", names[0], names.value(2, "--html"), names[1]});
        EXPECT_EQ(r.status, kUsage) << names.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("同じファイル")) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists("out.csv"));
    EXPECT_EQ(readAll("kept.csv"), "previous");
}
