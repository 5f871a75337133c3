// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a class folder: every progress file becomes a row, sorted by
// code, with the right totals; damaged files, links, FIFOs and folders are
// listed as not readable, never followed, waited on or skipped.
#include "ClassFolder.h"
#include "report/ClassReport.h"
#include "report/Writers.h"

#include <QDir>
#include <gtest/gtest.h>

#include <chrono>
#include <tuple>
#include <future>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace report;
using report_test::pupilOn;
using report_test::writeBytes;
using report_test::writePupil;

namespace {

// The learner of the file format's worked example: on question 3, one miss
// and 42 s on question 1, none and 17 s on 2, two misses so far on 3.
state::Session workedExample() {
    state::Session m;
    m.question = 3;
    m.score = -3000;
    m.misses = {0, 1, 0, 2};
    m.answerTimes = {0, 42, 17, 50412.5f};
    return m;
}

const Pupil &row(const ClassReport &r, const QString &code) {
    for (const Pupil &p : r.pupils)
        if (p.code == code) return p;
    ADD_FAILURE() << "no row " << code.toStdString();
    static const Pupil none;
    return none;
}

QStringList codes(const ClassReport &r) {
    QStringList c;
    for (const Pupil &p : r.pupils) c << p.code;
    return c;
}

}  // namespace

TEST(ClassFolder, EveryProgressFileIsARowSortedByCodeWithItsTotals) {
    writePupil(".", "2", pupilOn(30, 87000));
    writePupil(".", "10", workedExample());
    writePupil(".", "a,b", pupilOn(1, 0));
    writePupil(".", "say \"hi\"", pupilOn(16, 12000.5));
    writePupil(".", "<b>", pupilOn(6, -6000));
    writePupil(".", "太郎 1", pupilOn(5, 3000));
    writeBytes("short.ucd", "3,100\r\n1,2\r\n");
    writeBytes("letters.ucd", "3,abc\r\n" + state::progress::render(pupilOn(3, 0)).mid(8));
    writeBytes("empty.ucd", "");
    // Not progress files: other names, and the temporary file of a save.
    writeBytes("notes.txt", "1,2");
    writeBytes("x.ucd.AbC123", state::progress::render(pupilOn(3, 0)));

    const ClassReport r = readFolder(".");
    EXPECT_EQ(codes(r), QStringList({"2", "10", "<b>", "a,b", "empty", "letters", "say \"hi\"", "short", "太郎 1"}));

    const Pupil &finished = row(r, "2");
    EXPECT_EQ(finished.state, Pupil::State::Readable);
    EXPECT_EQ(finished.questionNo, 30);
    EXPECT_EQ(finished.score, 87000);
    EXPECT_EQ(finished.missTotal(), 31);        // 30 on questions 1..29, 1 on question 30
    EXPECT_EQ(finished.secondsTotal(), 725);    // 11 + 12 + ... + 39; question 30's slot left out

    const Pupil &middle = row(r, "10");
    EXPECT_EQ(middle.missTotal(), 3);
    EXPECT_EQ(middle.secondsTotal(), 59);  // 42 + 17, not the clock reading of question 3
    EXPECT_TRUE(middle.finished(2));
    EXPECT_FALSE(middle.finished(3));

    EXPECT_EQ(row(r, "a,b").secondsTotal(), 0);
    EXPECT_EQ(row(r, "a,b").missTotal(), 1);
    EXPECT_EQ(row(r, "say \"hi\"").score, 12000.5);
    EXPECT_EQ(row(r, "<b>").score, -6000);
    EXPECT_EQ(row(r, "太郎 1").questionNo, 5);

    for (const QString code : {"short", "letters", "empty"}) {
        const Pupil &p = row(r, code);
        EXPECT_EQ(p.state, Pupil::State::Unreadable) << code.toStdString();
        EXPECT_FALSE(p.reason.isEmpty()) << code.toStdString();
        EXPECT_FALSE(p.reason.contains("./")) << "the reason names the file, not the folder again";
        EXPECT_EQ(p.missTotal(), 0);
    }
}

