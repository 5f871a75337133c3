// SPDX-License-Identifier: GPL-3.0-or-later
// The class folder: where the setting is read, --folder, and each way a
// folder can be unusable, with the message the teacher hears of and
// nothing written anywhere.
#include "platform/ClassFolder.h"
#include "platform/Settings.h"
#include "platform/SystemError.h"
#include "support/EnvVar.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::EnvVar;

namespace {

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
    const QString root = QDir::currentPath();
    const EnvVar home{"HOME", (root + "/home").toUtf8()};
    const EnvVar configHome{"XDG_CONFIG_HOME", QByteArray()};
    const EnvVar configDirs{"XDG_CONFIG_DIRS", (root + "/etc1:relative/etc:" + root + "/etc2").toUtf8()};
    const EnvVar dataHome{"XDG_DATA_HOME", QByteArray()};
    const QString user = root + "/home/.config/pomurin20/pomurin20.conf";
    const QString system1 = root + "/etc1/pomurin20/pomurin20.conf";
    const QString system2 = root + "/etc2/pomurin20/pomurin20.conf";
};

TEST_F(ClassFolderSetting, SearchesTheUsersConfigurationThenEachSystemFolder) {
    EXPECT_EQ(platform::settingFiles(), QStringList({user, system1, system2}));
    {
        const EnvVar own("XDG_CONFIG_HOME", (root + "/cfg").toUtf8());
        const EnvVar none("XDG_CONFIG_DIRS", QByteArray());
        EXPECT_EQ(platform::settingFiles(),
                  QStringList({root + "/cfg/pomurin20/pomurin20.conf", "/etc/xdg/pomurin20/pomurin20.conf"}));
    }
    {
        // A relative value is no configuration folder: ~/.config is read.
        const EnvVar relative("XDG_CONFIG_HOME", "cfg");
        EXPECT_EQ(platform::settingFiles(), QStringList({user, system1, system2}));
    }

    QString from;
    EXPECT_EQ(platform::configuredClassFolder(&from), QString());  // nothing named: nothing changes
    writeFile(system2, "[class]\nfolder=/srv/pomurin/2-1\n");
    EXPECT_EQ(platform::configuredClassFolder(&from), "/srv/pomurin/2-1");
    EXPECT_EQ(from, system2);
    writeFile(system1, "[class]\nfolder = /srv/pomurin/2-2\n");
    EXPECT_EQ(platform::configuredClassFolder(&from), "/srv/pomurin/2-2");  // the first system folder wins
    // A user's file without the key leaves the system's.
    writeFile(user, "[class]\n# folder=/home/me/x\n[other]\nfolder=/wrong\n");
    EXPECT_EQ(platform::configuredClassFolder(&from), "/srv/pomurin/2-2");
    writeFile(user, "; mine\n[ class ]\n  folder = \"/mnt/クラス/2年1組\"  \n");
    EXPECT_EQ(platform::configuredClassFolder(&from), "/mnt/クラス/2年1組");
    EXPECT_EQ(from, user);
    writeFile(user, "\xEF\xBB\xBF[class]\r\nfolder=/srv/bom\r\n");  // a byte-order mark, Windows line ends
    EXPECT_EQ(platform::configuredClassFolder(&from), "/srv/bom");
    writeFile(user, "[class]\rfolder\xEF\xBC\x9D/srv/a=b\r");  // CR alone, a full-width ＝: read as meant
    EXPECT_EQ(platform::configuredClassFolder(&from), "/srv/a=b");
    writeFile(user, "[class]\nfolder \xEF\xBC\x9D /srv/2-1\n");  // its only equals sign a full-width ＝
    EXPECT_EQ(platform::configuredClassFolder(&from), "/srv/2-1");
    for (const char *comment : {"; 2-1組", "# 2-1"}) {  // a comment after the section's name
        writeFile(user, "[class] " + QByteArray(comment) + "\nfolder=/srv/c\n");
        EXPECT_EQ(platform::configuredClassFolder(&from), "/srv/c") << comment;
    }
}

