// SPDX-License-Identifier: GPL-3.0-or-later
// The file module: what a read answers for whatever stands at a name; a
// refused or failed replace leaves the old file whole and no temporary.
#include "platform/Files.h"

#include <QDir>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <tuple>

#include <sys/resource.h>
#include <unistd.h>

using namespace platform::files;
using Outcome = ReadResult::Outcome;
using Reason = ReadResult::Reason;

// Reads name as an account that may not (root reads every file).
ReadResult readAsAnotherAccount(const char *name) {
    if (::geteuid() != 0) return ::chmod(name, 0), read(name, {8});
    EXPECT_EQ(::chmod(name, 0600) | ::chmod(".", 0755) | ::seteuid(65534), 0);
    const ReadResult r = read(name, {8});
    EXPECT_EQ(::seteuid(0), 0);
    return r;
}

// A file system with two bytes left, for this process.
struct FullDisk {
    static constexpr rlimit kTwo{2, RLIM_INFINITY};
    rlimit old{};
    void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    FullDisk() { EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &old) | ::setrlimit(RLIMIT_FSIZE, &kTwo), 0); }
    ~FullDisk() { ::setrlimit(RLIMIT_FSIZE, &old), std::signal(SIGXFSZ, handler); }
};

TEST(Files, ReadAnswersMissingReadOrRefusedWithTheReason) {
    replace("eight", "12345678");
    replace("nine", "123456789");
    replace("secret", "1");
    ASSERT_EQ(::symlink("eight", "link") | ::mkfifo("fifo", 0600) | ::mkdir("folder", 0700), 0);
    const struct Row { const char *name; Outcome outcome; Reason reason; int error; ReadResult r; } rows[] = {
        {"missing", Outcome::Missing, Reason::None, ENOENT, read("missing", {8})},
        {"eight", Outcome::Read, Reason::None, 0, read("eight", {8})},
        {"link", Outcome::Refused, Reason::Open, ELOOP, read("link", {8})},
        {"link followed", Outcome::Read, Reason::None, 0, read("link", {8, Longer::Refused, Links::Followed})},
        {"fifo", Outcome::Refused, Reason::NotRegular, 0, read("fifo", {8})},  // returns: never waits for a writer
        {"device", Outcome::Refused, Reason::NotRegular, 0, read("/dev/null", {8})},
        {"folder", Outcome::Refused, Reason::NotRegular, 0, read("folder", {8})},
        {"too large", Outcome::Refused, Reason::TooLarge, 0, read("nine", {8})},
        {"cut", Outcome::Read, Reason::None, 0, read("nine", {8, Longer::Cut})},
        {"unreadable", Outcome::Refused, Reason::Open, EACCES, readAsAnotherAccount("secret")},
    };
    for (const Row &row : rows)
        EXPECT_EQ(std::tuple(row.r.outcome, row.r.reason, row.r.error, row.r.bytes),
                  std::tuple(row.outcome, row.reason, row.error, row.outcome == Outcome::Read ? "12345678" : ""))
            << row.name;
    EXPECT_EQ(rows[2].r.text("link", "記録"), "「link」を開けません（シンボリックリンクは使えません）。");
    EXPECT_EQ(rows[4].r.text("fifo", "記録"), "「fifo」はFIFO（名前付きパイプ）で、記録ではありません。");
}

TEST(Files, AReplaceThatIsRefusedOrFailsLeavesWhatStoodThereAndNoTemporary) {
    replace("file", "old");
    const Seen seen{read("file", {8}).identity(), "old"};
    replace("file", "new");  // another program's write since
    const ReplaceOptions check{&seen};
    ASSERT_EQ(::symlink("file", "link") | ::mkfifo("fifo", 0600) | ::mkdir("folder", 0700), 0);
    const struct Row { const char *name; std::function<void()> write; FileError::Step step; int error; mode_t kind; } rows[] = {
        {"link", [] { replace("link", "x"); }, FileError::Step::Inspect, 0, S_IFLNK},
        {"fifo", [] { replace("fifo", "x"); }, FileError::Step::Inspect, 0, S_IFIFO},
        {"folder", [] { replace("folder", "x"); }, FileError::Step::Inspect, 0, S_IFDIR},
        {"changed", [&] { replace("file", "mine", check); }, FileError::Step::Changed, 0, 0},
        {"full disk", [] { const FullDisk disk; replace("file", "longer than two"); }, FileError::Step::Write, EFBIG, 0},
    };
    for (const Row &row : rows) {
        try {
            row.write();
            ADD_FAILURE() << row.name << " was written";
        } catch (const FileError &e) {
            EXPECT_EQ(std::tuple(e.step, e.error, e.kind & S_IFMT), std::tuple(row.step, row.error, row.kind)) << row.name;
        }
        EXPECT_EQ(read("file", {8}).bytes, "new") << row.name;
        EXPECT_EQ(QDir().entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(), 4) << row.name;
    }
}