TEST(ClassFolder, CodesRunInClassListOrder) {
    EXPECT_TRUE(codeLess("2", "10"));
    EXPECT_FALSE(codeLess("10", "2"));
    EXPECT_TRUE(codeLess("3-2", "3-10"));
    EXPECT_TRUE(codeLess("a9", "b1"));
    EXPECT_TRUE(codeLess("007", "7")) << "equal values fall back to plain order, so the order is total";
    EXPECT_FALSE(codeLess("7", "007"));
    EXPECT_FALSE(codeLess("x", "x"));
    EXPECT_TRUE(codeLess("x", "x1"));
    EXPECT_TRUE(codeLess("99999999999999999999998", "99999999999999999999999")) << "no overflow on long runs";
}

TEST(ClassFolder, LinksFifosAndFoldersAreListedWithoutBeingFollowedOrWaitedOn) {
    QDir().mkdir("class");
    writePupil("class", "real", pupilOn(4, 6000));
    ASSERT_EQ(::symlink("real.ucd", "class/link.ucd"), 0);
    ASSERT_EQ(::symlink("nowhere.ucd", "class/dangling.ucd"), 0);
    ASSERT_EQ(::mkfifo("class/pipe.ucd", 0644), 0);
    ASSERT_TRUE(QDir().mkdir("class/folder.ucd"));

    auto reading = std::async(std::launch::async, [] { return readFolder("class"); });
    if (reading.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        // Release a reader stuck on the FIFO so that the test can end.
        ::close(::open("class/pipe.ucd", O_WRONLY | O_NONBLOCK));
        FAIL() << "reading the folder waited on the FIFO";
    }
    const ClassReport r = reading.get();
    EXPECT_EQ(codes(r), QStringList({"dangling", "folder", "link", "pipe", "real"}));
    EXPECT_EQ(row(r, "real").state, Pupil::State::Readable);
    const std::pair<const char *, const char *> refused[] = {
        {"link", "シンボリックリンク"}, {"dangling", "シンボリックリンク"}, {"pipe", "FIFO"}, {"folder", "フォルダー"}};
    for (const auto &[code, kind] : refused) {
        const Pupil &p = row(r, code);
        EXPECT_EQ(p.state, Pupil::State::Unreadable) << code;
        EXPECT_TRUE(p.reason.contains(QString::fromUtf8(kind))) << code << ": " << p.reason.toStdString();
        EXPECT_EQ(p.questionNo, 0) << code << ": the link's target must not be read";
    }
    // Listed without a type (as some network folders are): the reader's reason names the file as it is in the folder.
    EXPECT_EQ(readEntry("class/", "folder.ucd", DT_UNKNOWN, true).reason,
              "「folder.ucd」はフォルダーで、進み具合のファイルではありません。");
}