// A setting file that is there but names no folder the way it means to is
// said at start, which file and what is wrong, instead of sending every
// save to the per-user folder; the files after it are not used instead.  A
// FIFO in its place is refused at once (the alarm ends a wait on it).
TEST_F(ClassFolderSetting, ASettingThatMeansAFolderButNamesNoneIsReported) {
    writeFile(system2, "[class]\nfolder=/srv/pomurin/2-1\n");
    const char16_t utf16[] = u"\uFEFF[class]\nfolder=/srv/x\n";
    const std::pair<QByteArray, QString> cases[] = {
        {QByteArray(reinterpret_cast<const char *>(utf16), sizeof utf16 - 2),
         "UTF-8 のテキストではありません（UTF-16 などで保存されています）"},
        // Shift_JIS, as older Japanese editions of Windows' editor save: 「ぽむ」.
        {"[class]\nfolder=/srv/\x82\xdb\x82\xde\n", "UTF-8 のテキストではありません（UTF-16 などで保存されています）"},
        {QByteArray(64 * 1024, '#') + "\n[class]\nfolder=/srv/x\n", "設定ファイルとしては長すぎます（64 KiB まで）"},
        {"[display]\n" + QByteArray(64 * 1024 - 11, '#') + "\n", ""},  // 64 KiB exactly: read
        {"[Class]\nfolder=/srv/x\n", "見出し [Class] は [class] と書いてください"},
        {"[class]\nFolder = /srv/x\n", "Folder は folder と小文字で書いてください"},
        {"folder=/srv/x\n", "folder の前に [class] の見出しがありません"},
        {"[class]\ndir=/srv/x\n", "[class] の dir は知らない項目です（folder、name、teachers が使えます）"},
        {"[class]]\nfolder=/srv/x\n", "見出し [class]] は [class] と書いてください"},
        {"[class]\nfolder =\n", "[class] の folder = の後にフォルダーが書かれていません"},
        {"[class]\nname=2年1組\n", ""},  // the class's name alone: the next file names the folder
        {"fifo", "普通のファイルではなく名前付きパイプ（FIFO）です"},
        {"folder", "ファイルではなくフォルダーです"},
        {"[display]\nscale=2\n[other]\nFolder=/x\n", ""},  // other settings: the next file counts
    };
    for (const auto &[content, problem] : cases) {
        SCOPED_TRACE(content.constData());
        QFile::remove(system1);
        QDir().rmdir(system1);
        if (content == "fifo") ASSERT_EQ(::mkfifo(QFile::encodeName(system1).constData(), 0644), 0);
        else if (content == "folder") ASSERT_TRUE(QDir().mkpath(system1));
        else writeFile(system1, content);
        QString from, why, source;
        ::alarm(10);
        const QString folder = problem.isEmpty() ? "/srv/pomurin/2-1" : "";
        EXPECT_EQ(platform::configuredClassFolder(&from, &why), folder);
        EXPECT_EQ(platform::classFolderFor(true, nullptr, &source, &why), folder);
        ::alarm(0);
        EXPECT_EQ(from, problem.isEmpty() ? system2 : system1);
        EXPECT_EQ(why, problem);
    }
    // Slips in the other settings: each named, in one message.
    writeFile(system1, "[Sound]\nenabled=false\n[Display]\n[display]\nsacle=2\nscale = 1,5\n[sound]\nenable = no\nenabled = いいえ\n");
    EXPECT_EQ(platform::settingSlipsMessage(), "設定ファイルに書き間違いがあります：\n" + system1 + "\n・見出し [Sound] は [sound] と書いてください。\n"
              "・見出し [Display] は [display] と書いてください。\n・[display] の sacle は知らない項目です（scale が使えます）。\n"
              "・[display] scale = 1,5 は auto か 1 から 3 の数ではありません（auto を使います）。\n・[sound] の enable は知らない項目です（enabled が使えます）。\n"
              "・[sound] enabled = いいえ は true か false ではありません（音は出します）。\nその設定は使わずに続けます。先生に知らせてください。");
    EXPECT_EQ(platform::settingProblemMessage(system1, "ファイルではなくフォルダーです"),
              "設定ファイル\n" + system1 +
                  "\nからクラスのフォルダーを決められません：ファイルではなくフォルダーです。\n"
                  "学習記録はどこにも保存しません。先生に知らせてください。");
}

TEST_F(ClassFolderSetting, FolderOptionWinsTheSettingOnlyForAMenuStart) {
    writeFile(system1, "[class]\nfolder=/srv/pomurin/2-1\n");
    QString source;
    EXPECT_EQ(platform::classFolderFor(true, nullptr, &source), "/srv/pomurin/2-1");
    EXPECT_EQ(source, system1);
    EXPECT_EQ(platform::classFolderFor(false, nullptr, &source), QString());  // a start from a terminal
    const QString option = "/srv/other", relative = "class/../room", empty;
    EXPECT_EQ(platform::classFolderFor(true, &option, &source), "/srv/other");
    EXPECT_EQ(source, "--folder");
    EXPECT_EQ(platform::classFolderFor(false, &relative, &source), root + "/room");
    EXPECT_EQ(platform::classFolderFor(false, &empty, &source), QString());
    QFile::remove(system1);
    EXPECT_EQ(platform::classFolderFor(true, nullptr, &source), QString());  // then the per-user folder
}

