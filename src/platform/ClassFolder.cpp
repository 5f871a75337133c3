// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ClassFolder.h"

#include "platform/Services.h"
#include "platform/Settings.h"
#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A path as the teacher must see it to find what is wrong with it:
// invisible characters as <U+…>, blanks at its ends too.
QString visiblePath(const QString &path) {
    const QString shown = visibleText(path);
    qsizetype from = 0, to = shown.size();
    while (from < to && shown[from].isSpace()) ++from;
    while (to > from && shown[to - 1].isSpace()) --to;
    const auto marked = [](QStringView blanks) {
        QString out;
        for (const QChar c : blanks)
            out += QStringLiteral("<U+%1>").arg(
                QString::number(c.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
        return out;
    };
    return marked(QStringView(shown).first(from)) + shown.mid(from, to - from) + marked(QStringView(shown).sliced(to));
}

}  // namespace

QString configuredClassFolder(QString *settingFile, QString *problem) {
    const ClassFolderSetting named = classFolderSetting();
    if (settingFile && !named.file.isEmpty()) *settingFile = named.file;
    if (problem && !named.file.isEmpty()) *problem = named.problem;
    return named.folder;
}

QString settingProblemMessage(const QString &file, const QString &problem) {
    return QStringLiteral(
               "設定ファイル\n%1\nからクラスのフォルダーを決められません：%2。\n"
               "学習記録はどこにも保存しません。先生に知らせてください。")
        .arg(file, problem);
}

QString classFolderWarning(const QString &dir) {
    struct stat st {};
    if (::stat(QFile::encodeName(dir).constData(), &st) != 0) return {};
    QStringList problems;
    if (st.st_mode & 07)
        problems << QStringLiteral(
                        "グループの外のアカウントも入れる許可（%1）になっています。2770 か 3770 にしてください")
                        .arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
    if (!(st.st_mode & S_ISGID))
        problems << QStringLiteral(
            "set-group-ID ビットがないので、新しいファイルが書いた人のグループのものになり、"
            "先生が読めないことがあります");
    if (problems.isEmpty()) return {};
    return QStringLiteral(
               "学習記録を入れるクラスのフォルダー\n%1\nの設定に問題があります：\n・%2。\n"
               "このまま続けられますが、先生に知らせてください。")
        .arg(dir, problems.join(QStringLiteral("。\n・")));
}

QString classFolderFor(bool userFolderOption, const QString *folderOption, QString *source, QString *problem) {
    if (folderOption) {
        *source = QStringLiteral("--folder");
        if (folderOption->isEmpty()) return {};  // refused by classFolderProblem
        return QDir::cleanPath(QDir::current().absoluteFilePath(*folderOption));
    }
    if (!userFolderOption) return {};
    return configuredClassFolder(source, problem);
}

QString classFolderReason(int err) {
    switch (err) {
    case ENOENT: return QStringLiteral("フォルダーがありません");
    case ENOTDIR: return QStringLiteral("フォルダーではありません");
    case EACCES:
    case EPERM: return QStringLiteral("使う許可がありません");
    case EROFS: return QStringLiteral("読み出し専用で、書き込めません");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("空きがありません");
    default:
        // A mounted folder's input/output error is the server's too.
        if (err == EIO || isFileServerError(err))
            return QStringLiteral("ファイルサーバーにつながりません（%1）")
                .arg(QString::fromLocal8Bit(strerrorname_np(err)));
        return systemErrorText(err);
    }
}

QString classFolderProblem(const QString &dir) {
    if (dir.isEmpty()) return QStringLiteral("フォルダーが指定されていません");
    if (!QDir::isAbsolutePath(dir)) return QStringLiteral("「/」から始まる場所ではありません");
    const QByteArray path = QFile::encodeName(dir);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) return classFolderReason(errno);
    if (!S_ISDIR(st.st_mode)) return classFolderReason(ENOTDIR);
    // It must list (the start menu reads files there) ...
    DIR *listing = ::opendir(path.constData());
    if (!listing) return classFolderReason(errno);
    errno = 0;
    while (::readdir(listing)) {}
    const int listed = errno;
    ::closedir(listing);
    if (listed != 0) return classFolderReason(listed);
    // ... and take a new file: mode bits alone do not tell (access lists,
    // a read-only mount, root squashing on the server, a full disk).
    QByteArray probe = path + "/.pomurin20-check.";
    for (int i = 0; i < 12; ++i)
        probe += "abcdefghijklmnopqrstuvwxyz0123456789"[QRandomGenerator::global()->bounded(36)];
    const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int err = errno;
        return QStringLiteral("書き込めません（%1）").arg(classFolderReason(err));
    }
    const bool wrote = ::write(fd, "\n", 1) == 1;
    int err = wrote ? 0 : errno;
    if (::close(fd) != 0 && !err) err = errno;
    if (::unlink(probe.constData()) != 0 && !err) err = errno;
    if (err) return QStringLiteral("書き込めません（%1）").arg(classFolderReason(err));
    return {};
}

QString classFolderMessage(const QString &dir, const QString &problem, const QString &source) {
    // A name that looks right but is not: its invisible characters shown.
    const QString shown = visiblePath(dir);
    const QString why =
        shown == dir ? problem : problem + QStringLiteral("（名前に見えない文字があります：<U+…> と示した所）");
    QString where;
    if (source == QLatin1String("--folder"))
        where = QStringLiteral("（起動のときに --folder で指定されたフォルダーです。）\n");
    else if (!source.isEmpty())
        where = QStringLiteral("（設定ファイル %1 で指定されたフォルダーです。）\n").arg(source);
    return QStringLiteral("学習記録を入れるクラスのフォルダー\n%1\nが使えません：%2。\n%3先生に知らせてください。")
        .arg(shown, why, where);
}

bool enterClassFolder(const QString &dir, const QString &source, QString *message) {
    QString problem = classFolderProblem(dir);
    if (problem.isEmpty() && ::chdir(QFile::encodeName(dir).constData()) != 0) problem = classFolderReason(errno);
    if (problem.isEmpty()) return true;
    *message = classFolderMessage(dir, problem, source);
    return false;
}

}  // namespace platform
