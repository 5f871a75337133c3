// SPDX-License-Identifier: GPL-3.0-or-later
// The progress file: the exact bytes written, number texts, reading rules,
// failures, and the atomic replacement of the old file.
#include "state/ProgressFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace state;

namespace {

QByteArray readAll(const QString &name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &name, const QByteArray &bytes) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The learner on question 3 after one miss on 1, none on 2, two on 3,
// question 3 started at 14:00:12.5.
Session workedExample() {
    Session m;
    m.userCode = "abc123";
    m.question = 3;
    m.score = -3000;
    m.misses[1] = 1;
    m.answerTimes[1] = 42;
    m.answerTimes[2] = 17;
    m.misses[3] = 2;
    m.answerTimes[3] = 50412.5f;
    return m;
}

TEST(ProgressFile, WorkedExampleByteForByte) {
    progress::save(workedExample());
    QByteArray expected = "3,-3000\r\n1,42\r\n0,17\r\n2,50412.5\r\n";
    for (int i = 4; i <= 30; ++i) expected += "0,0\r\n";
    EXPECT_EQ(readAll("abc123.ucd"), expected);
}

TEST(ProgressFile, RoundTripsEveryStoredVariableAndNothingElse) {
    Session out = workedExample();
    out.misses[30] = 32767;
    out.answerTimes[30] = 86399.99f;
    out.score = 123456789.25;
    out.variant = 3;
    progress::save(out);
    Session in;
    in.userCode = "abc123";
    in.variant = 1;
    progress::load(in);
    EXPECT_EQ(in.question, 3);
    EXPECT_EQ(in.score, 123456789.25);
    EXPECT_EQ(in.misses, out.misses);
    EXPECT_EQ(in.answerTimes[3], 50412.5f);
    EXPECT_EQ(in.answerTimes[30], 86399.99f);
    EXPECT_EQ(in.variant, 1);  // not stored
}

struct NumberCase {
    double value;
    int digits;
    const char *text;
};

class NumberText : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberText, IsPlainDecimal) {
    EXPECT_EQ(progress::formatNumber(GetParam().value, GetParam().digits), QString(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Values, NumberText,
    ::testing::Values(NumberCase{0, 7, "0"}, NumberCase{-0.0, 7, "0"}, NumberCase{3000, 15, "3000"},
                      NumberCase{-3000, 15, "-3000"}, NumberCase{50412.5f, 7, "50412.5"},
                      NumberCase{double(50412.123f), 7, "50412.12"},   // 7 significant digits
                      NumberCase{double(0.1f), 7, "0.1"},              // float noise rounded away
                      NumberCase{double(86399.99f), 7, "86399.99"},
                      NumberCase{-12.5, 7, "-12.5"}, NumberCase{0.000012345, 7, "0.000012345"},
                      NumberCase{1234567.89, 7, "1234568"}, NumberCase{12345678.9, 7, "12345680"},
                      NumberCase{0.1 + 0.2, 15, "0.3"}, NumberCase{-1.0 / 3, 15, "-0.333333333333333"}));

TEST(ProgressFile, DecimalPointIsAPointWhateverTheLocale) {
    // A locale with a decimal comma must not change the file.
    const char *set = std::setlocale(LC_ALL, "de_DE.UTF-8");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    Session m = workedExample();
    m.score = -2999.5;
    progress::save(m);
    EXPECT_TRUE(readAll("abc123.ucd").startsWith("3,-2999.5\r\n"));
    Session in;
    in.userCode = "abc123";
    progress::load(in);
    EXPECT_EQ(in.score, -2999.5);
    QLocale::setDefault(QLocale::c());
    if (set) std::setlocale(LC_ALL, "C");
}

Session parsed(const QByteArray &content) {
    Session m;
    progress::parse(content, m);
    return m;
}

QByteArray validBody(int extraLines = 0) {
    QByteArray b = "5,1500\r\n";
    for (int i = 1; i <= 30 + extraLines; ++i) b += QByteArray::number(i % 3) + "," + QByteArray::number(i) + "\r\n";
    return b;
}

TEST(ProgressFileReading, AcceptsBlanksLineSeparatedFieldsAndTrailingContent) {
    QByteArray loose = " 5 ,\t1500 \n";
    for (int i = 1; i <= 30; ++i) loose += QByteArray::number(i % 3) + "\n" + QByteArray::number(i) + "\n";
    loose += "garbage, that is ignored\n";
    const Session a = parsed(loose);
    const Session b = parsed(validBody(3));
    for (const Session &m : {a, b}) {
        EXPECT_EQ(m.question, 5);
        EXPECT_EQ(m.score, 1500);
        EXPECT_EQ(m.misses[4], 1);
        EXPECT_EQ(m.answerTimes[30], 30.0f);
    }
    // No line end after the last field.
    QByteArray noEnd = validBody();
    noEnd.chop(2);
    EXPECT_EQ(parsed(noEnd).answerTimes[30], 30.0f);
}

TEST(ProgressFileReading, FailuresLeaveTheVariablesUnchanged) {
    const QByteArray good = validBody();
    QByteArray shortFile = good.left(good.size() / 2);
    ASSERT_GT(shortFile.size(), 40);  // a real file cut short, not an empty one
    QByteArray word = good;
    word.replace("5,1500", "5,abc");
    QByteArray empty = good;
    empty.replace("5,1500", "5,,1500");
    QByteArray bigCount = good;
    bigCount.replace("\r\n1,1\r\n", "\r\n32768,1\r\n");
    QByteArray bigQuestion = good;
    bigQuestion.replace("5,1500", "-40000,1500");
    QByteArray bigTime = good;
    bigTime.replace("\r\n1,1\r\n", "\r\n1,1e39\r\n");
    QByteArray infinite = good;
    infinite.replace("5,1500", "5,1e400");
    // Values a quiz screen cannot act on, and a score that cannot be
    // written back (it rounds past the largest double), are damage too.
    QByteArray questionZero = good;
    questionZero.replace("5,1500", "0,1500");
    QByteArray questionPastEnd = good;
    questionPastEnd.replace("5,1500", "31,1500");
    QByteArray negativeMisses = good;
    negativeMisses.replace("\r\n1,1\r\n", "\r\n-1,1\r\n");
    QByteArray hugeScore = good;
    hugeScore.replace("5,1500", "5,1.7976931348623157e308");
    QByteArray hugeTime = good;
    hugeTime.replace("\r\n1,1\r\n", "\r\n1,3.4028235e38\r\n");
    // A field longer than any number the writer makes, whatever its value.
    QByteArray longField = good;
    longField.replace("5,1500", "5," + QByteArray(400, '0') + "1500");
    for (const QByteArray &bad : {QByteArray(), shortFile, word, empty, bigCount, bigQuestion, bigTime, infinite,
                                  questionZero, questionPastEnd, negativeMisses, hugeScore, hugeTime, longField}) {
        Session m;
        m.question = 7;
        m.misses[1] = 9;
        EXPECT_THROW(progress::parse(bad, m), ProgressError) << bad.left(40).constData();
        EXPECT_EQ(m.question, 7);
        EXPECT_EQ(m.misses[1], 9);
    }
}

TEST(ProgressFileReading, IntegerFieldsRoundAndTheirLimitsFit) {
    // Values that round up (15.7, 2.7, 0.7) would read one less if the
    // reader truncated; halves go to the even neighbour.
    struct Case {
        const char *question, *miss2;
        short wantQuestion, wantMiss2;
    };
    for (const Case &c : {Case{"2.5", "2.7", 2, 3}, Case{"15.7", "-0.4", 16, 0}, Case{"30.4", "0.7", 30, 1},
                          Case{"3.5", "1.5", 4, 2}}) {
        QByteArray b = validBody();
        b.replace("5,1500", QByteArray(c.question) + ",1500");
        b.replace("\r\n1,1\r\n", "\r\n32767,1\r\n");
        b.replace("\r\n2,2\r\n", "\r\n" + QByteArray(c.miss2) + ",2\r\n");
        const Session m = parsed(b);
        EXPECT_EQ(m.question, c.wantQuestion) << c.question;
        EXPECT_EQ(m.misses[2], c.wantMiss2) << c.miss2;
        EXPECT_EQ(m.misses[1], 32767);
    }
}

// One field or two missing at the end: the file is damaged, not read with
// the last slot left as it was.
TEST(ProgressFileReading, SixtyOrSixtyOneFieldsAreDamaged) {
    QByteArray sixty = validBody();
    sixty.chop(QByteArray("0,30\r\n").size());
    QByteArray sixtyOne = sixty + "0\r\n";
    for (const QByteArray &bad : {sixty, sixtyOne}) {
        Session m;
        m.question = 7;
        EXPECT_THROW(progress::parse(bad, m), ProgressError) << bad.right(12).constData();
        EXPECT_EQ(m.question, 7);
    }
    EXPECT_EQ(parsed(sixtyOne + "0").answerTimes[30], 0.0f);
}

// Hostile content up to the largest size that is read: every kind is
// refused, each in a single pass (the bench measures the time).  A file
// whose first field held 200,000 digits and then a letter once froze the
// window for seconds while the number check backtracked.
TEST(ProgressFileReading, HugeFieldsAndMegabyteFilesAreRefused) {
    const QByteArray rest = validBody().mid(QByteArray("5,").size());  // the other 61 fields
    const int size = 1 << 20;
    const QList<QByteArray> hostile = {
        QByteArray(200000, '1') + "x," + rest,
        QByteArray(size - rest.size() - 1, '7') + "," + rest,
        QByteArray(400, '0') + "5," + rest,  // a real value, padded past any number the writer makes
        QByteArray(size, ','),
        QByteArray(size / 2, ' ') + QByteArray(size / 2, '\n'),
        QByteArray(size, '.'),
    };
    for (const QByteArray &bad : hostile) {
        Session m;
        m.question = 7;
        EXPECT_THROW(progress::parse(bad, m), ProgressError) << bad.left(20).constData();
        EXPECT_EQ(m.question, 7);
    }
}

// The largest scores and times the file can hold read back; one that
// would be written as something the reader refuses is not written at all.
TEST(ProgressFile, WriterNeverWritesWhatItsReaderRefuses) {
    for (double score : {1.79769313486231e308, -1.79769313486231e308, 4.9e-324, -1e-300, 1e15 + 0.5,
                         123456789012345.67}) {
        Session m = workedExample();
        m.score = score;
        m.answerTimes[2] = 3.402823e38f;
        progress::save(m);
        Session in;
        in.userCode = m.userCode;
        ASSERT_NO_THROW(progress::load(in)) << score;
        EXPECT_EQ(progress::render(in), readAll("abc123.ucd")) << score;
        EXPECT_FALSE(readAll("abc123.ucd").contains("inf"));
    }
    const QByteArray before = readAll("abc123.ucd");
    for (double score : {1.7976931348623157e308, HUGE_VAL, std::nan("")}) {
        Session m = workedExample();
        m.score = score;
        EXPECT_THROW(progress::save(m), ProgressError) << score;
    }
    Session outOfRange = workedExample();
    outOfRange.question = 31;
    EXPECT_THROW(progress::save(outOfRange), ProgressError);
    outOfRange = workedExample();
    outOfRange.misses[30] = -1;
    EXPECT_THROW(progress::save(outOfRange), ProgressError);
    EXPECT_EQ(readAll("abc123.ucd"), before);
    EXPECT_EQ(progress::formatNumber(1.7976931348623157e308, 15), "179769313486232" + QString(294, '0'));
}

TEST(ProgressFile, MissingFileFails) {
    Session m;
    m.userCode = "nobody";
    EXPECT_THROW(progress::load(m), ProgressError);
}

TEST(ProgressFile, FailedSaveLeavesTheOldFileIntact) {
    Session m = workedExample();
    progress::save(m);
    const QByteArray before = readAll("abc123.ucd");
    // A disk that fills up halfway through the write (a file size limit
    // stands in for it): the save fails and the old file stays as it was.
    m.score = 99;
    for (int i = 1; i <= 30; ++i) m.answerTimes[i] = 86399.5f;  // a longer file than before
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    try {
        progress::save(m);
        ADD_FAILURE() << "a save beyond the file size limit succeeded";
    } catch (const ProgressError &e) {
        // The real cause, in Japanese.
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains("ファイルが大きすぎます")) << e.what();
    }
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(readAll("abc123.ucd"), before);

    // A directory where the file should be: the rename fails, whoever runs.
    Session blocked = workedExample();
    blocked.userCode = "taken";
    QDir().mkdir("taken.ucd");
    EXPECT_THROW(progress::save(blocked), ProgressError);
    EXPECT_TRUE(QFileInfo("taken.ucd").isDir());
    // No temporary files are left behind.
    EXPECT_EQ(QDir(".").entryList(QDir::Files), QStringList{"abc123.ucd"});
}

TEST(ProgressFile, SaveOverwritesAnExistingFile) {
    writeFile("abc123.ucd", QByteArray(5000, 'x'));
    progress::save(workedExample());
    EXPECT_TRUE(readAll("abc123.ucd").startsWith("3,-3000\r\n1,42\r\n"));
    EXPECT_EQ(readAll("abc123.ucd").count("\r\n"), 31);
}

// A file another program changed after this one read or wrote it (replaced
// by its save, or written in place) is left as it is, then and ever.
TEST(ProgressFile, AFileChangedSinceThisProgramSawItIsNeverWrittenOver) {
    for (const int change : {0, 1}) {
        SCOPED_TRACE(change);
        Session m = workedExample();
        m.userCode = QString::number(change);
        progress::save(m);
        if (change == 1) progress::load(m);  // read last, rather than written
        Session other = m;
        other.score = 45000;
        const QString name = m.userCode + ".ucd";
        if (change == 0) {  // another program's save: a new file renamed into place
            writeFile(name + ".new", progress::render(other));
            ASSERT_EQ(::rename(qPrintable(name + ".new"), qPrintable(name)), 0);
        }
        if (change == 1) {
            QFile f(name);  // the same file, the same size, another score
            ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.write(progress::render(other).left(8)) == 8);
        }
        const QByteArray theirs = readAll(name);
        for (int again = 0; again < 2; ++again) {
            EXPECT_THROW(progress::save(m), ProgressChanged);
            EXPECT_EQ(readAll(name), theirs);
        }
    }
    EXPECT_EQ(QDir(".").entryList(QDir::Files), QStringList({"0.ucd", "1.ucd"}));
}

