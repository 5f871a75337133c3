// SPDX-License-Identifier: GPL-3.0-or-later
// The per-user folder a menu start works in, and where sound files are
// found: the working folder first, then the installed data folders.
#include "platform/DataFolder.h"
#include "support/EnvVar.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using testing_support::EnvVar;

void touch(const QString &path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(path);
}

TEST(UserFolder, FollowsXdgDataHomeAndFallsBackToHome) {
    const EnvVar home("HOME", "/home/pupil");
    {
        const EnvVar xdg("XDG_DATA_HOME", "/srv/data/");
        EXPECT_EQ(platform::userFolderPath(), "/srv/data/pomurin20");
    }
    for (const QByteArray &unusable : {QByteArray(), QByteArray(""), QByteArray("relative/data")}) {
        const EnvVar xdg("XDG_DATA_HOME", unusable);
        EXPECT_EQ(platform::userFolderPath(), "/home/pupil/.local/share/pomurin20") << unusable.data();
        const EnvVar cache("XDG_CACHE_HOME", unusable);
        EXPECT_EQ(platform::xdgCacheHome(), "/home/pupil/.cache") << unusable.data();
    }
    // A HOME that is no absolute path is not trusted either.
    const EnvVar badHome("HOME", "");
    const EnvVar xdg("XDG_DATA_HOME", QByteArray());
    EXPECT_TRUE(platform::userFolderPath().endsWith("/.local/share/pomurin20"));
    EXPECT_TRUE(QDir::isAbsolutePath(platform::userFolderPath()));
}

TEST(UserFolder, IsCreatedPrivateAndBecomesTheWorkingFolder) {
    QTemporaryDir home;
    const EnvVar h("HOME", home.path().toLocal8Bit());
    const EnvVar xdg("XDG_DATA_HOME", QByteArray());
    QString error;
    ASSERT_TRUE(platform::enterUserFolder(&error)) << qPrintable(error);
    const QString folder = home.path() + "/.local/share/pomurin20";
    EXPECT_EQ(QDir::currentPath(), QFileInfo(folder).canonicalFilePath());
    for (const QString &made : {home.path() + "/.local", home.path() + "/.local/share", folder}) {
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(made).constData(), &st), 0) << qPrintable(made);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << qPrintable(made);
    }
    // A second start finds it and keeps what is in it.
    touch("pupil.ucd");
    QDir::setCurrent(home.path());
    ASSERT_TRUE(platform::enterUserFolder(&error)) << qPrintable(error);
    EXPECT_TRUE(QFileInfo::exists("pupil.ucd"));
}

TEST(UserFolder, ThatCannotBeMadeIsReportedAndTheWorkingFolderStays) {
    QTemporaryDir base;
    touch(base.path() + "/pomurin20");  // a file where the folder should be
    const EnvVar xdg("XDG_DATA_HOME", base.path().toLocal8Bit());
    const QString before = QDir::currentPath();
    QString error;
    EXPECT_FALSE(platform::enterUserFolder(&error));
    EXPECT_TRUE(error.contains(base.path() + "/pomurin20")) << qPrintable(error);
    EXPECT_EQ(QDir::currentPath(), before);

    // and one under a folder that may not be written
    QDir(base.path()).mkdir("locked");
    ASSERT_EQ(::chmod(QFile::encodeName(base.path() + "/locked").constData(), 0500), 0);
    const EnvVar locked("XDG_DATA_HOME", (base.path() + "/locked/data").toLocal8Bit());
    if (::geteuid() != 0) {  // root may write anywhere
        EXPECT_FALSE(platform::enterUserFolder(&error));
        EXPECT_TRUE(error.contains("locked/data")) << qPrintable(error);
        EXPECT_EQ(QDir::currentPath(), before);
    }
    ::chmod(QFile::encodeName(base.path() + "/locked").constData(), 0700);
}

TEST(SoundLookup, WorkingFolderFirstThenDataFoldersInOrder) {
    QTemporaryDir work, first, second;
    touch(second.path() + "/Canyon.mid");
    touch(second.path() + "/pinpon.wav");
    touch(first.path() + "/pinpon.wav");
    const QStringList data{first.path(), second.path()};

    EXPECT_EQ(platform::findSoundFile("pinpon.wav", work.path(), data), first.path() + "/pinpon.wav");
    EXPECT_EQ(platform::findSoundFile("Canyon.mid", work.path(), data), second.path() + "/Canyon.mid");
    // A copy in the working folder wins, as it did before there was an
    // installed data folder.
    touch(work.path() + "/pinpon.wav");
    EXPECT_EQ(platform::findSoundFile("pinpon.wav", work.path(), data), work.path() + "/pinpon.wav");
    // Missing everywhere: the working folder's name, which stays silent.
    EXPECT_EQ(platform::findSoundFile("bahha.rmi", work.path(), data), work.path() + "/bahha.rmi");
    // A folder of that name is no sound file.
    QDir(first.path()).mkdir("Chimes.wav");
    touch(second.path() + "/Chimes.wav");
    EXPECT_EQ(platform::findSoundFile("Chimes.wav", work.path(), data), second.path() + "/Chimes.wav");
    // Nor is one in the working folder: the installed copy plays.
    QDir(work.path()).mkdir("endpinpon.wav");
    touch(first.path() + "/endpinpon.wav");
    EXPECT_EQ(platform::findSoundFile("endpinpon.wav", work.path(), data), first.path() + "/endpinpon.wav");
}

}  // namespace