TEST_F(ClassFolderSetting, AUsableFolderBecomesTheWorkingFolderWithNothingLeftInIt) {
    ASSERT_TRUE(QDir().mkdir("class"));
    // A link to it, as a school's share is often mounted, is used too.
    ASSERT_EQ(::symlink("class", "share"), 0);
    for (const QString name : {"class", "share"}) {
        QString message;
        ASSERT_TRUE(platform::enterClassFolder(root + "/" + name, "--folder", &message)) << qPrintable(message);
        EXPECT_EQ(QDir::current().canonicalPath(), root + "/class");
        EXPECT_EQ(QDir(".").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
        QDir::setCurrent(root);
    }
}

// A class folder that works but lets accounts outside the group in, or
// lacks the set-group-ID bit, is said at start; the game goes on.
TEST_F(ClassFolderSetting, AFolderThatLetsOthersInOrHidesFilesFromTheTeacherIsSaid) {
    ASSERT_TRUE(QDir().mkdir("class"));
    const QString said = "学習記録を入れるクラスのフォルダー\n" + root + "/class\nの設定に問題があります：\n%1"
                         "・set-group-ID ビットがないので、新しいファイルが書いた人のグループのものになり、先生が読めないことがあります。\n"
                         "このまま続けられますが、先生に知らせてください。";
    const std::pair<mode_t, QString> cases[] = {
        {02770, ""}, {03770, ""}, {0770, said.arg("")},
        {0775, said.arg("・グループの外のアカウントも入れる許可（0775）になっています。2770 か 3770 にしてください。\n")}};
    for (const auto &[mode, warning] : cases) {
        ASSERT_EQ(::chmod("class", mode), 0);
        EXPECT_EQ(platform::classFolderWarning(root + "/class"), warning) << mode;
    }
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
    QFile in;
    in.open(pipeFds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray got = in.readAll();
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return QStringLiteral("child failed, status %1").arg(status);
    return QString::fromUtf8(got);
}

TEST_F(ClassFolderSetting, UnusableFoldersAreNamedWithTheReasonAndNothingIsWritten) {
    writeFile("a-file", "x");
    ASSERT_EQ(::symlink("a-file", "link-to-file"), 0);
    ASSERT_TRUE(QDir().mkpath("locked/inner"));
    ASSERT_TRUE(QDir().mkdir("readonly"));
    ASSERT_EQ(::chmod("readonly", 0555), 0);
    ASSERT_EQ(::chmod("locked", 0700), 0);
    // Only root's tests can look through another account's eyes (root
    // itself may write anywhere); a normal account's mode bits stop it just
    // the same.
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chmod(qPrintable(root), 0755), 0);
    }

    struct Case {
        QString dir, reason;
        bool forAnotherAccount = false;
        bool byOption = false;  // named by --folder, else by the setting file
    };
    const Case cases[] = {
        {root + "/missing", "フォルダーがありません"},
        {root + "/missing", "フォルダーがありません", false, true},
        {root + "/a-file", "フォルダーではありません"},
        {root + "/link-to-file", "フォルダーではありません"},  // a link is followed, to what it names
        {"relative/class", "「/」から始まる場所ではありません"},
        {QString(), "フォルダーが指定されていません"},
        {root + "/locked/inner", "使う許可がありません", true},  // another account's folder
        {root + "/readonly", "書き込めません（使う許可がありません）", true},
    };
    const QStringList before = tree();
    for (const Case &c : cases) {
        SCOPED_TRACE(qPrintable(c.dir));
        if (c.forAnotherAccount && asRoot) {
            EXPECT_EQ(problemAsNobody(c.dir), c.reason);
            continue;
        }
        QString message;
        EXPECT_FALSE(platform::enterClassFolder(c.dir, c.byOption ? "--folder" : system1, &message));
        EXPECT_EQ(message, QStringLiteral("学習記録を入れるクラスのフォルダー\n%1\nが使えません：%2。\n%3\n先生に知らせてください。")
                               .arg(c.dir, c.reason, c.byOption ? "（起動のときに --folder で指定されたフォルダーです。）"
                                                                : "（設定ファイル " + system1 + " で指定されたフォルダーです。）"));
        EXPECT_EQ(QDir::currentPath(), root);
    }
    QString message;  // a name that looks right: its invisible characters shown
    EXPECT_FALSE(platform::enterClassFolder(root + "/2\u200B-1\u3000", "--folder", &message));
    EXPECT_TRUE(message.contains("/2<U+200B>-1<U+3000>\nが使えません：フォルダーがありません（名前に見えない文字があります：<U+…> と示した所）。")) << qPrintable(message);
    EXPECT_EQ(tree(), before);  // no probe left, no per-user folder made
    ::chmod("readonly", 0755);
}

TEST(ClassFolderReasons, AFileServerThatDoesNotAnswerIsNamedAsSuch) {
    for (const int err : {ENOTCONN, EIO, ESTALE, EHOSTDOWN, ETIMEDOUT, ENETUNREACH})
        EXPECT_TRUE(platform::classFolderReason(err).startsWith("ファイルサーバーにつながりません（")) << err;
    EXPECT_EQ(platform::classFolderReason(EROFS), "読み出し専用で、書き込めません");
    EXPECT_EQ(platform::classFolderReason(ENOSPC), "空きがありません");
    // A permission refused, as EACCES or as EPERM, in Japanese.
    for (const int err : {EACCES, EPERM}) {
        EXPECT_EQ(platform::classFolderReason(err), "使う許可がありません") << err;
        EXPECT_EQ(platform::systemErrorText(err), "許可がありません") << err;
    }
}

}  // namespace