QString utf16(std::initializer_list<char16_t> units) {
    QString s;
    for (char16_t u : units) s += QChar(u);
    return s;
}

TEST(UserCodes, UnsafeCodesAreRefusedOthersUsedAsTyped) {
    const QStringList bad = {
        "../x", "/tmp/x", "a\\b", ".", "..", "a\nb", "tab\there", "del\x7f", QString(),
        utf16({u'a', 0xD800}), utf16({0xDC00, u'a'}), utf16({0xDBFF}),    // lone surrogates
        utf16({u'a', 0x202E, u'b'}),                                       // right-to-left override
        utf16({u'a', 0x2028}), utf16({0x2029}),                            // line and paragraph separators
        utf16({u'a', 0x200B}), utf16({0xFEFF, u'a'}), utf16({0x00AD}),     // invisible format characters
        utf16({0xE000}), utf16({0xFFFF}), utf16({0x0378}),                 // private use, unassigned
        utf16({0x0085}),                                                   // a C1 control
        "  ", "3101 ", " 3101", "\u30003101",                             // a blank at an end
    };
    for (const QString &code : bad) EXPECT_FALSE(progress::isAcceptableCode(code)) << code.toStdString();
    const QStringList good = {"abc123", "ぽむ 　りん", "...x", QString(200, 'a'), "-rf", "pm",
                              utf16({0xD83D, 0xDE00}) /* a whole pair */, "か\u3099"};
    for (const QString &code : good) {
        EXPECT_TRUE(progress::isAcceptableCode(code)) << code.toStdString();
        Session m = workedExample();
        m.userCode = code;
        progress::save(m);
        EXPECT_TRUE(QFileInfo::exists(code + ".ucd")) << code.toStdString();
    }
}