TEST(ClassFolder, ANameThatIsNotUtf8IsListedNotLost) {
    writePupil(".", "ok", pupilOn(2, 0));
    // Latin-1 bytes, as an old tool might name a file; Qt cannot spell this name.
    const int fd = ::open("caf\xe9.ucd", O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    const QByteArray bytes = state::progress::render(pupilOn(2, 0));
    ASSERT_EQ(::write(fd, bytes.constData(), bytes.size()), bytes.size());
    ::close(fd);
    const ClassReport r = readFolder(".");
    ASSERT_EQ(r.pupils.size(), 2u);
    EXPECT_EQ(r.pupils[1].code, "ok");
    EXPECT_EQ(r.pupils[0].state, Pupil::State::Unreadable);
    EXPECT_TRUE(r.pupils[0].reason.contains("UTF-8"));
}

// A look-alike of a code the game gives (decomposed, a blank at an end) is no pupil.
TEST(ClassFolder, ALookAlikeCodeIsListedAsUnreadable) {
    const std::pair<QString, const char *> rows[] = {
        {"か\u3099", "ファイル名が合成済みの形（NFC）ではありません"}, {"3101 ", "ファイル名の前か後ろに空白があります"},
        {"\u30003101", "ファイル名の前か後ろに空白があります"}, {"が", ""}, {"31 01", ""}};
    for (const auto &[code, reason] : rows) {
        writePupil(".", code, pupilOn(2, 0));
        const Pupil p = readEntry("./", code + ".ucd", DT_REG, true);
        EXPECT_EQ(p.code, code);
        EXPECT_EQ(p.reason, reason) << code.toStdString();
        EXPECT_EQ(p.state, *reason ? Pupil::State::Unreadable : Pupil::State::Readable) << code.toStdString();
    }
}

TEST(ClassFolder, AFileLockedByTheGameIsStillRead) {
    writePupil(".", "busy", pupilOn(2, 0));
    const int fd = ::open("busy.ucd", O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(readFolder(".").pupils.at(0).state, Pupil::State::Readable);
    ::close(fd);
}

TEST(ClassFolder, AFolderThatCannotBeListedIsAnError) {
    try {
        readFolder("missing");
        FAIL() << "no error";
    } catch (const FolderError &e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains("missing"));
    }
    writeBytes("plain", "x");
    EXPECT_THROW(readFolder("plain"), FolderError);
}

TEST(ClassFolder, TimesAcrossMidnightAndOddQuestionNumbers) {
    state::Session night = pupilOn(3, 0);
    night.answerTimes[1] = -86390;  // started at 23:59:55, answered at 00:00:05
    writePupil(".", "night", night);
    writePupil(".", "zero", pupilOn(0, 0));
    state::Session beyond = pupilOn(30, 0);
    beyond.question = 31;
    writePupil(".", "beyond", beyond);

    const ClassReport r = readFolder(".");
    EXPECT_EQ(row(r, "night").seconds(1), 10);
    EXPECT_EQ(row(r, "night").secondsTotal(), 10 + 12);
    // A question number outside 1..30 is refused by the reader or marked;
    // either way the row never passes as a normal one or counts in the charts.
    for (const QString code : {"zero", "beyond"})
        EXPECT_NE(row(r, code).state, Pupil::State::Readable) << code.toStdString();
    EXPECT_EQ(summarise(r).readable, 1);
    EXPECT_EQ(summarise(r).reachedBy[1], 1);
}

TEST(ClassSummary, ChartsCountWhoReachedEachQuestionAndTheirAverageMisses) {
    ClassReport r;
    auto add = [&r](const QString &code, const state::Session &m, Pupil::State s = Pupil::State::Readable) {
        Pupil p;
        p.code = code;
        p.state = s;
        p.questionNo = m.question;
        p.missCount = m.misses;
        r.pupils.push_back(p);
    };
    add("a", pupilOn(30, 0));  // misses: question i has i % 3, question 30 has 1
    add("b", pupilOn(2, 0));   // one miss on question 1, one on 2
    add("c", pupilOn(1, 0));   // one miss on question 1
    add("odd", pupilOn(30, 0), Pupil::State::OddQuestion);
    add("odd2", pupilOn(3, 0), Pupil::State::OddQuestion);
    add("bad", state::Session{}, Pupil::State::Unreadable);

    const ClassSummary s = summarise(r);
    EXPECT_EQ(countsLine(s), "ファイル 6 件（読めた 3 件、要確認 2 件、読めない 1 件）");
    EXPECT_EQ(s.reachedBy[1], 3);
    EXPECT_EQ(s.reachedBy[2], 2);
    EXPECT_EQ(s.reachedBy[3], 1);
    EXPECT_EQ(s.reachedBy[30], 1);
    EXPECT_DOUBLE_EQ(s.averageMisses[1], (1 + 1 + 1) / 3.0);
    EXPECT_DOUBLE_EQ(s.averageMisses[2], (2 + 1) / 2.0);
    EXPECT_DOUBLE_EQ(s.averageMisses[3], 0);
    EXPECT_DOUBLE_EQ(s.averageMisses[30], 1);
    EXPECT_EQ(s.reachedBy[0], 0);

    const ClassSummary none = summarise(ClassReport{});
    EXPECT_EQ(none.files, 0);
    EXPECT_DOUBLE_EQ(none.averageMisses[1], 0);
}

// Question 30's slot holds the clock reading at its start while it is under
// way, and the seconds it took once answered (negative past midnight).
TEST(Pupil, TheCourseIsDoneWhenQuestion30HoldsAnAnswersTime) {
    const std::tuple<int, float, bool> rows[] = {{30, 95, true},     {30, -30, true},     {30, 10799, true},
                                                 {30, 10800, false}, {30, 36000, false}, {29, 95, false}};
    for (const auto &[on, slot, done] : rows) {
        report::Pupil p{.state = report::Pupil::State::Readable, .questionNo = short(on)};
        p.answerTime[30] = slot;
        EXPECT_EQ(p.courseFinished(), done) << on << " " << slot;
    }
}
