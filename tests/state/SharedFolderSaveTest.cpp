// SPDX-License-Identifier: GPL-3.0-or-later
// Saving into a folder that many accounts share: the mode and group of a
// new file and of a saved-again one, the temporaries a killed save left
// behind, and a folder that disappears during a lesson.
#include "state/ProgressFile.h"
#include "state/SaveFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <ctime>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace state;

namespace {

Session pupil(const QString &stem, double score = 105000) {
    Session m;
    m.userCode = stem;
    m.question = 12;
    m.score = score;
    return m;
}

struct stat statOf(const char *path) {
    struct stat st {};
    EXPECT_EQ(::stat(path, &st), 0) << path;
    return st;
}

// Sets the umask and the class-folder mode for one test, then puts them back.
struct Umask {
    const mode_t old;
    Umask(mode_t mask, bool shared) : old(::umask(mask)) { files::setGroupShared(shared); }
    ~Umask() {
        ::umask(old);
        files::setGroupShared(false);
    }
};

// A group other than the process's own that this process may give files:
// any group for root, else a supplementary one; 0 when there is none.
gid_t otherGroup(gid_t besides) {
    if (::geteuid() == 0) return besides == 4242 ? 4243 : 4242;
    gid_t groups[64];
    const int n = ::getgroups(64, groups);
    for (int i = 0; i < n; ++i)
        if (groups[i] != besides) return groups[i];
    return 0;
}

// A class folder's new files are the group's, 0660, whatever the umask, or
// 0640 where the folder has the sticky bit (only the owner writes); a
// per-user or working folder's take what the umask gives.  Saved again, a
// file keeps the mode someone gave it, a private one too.
TEST(SharedFolderSave, NewFileModeFollowsTheFolderKindAndASaveKeepsTheFilesMode) {
    struct Case {
        mode_t umask;
        bool classFolder;
        mode_t made, given;
        mode_t folder = 0700;
    };
    for (const Case c : {Case{0077, true, 0660, 0600}, Case{0000, true, 0660, 0640}, Case{0022, true, 0660, 0644},
                         Case{0077, false, 0600, 0660}, Case{0022, false, 0644, 0640},
                         Case{0000, true, 0640, 0600, 03770}}) {
        SCOPED_TRACE(testing::Message() << "umask " << std::oct << c.umask << " class " << c.classFolder);
        const Umask mask(c.umask, c.classFolder);
        ASSERT_EQ(::chmod(".", c.folder), 0);
        QFile::remove("p.ucd");
        progress::save(pupil("p"));
        EXPECT_EQ(statOf("p.ucd").st_mode & 07777, c.made);
        ASSERT_EQ(::chmod("p.ucd", c.given), 0);
        progress::save(pupil("p", 40000));
        EXPECT_EQ(statOf("p.ucd").st_mode & 07777, c.given);
        Session back = pupil("p", 0);
        progress::load(back);
        EXPECT_EQ(back.score, 40000);
    }
}

TEST(SharedFolderSave, SetGroupIdFolderGivesItsGroupAndASaveKeepsTheFilesGroup) {
    const gid_t own = ::getegid();
    const gid_t classGroup = otherGroup(own);
    if (classGroup == 0) GTEST_SKIP() << "SKIPPED: this account has no second group to test with (CI runs as root)";
    const gid_t anotherGroup = ::geteuid() == 0 ? classGroup + 1 : own;

    // The set-up the README describes: a folder of the class's group, 2770.
    ASSERT_TRUE(QDir().mkdir("class"));
    ASSERT_EQ(::chown("class", (uid_t)-1, classGroup), 0);
    ASSERT_EQ(::chmod("class", 02770), 0);
    ASSERT_TRUE(QDir::setCurrent("class"));
    const Umask mask(0022, true);
    progress::save(pupil("3101"));
    EXPECT_EQ(statOf("3101.ucd").st_gid, classGroup);
    // A file someone gave another group keeps it when saved again.
    ASSERT_EQ(::chown("3101.ucd", (uid_t)-1, anotherGroup), 0);
    progress::save(pupil("3101", 40000));
    EXPECT_EQ(statOf("3101.ucd").st_gid, anotherGroup);
    QDir::setCurrent("..");
}

// Makes a save cut short (or a folder) whose last change was ago seconds back.
void plant(const QByteArray &name, int ago, bool folder = false) {
    if (folder) {
        ASSERT_EQ(::mkdir(name.constData(), 0700), 0) << name.constData();
    } else {
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        ASSERT_GE(fd, 0) << name.constData();
        ASSERT_EQ(::write(fd, "3,-3", 4), 4);
        ::close(fd);
    }
    const timespec then{std::time(nullptr) - ago, 0};
    const timespec times[2] = {then, then};
    ASSERT_EQ(::utimensat(AT_FDCWD, name.constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

TEST(SharedFolderSave, OnlyClearlyStaleTemporariesOfTheSameFileAreRemoved) {
    const int stale = 11 * 60, young = 9 * 60;
    // Each save names its temporary afresh, so two saves never share one.
    EXPECT_NE(files::tempNameFor("abc.ucd"), files::tempNameFor("abc.ucd"));
    const QList<QByteArray> removed = {
        files::tempNameFor("abc.ucd"),  // a save killed 11 minutes ago
        "abc.ucd.hold.0000a1b2Hd5Tm2",  // a hold being renewed when the machine died
    };
    QStringList kept = {
        "abc.ucd.0000a1b2Yng001",  // 9 minutes: another machine may still be writing it
        "abc.ucd.0000a1b2Now001",  // being written by a slow save right now
        "abc.ucd.0000a1b2Ahead1",  // written by a machine whose clock runs a minute ahead
        "abc.ucd.notes",           // not a temporary's name
        "abc.ucd.bak1",
        // A teacher's copies: only the exact form this program makes goes.
        "abc.ucd.backup", "abc.ucd.20261207", "abc.ucd.hold.backup", "abc.ucd.Qx9Zk3", "abc.ucd.0000A1B2Hd5Tm2",
        "abc.ucd.hold",            // a hold is not a temporary
        "xyz.ucd.0000a1b2Qx9Zk3",  // another code's, left to its own saves
        "abc.ucd.x.ucd",           // the progress file of the code "abc.ucd.x"
    };
    for (const QByteArray &name : removed) plant(name, stale);
    for (const QString &name : kept)
        plant(QFile::encodeName(name), name.contains("Yng") ? young : name.contains("Now") ? 0
                                                               : name.contains("Ahead") ? -60 : stale);
    plant("abc.ucd.0000a1b2Fldr01", stale, true);  // a folder is never removed
    progress::save(pupil("abc"));

    kept << "abc.ucd" << "abc.ucd.0000a1b2Fldr01";
    kept.sort();
    EXPECT_EQ(QDir(".").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name), kept);
}

// The file server drops during a lesson: the working folder is gone (here
// removed under the program, its file kept by a second link standing for
// the server's copy).  The save fails with a reason that names the file,
// and the last good save is untouched.
TEST(SharedFolderSave, FolderGoneMidLessonFailsAndKeepsTheLastGoodSave) {
    ASSERT_TRUE(QDir().mkdir("mount"));
    ASSERT_TRUE(QDir::setCurrent("mount"));
    progress::save(pupil("3102", 45000));
    ASSERT_EQ(::link("3102.ucd", "../server-copy.ucd"), 0);
    ASSERT_EQ(::unlink("3102.ucd"), 0);
    ASSERT_EQ(::rmdir("../mount"), 0);
    try {
        progress::save(pupil("3102", 15000));
        ADD_FAILURE() << "a save into a folder that is gone succeeded";
    } catch (const ProgressError &e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains("3102.ucd")) << e.what();
    }
    ASSERT_EQ(::chdir(".."), 0);
    Session back = pupil("3102", 0);
    progress::loadFrom("server-copy.ucd", back);
    EXPECT_EQ(back.score, 45000);
}

}  // namespace