// Two different lone surrogates once both became "?" in the file name and
// so shared one file; now neither is taken, and the same word typed
// composed or decomposed names one file.
TEST(UserCodes, EveryAcceptedCodeNamesItsFileInComposedForm) {
    EXPECT_EQ(progress::normalizedCode("か\u3099"), "が");
    EXPECT_EQ(progress::normalizedCode("e\u0301cole"), "\u00e9cole");
    EXPECT_EQ(progress::normalizedCode("abc"), "abc");
    EXPECT_EQ(progress::normalizedCode(utf16({0xD83D, 0xDE00})), utf16({0xD83D, 0xDE00}));
}

// The file system's limit counts bytes, not characters: a hiragana takes
// three in UTF-8, and the temporary ".XXXXXX" twin must fit as well.
TEST(UserCodes, LengthLimitCountsUtf8BytesOfTheFileName) {
    const QString hundred(100, QChar(0x3042));  // 100 characters, 300 bytes
    EXPECT_FALSE(progress::isAcceptableCode(hundred));
    // The longest name beside the file is its hold's temporary:
    // 231 + ".ucd" + ".hold" + 15 = 255 bytes.
    const QString longest(77, QChar(0x3042));
    EXPECT_TRUE(progress::isAcceptableCode(longest));
    EXPECT_FALSE(progress::isAcceptableCode(longest + QChar(0x3042)));  // 258 bytes
    Session m = workedExample();
    m.userCode = longest;
    progress::save(m);
    Session in;
    in.userCode = longest;
    progress::load(in);
    EXPECT_EQ(in.score, -3000);
}

