// SPDX-License-Identifier: GPL-3.0-or-later
// The class folder: where the setting is read, --folder, and each way a
// folder can be unusable, with the message the teacher hears of and
// nothing written anywhere.
#include "platform/ClassFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class EnvVar {
public:
    EnvVar(const char *name, const QByteArray &value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvVar() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

void writeFile(const QString &path, const QByteArray &text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << qPrintable(path);
    f.write(text);
}

// Every path under the test's folder, to see that nothing was written.
QStringList tree() {
    QStringList all;
    QDirIterator it(QDir::currentPath(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) all << it.next();
    all.sort();
    return all;
}

// A home and two system configuration folders inside the test's folder.
class ClassFolderSetting : public ::testing::Test {
protected:
    void SetUp() override {
        root = QDir::currentPath();
        home = std::make_unique<EnvVar>("HOME", (root + "/home").toUtf8());
        configHome = std::make_unique<EnvVar>("XDG_CONFIG_HOME", QByteArray());
        configDirs = std::make_unique<EnvVar>("XDG_CONFIG_DIRS", (root + "/etc1:relative/etc:" + root + "/etc2").toUtf8());
        dataHome = std::make_unique<EnvVar>("XDG_DATA_HOME", QByteArray());
    }
    QString user() const { return root + "/home/.config/pomurin20/pomurin20.conf"; }
    QString system1() const { return root + "/etc1/pomurin20/pomurin20.conf"; }
    QString system2() const { return root + "/etc2/pomurin20/pomurin20.conf"; }

    QString root;
    std::unique_ptr<EnvVar> home, configHome, configDirs, dataHome;
};

TEST_F(ClassFolderSetting, SearchesTheUsersConfigurationThenEachSystemFolder) {
    EXPECT_EQ(platform::classFolderSettingFiles(), QStringList({user(), system1(), system2()}));
    {
        const EnvVar own("XDG_CONFIG_HOME", (root + "/cfg").toUtf8());
        const EnvVar none("XDG_CONFIG_DIRS", QByteArray());
        EXPECT_EQ(platform::classFolderSettingFiles(),
                  QStringList({root + "/cfg/pomurin20/pomurin20.conf", "/etc/xdg/pomurin20/pomurin20.conf"}));
    }

    QString from;
    EXPECT_EQ(platform::configuredClassFolder(&from), QString());  // nothing named: nothing changes
    writeFile(system2(), "[class]\nfolder=/srv/pomurin/2-1\n");
    EXPECT_EQ(platform::configuredClassFolder(&from), "/srv/pomurin/2-1");
    EXPECT_EQ(from, system2());
    writeFile(system1(), "[class]\nfolder = /srv/pomurin/2-2\n");
    EXPECT_EQ(platform::configuredClassFolder(&from), "/srv/pomurin/2-2");  // the first system folder wins
    // A user's file without the key, or with it empty, leaves the system's.
    writeFile(user(), "[class]\n# folder=/home/me/x\nfolder=\n[other]\nfolder=/wrong\n");
    EXPECT_EQ(platform::configuredClassFolder(&from), "/srv/pomurin/2-2");
    writeFile(user(), "; mine\n[ class ]\n  folder = \"/mnt/クラス/2年1組\"  \n");
    EXPECT_EQ(platform::configuredClassFolder(&from), "/mnt/クラス/2年1組");
    EXPECT_EQ(from, user());
}

TEST_F(ClassFolderSetting, FolderOptionWinsTheSettingOnlyForAMenuStart) {
    writeFile(system1(), "[class]\nfolder=/srv/pomurin/2-1\n");
    QString source;
    EXPECT_EQ(platform::classFolderFor(true, nullptr, &source), "/srv/pomurin/2-1");
    EXPECT_EQ(source, system1());
    EXPECT_EQ(platform::classFolderFor(false, nullptr, &source), QString());  // a start from a terminal
    const QString option = "/srv/other", relative = "class/../room";
    EXPECT_EQ(platform::classFolderFor(true, &option, &source), "/srv/other");
    EXPECT_EQ(source, "--folder");
    EXPECT_EQ(platform::classFolderFor(false, &relative, &source), root + "/room");
    const QString empty;
    EXPECT_EQ(platform::classFolderFor(false, &empty, &source), QString());
    QFile::remove(system1());
    EXPECT_EQ(platform::classFolderFor(true, nullptr, &source), QString());  // then the per-user folder
}

TEST_F(ClassFolderSetting, AUsableFolderBecomesTheWorkingFolderWithNothingLeftInIt) {
    ASSERT_TRUE(QDir().mkdir("class"));
    QString message;
    ASSERT_TRUE(platform::enterClassFolder(root + "/class", "--folder", &message)) << qPrintable(message);
    EXPECT_EQ(QDir::currentPath(), root + "/class");
    EXPECT_EQ(QDir(".").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    QDir::setCurrent(root);
}

// The problem with dir as another account (nobody) sees it, found in a
// child process that ends itself if stuck.
QString problemAsNobody(const QString &dir) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "pipe failed";
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(10);
        ::close(pipeFds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        const QByteArray out = platform::classFolderProblem(dir).toUtf8();
        (void)!::write(pipeFds[1], out.constData(), static_cast<size_t>(out.size()));
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    QByteArray got;
    char buf[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) got.append(buf, n);
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return QStringLiteral("child failed, status %1").arg(status);
    return QString::fromUtf8(got);
}

TEST_F(ClassFolderSetting, UnusableFoldersAreNamedWithTheReasonAndNothingIsWritten) {
    writeFile("a-file", "x");
    ASSERT_TRUE(QDir().mkpath("locked/inner"));
    ASSERT_TRUE(QDir().mkdir("readonly"));
    ASSERT_EQ(::chmod("readonly", 0555), 0);
    ASSERT_EQ(::chmod("locked", 0700), 0);
    const bool root = ::geteuid() == 0;
    // Only root's tests can look through another account's eyes; a normal
    // account's mode bits stop it just the same.
    const auto reasonOf = [&](const QString &dir) {
        return root ? problemAsNobody(dir) : platform::classFolderProblem(dir);
    };
    if (root) {
        ASSERT_EQ(::chmod(qPrintable(this->root), 0755), 0);
    }

    struct Case {
        QString dir;
        QString reason;
    };
    const Case cases[] = {
        {this->root + "/missing", "フォルダーがありません"},
        {this->root + "/a-file", "フォルダーではありません"},
        {"relative/class", "「/」から始まる場所ではありません"},
        {QString(), "フォルダーが指定されていません"},
    };
    const QStringList before = tree();
    for (const Case &c : cases) {
        SCOPED_TRACE(qPrintable(c.dir));
        QString message;
        EXPECT_FALSE(platform::enterClassFolder(c.dir, this->system1(), &message));
        EXPECT_EQ(message, QStringLiteral("学習記録を入れるクラスのフォルダー\n%1\nが使えません：%2。\n"
                                          "（設定ファイル %3 で指定されたフォルダーです。）\n先生に知らせてください。")
                               .arg(c.dir, c.reason, this->system1()));
        EXPECT_EQ(QDir::currentPath(), this->root);
    }
    // Another account's folder, and one it may read but not write.
    EXPECT_EQ(reasonOf(this->root + "/locked/inner"), "使う許可がありません");
    EXPECT_EQ(reasonOf(this->root + "/readonly"), "書き込めません（使う許可がありません）");
    EXPECT_EQ(tree(), before);  // no probe left, no per-user folder made
    EXPECT_FALSE(QFileInfo::exists(this->root + "/home/.local"));
    ::chmod("readonly", 0755);
}

TEST(ClassFolderReasons, AFileServerThatDoesNotAnswerIsNamedAsSuch) {
    for (const int err : {ENOTCONN, EIO, ESTALE, EHOSTDOWN, ETIMEDOUT, ENETUNREACH})
        EXPECT_TRUE(platform::classFolderReason(err).startsWith("ファイルサーバーにつながりません（")) << err;
    EXPECT_EQ(platform::classFolderReason(EROFS), "読み出し専用で、書き込めません");
    EXPECT_EQ(platform::classFolderReason(ENOSPC), "空きがありません");
    const QString message = platform::classFolderMessage("/mnt/class", platform::classFolderReason(ENOTCONN), "--folder");
    EXPECT_TRUE(message.contains("/mnt/class")) << qPrintable(message);
    EXPECT_TRUE(message.contains("--folder")) << qPrintable(message);
    EXPECT_TRUE(message.endsWith("先生に知らせてください。")) << qPrintable(message);
}

}  // namespace
