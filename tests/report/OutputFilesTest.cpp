// SPDX-License-Identifier: GPL-3.0-or-later
// The report's output files: what stands at an output name is replaced
// only when it is a regular file, a failed write keeps the previous
// report, and one file named twice is refused.
#include "ClassFolder.h"
#include "report/Command.h"
#include "report/Writers.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace report;
using report_test::pupilOn;
using report_test::writeBytes;
using report_test::writePupil;

namespace {

struct Result {
    int status;
    QString out, err;
};

Result runReport(const QStringList &args) {
    Result r;
    QTextStream out(&r.out), err(&r.err);
    r.status = run(args, out, err);
    out.flush();
    err.flush();
    return r;
}

QByteArray readAll(const QString &name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

mode_t typeOf(const QString &name) {
    struct stat st {};
    return ::lstat(QFile::encodeName(name).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

mode_t permissionsOf(const QString &name) {
    struct stat st {};
    return ::lstat(QFile::encodeName(name).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Everything in the working folder but the class folder: no temporary
// file may be left beside an output.
QStringList entriesHere() {
    QStringList e = QDir(".").entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    e.removeAll("class");
    return e;
}

void makeClass() {
    QDir().mkdir("class");
    writePupil("class", "1", pupilOn(3, 3000));
}

// Limits the size of every file this process writes, so that a write
// fails part-way as on a full disk (EFBIG instead of ENOSPC).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ok_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

}  // namespace

TEST(ReportOutput, OnlyARegularFileIsReplacedAndItsModeKept) {
    makeClass();
    writeBytes("old.csv", "previous report");
    ASSERT_EQ(::chmod("old.csv", 0640), 0);
    ASSERT_EQ(::link("old.csv", "hardlink.txt"), 0);
    const Result r = runReport({"class", "--csv", "old.csv", "--html", "new.html"});
    ASSERT_EQ(r.status, kDone) << r.err.toStdString();
    EXPECT_EQ(readAll("old.csv"), csv(readFolder("class")));
    EXPECT_EQ(permissionsOf("old.csv"), 0640u);
    EXPECT_EQ(readAll("hardlink.txt"), "previous report") << "the file is replaced, not written through";
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(permissionsOf("new.html"), 0666u & ~mask);
    EXPECT_EQ(entriesHere(), QStringList({"hardlink.txt", "new.html", "old.csv"}));
}

TEST(ReportOutput, LinksFifosDevicesSocketsAndFoldersAreRefusedAndLeftAlone) {
    makeClass();
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
                          Case{"--csv", "socket.csv", "ソケット"}}) {
        const mode_t type = typeOf(c.name);
        const Result r = runReport({"class", c.option, c.name});
        EXPECT_EQ(r.status, kFailed) << c.name.toStdString();
        EXPECT_TRUE(r.err.contains("「" + c.name + "」") && r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("正常")) << "the table is still shown";
        EXPECT_EQ(typeOf(c.name), type) << c.name.toStdString();
    }
    EXPECT_EQ(readAll("precious"), "another pupil's file");
    EXPECT_FALSE(QFile::exists("nowhere-yet"));
    EXPECT_EQ(entriesHere(), before) << "nothing made, nothing left behind";
}

TEST(ReportOutput, AFailedWriteKeepsThePreviousReportAndSaysSo) {
    makeClass();
    writeBytes("class.csv", "previous csv");
    writeBytes("class.html", "previous html");
    Result r;
    {
        // Smaller than either output: each write fails part-way.
        const FileSizeLimit limit(100);
        ASSERT_TRUE(limit.ok());
        r = runReport({"class", "--csv", "class.csv", "--html", "class.html"});
    }
    EXPECT_EQ(r.status, kFailed);
    EXPECT_TRUE(r.err.contains("「class.csv」に書き込めません（ファイルが大きすぎます）")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("「class.html」に書き込めません")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("前のファイルはそのままです")) << r.err.toStdString();
    EXPECT_EQ(readAll("class.csv"), "previous csv");
    EXPECT_EQ(readAll("class.html"), "previous html");
    EXPECT_EQ(entriesHere(), QStringList({"class.csv", "class.html"}));
}

TEST(ReportOutput, AFailedTableIsReportedAndNotSuccess) {
    makeClass();
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

TEST(ReportOutput, OneFileNamedForBothOutputsIsRefused) {
    makeClass();
    QDir().mkdir("x");
    writeBytes("kept.csv", "previous");
    ASSERT_EQ(::link("kept.csv", "kept.html"), 0);
    for (const QStringList &names : {QStringList{"out.csv", "./x/../out.csv"}, QStringList{"out.csv", "x/../out.csv"},
                                     QStringList{"kept.csv", "kept.html"}}) {
        const Result r = runReport({"class", "--csv", names[0], "--html", names[1]});
        EXPECT_EQ(r.status, kUsage) << names.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("同じファイル")) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists("out.csv"));
    EXPECT_EQ(readAll("kept.csv"), "previous");
}