// Things planted where the file should be: a link is never followed, a
// FIFO never waited on; reading fails, and saving fails without touching
// what the link points at.
TEST(ProgressFilePlanted, LinksFifosDevicesAndFoldersAreRefused) {
    QDir().mkdir("elsewhere");
    writeFile("elsewhere/target", "precious");
    progress::save(workedExample());
    writeFile("elsewhere/good.ucd", readAll("abc123.ucd"));
    ASSERT_EQ(::symlink("elsewhere/target", "link.ucd"), 0);
    ASSERT_EQ(::symlink("elsewhere/good.ucd", "readable.ucd"), 0);  // a link to a good file
    ASSERT_EQ(::mkfifo("fifo.ucd", 0600), 0);
    QDir().mkdir("folder.ucd");
    ASSERT_EQ(::symlink("/dev/zero", "device.ucd"), 0);

    // Each refusal names what it found, in Japanese.
    const std::pair<const char *, const char *> planted[] = {{"link", "シンボリックリンク"},
                                                             {"readable", "シンボリックリンク"},
                                                             {"fifo", "FIFO"},
                                                             {"folder", "フォルダー"},
                                                             {"device", "シンボリックリンク"}};
    for (const auto &[stem, kind] : planted) {
        Session m;
        m.userCode = stem;
        m.question = 7;
        try {
            progress::load(m);
            ADD_FAILURE() << stem << " was read";
        } catch (const ProgressError &e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QString::fromUtf8(kind))) << e.what();
        }
        EXPECT_EQ(m.question, 7);
        Session out = workedExample();
        out.userCode = stem;
        try {
            progress::save(out);
            ADD_FAILURE() << stem << " was written";
        } catch (const ProgressError &e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QString::fromUtf8(kind))) << e.what();
        }
    }
    EXPECT_EQ(readAll("elsewhere/target"), "precious");
    EXPECT_TRUE(QFileInfo("link.ucd").isSymLink());
    EXPECT_TRUE(QFileInfo("fifo.ucd").exists());
    // A device or folder given by path is refused as well.
    Session m;
    try {
        progress::loadFrom("/dev/null", m);
        ADD_FAILURE() << "a device was read";
    } catch (const ProgressError &e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains("デバイス")) << e.what();
    }
    EXPECT_THROW(progress::loadFrom(".", m), ProgressError);
    progress::loadFrom("elsewhere/good.ucd", m);
    EXPECT_EQ(m.question, 3);
    // No temporary file is left behind by the refused saves.
    EXPECT_EQ(QDir(".").entryList({"*.ucd.*"}, QDir::AllEntries | QDir::System), QStringList());
}

// Whether this is a CI run: CI set to anything but empty, "0" or "false".
bool ciRun() {
    const QByteArray ci = qgetenv("CI").trimmed().toLower();
    return !ci.isEmpty() && ci != "0" && ci != "false";
}

// Puts this (single-threaded, forked) process in a mount namespace of its
// own: directly as root, else inside a user namespace mapping our ids.
bool privateMountNamespace() {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid != 0 || ::unshare(CLONE_NEWNS) != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
        auto put = [](const char *file, const QByteArray &text) {
            const int fd = ::open(file, O_WRONLY);
            const bool ok = fd >= 0 && ::write(fd, text.constData(), text.size()) == text.size();
            if (fd >= 0) ::close(fd);
            return ok;
        };
        put("/proc/self/setgroups", "deny");
        if (!put("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1") ||
            !put("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1"))
            return false;
    }
    // Keep the mounts made here from spreading back to the parent.
    return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// A disk that is really full (a tiny file system of its own, mounted in a
// private namespace of a child process): the message names the cause.
TEST(ProgressFile, FullDiskMessageNamesTheCause) {
    progress::save(workedExample());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(20);  // the child's own watchdog: a hang ends it by SIGALRM
        if (!privateMountNamespace()) ::_exit(77);
        ::mkdir("small", 0700);
        if (::mount("none", "small", "tmpfs", 0, "size=8k") != 0 || ::chdir("small") != 0) ::_exit(77);
        {
            const int fd = ::open("filler", O_WRONLY | O_CREAT, 0600);
            char block[1024] = {};
            while (::write(fd, block, sizeof block) > 0) {
            }
            ::close(fd);
        }
        try {
            progress::save(workedExample());
        } catch (const ProgressError &e) {
            const bool named = QString::fromUtf8(e.what()).contains("ディスクの空きがありません");
            const bool clean = ::access("abc123.ucd", F_OK) != 0;
            if (!named) std::fprintf(stderr, "message: %s\n", e.what());
            ::_exit(named && clean ? 0 : 1);
        }
        ::_exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "child ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    if (WEXITSTATUS(status) == 77) {
        // CI runs as root with mount namespaces, so there a missing one is
        // a broken setup; elsewhere the skip is printed where it is seen.
        if (ciRun()) FAIL() << "CI is set, but no private mount namespace could be made";
        std::fprintf(stderr, "\n*** SKIPPED: FullDiskMessageNamesTheCause (no private mount namespace here) ***\n\n");
        GTEST_SKIP() << "no private mount namespace here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
