// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ClassFolder.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qint64 kMaxSettingFile = 64 * 1024;

QString homeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home)) return home;
    if (const passwd *pw = getpwuid(getuid()); pw && pw->pw_dir) return QFile::decodeName(pw->pw_dir);
    return QDir::rootPath();
}

QString settingIn(const QString &base) {
    return QDir::cleanPath(base + QStringLiteral("/pomurin20/pomurin20.conf"));
}

}  // namespace

QStringList classFolderSettingFiles() {
    QStringList files;
    // The base directory rules: relative values are invalid and ignored.
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(home)) home = homeFolder() + QStringLiteral("/.config");
    files << settingIn(home);
    QStringList dirs;
    for (const QString &d : qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(d)) dirs << d;
    if (dirs.isEmpty()) dirs << QStringLiteral("/etc/xdg");
    for (const QString &d : dirs) files << settingIn(d);
    files.removeDuplicates();
    return files;
}

QString readSetting(const QString &path, const QString &section, const QString &key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray text = file.read(kMaxSettingFile);
    const QByteArray wantedSection = section.toUtf8(), wantedKey = key.toUtf8();
    bool inSection = false;
    QString value;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        if (line.startsWith('[')) {
            inSection = line.endsWith(']') && line.mid(1, line.size() - 2).trimmed() == wantedSection;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!inSection || eq < 0 || line.left(eq).trimmed() != wantedKey) continue;
        QByteArray v = line.mid(eq + 1).trimmed();
        if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"')) v = v.mid(1, v.size() - 2);
        value = QString::fromUtf8(v);  // the last one in the section counts, as in most INI readers
    }
    return value;
}

QString readClassFolderSetting(const QString &path) {
    return readSetting(path, QStringLiteral("class"), QStringLiteral("folder"));
}

QString configuredClassFolder(QString *settingFile) {
    for (const QString &file : classFolderSettingFiles()) {
        const QString folder = readClassFolderSetting(file);
        if (folder.isEmpty()) continue;
        if (settingFile) *settingFile = file;
        return folder;
    }
    return {};
}

QString classFolderFor(bool userFolderOption, const QString *folderOption, QString *source) {
    if (folderOption) {
        *source = QStringLiteral("--folder");
        if (folderOption->isEmpty()) return {};  // refused by classFolderProblem
        return QDir::cleanPath(QDir::current().absoluteFilePath(*folderOption));
    }
    if (!userFolderOption) return {};
    return configuredClassFolder(source);
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
    case ENOTCONN:
    case EIO:
    case ESTALE:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
    case ETIMEDOUT:
    case ECONNABORTED:
    case ECONNRESET:
    case ECONNREFUSED:
        return QStringLiteral("ファイルサーバーにつながりません（%1）").arg(QString::fromLocal8Bit(std::strerror(err)));
    default: return QString::fromLocal8Bit(std::strerror(err));
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
    while (::readdir(listing)) {
    }
    const int listed = errno;
    ::closedir(listing);
    if (listed != 0) return classFolderReason(listed);
    // ... and take a new file: mode bits alone do not tell (access lists,
    // a read-only mount, root squashing on the server, a full disk).
    QByteArray probe = path + "/.pomurin20-check.";
    for (int i = 0; i < 12; ++i) probe += "abcdefghijklmnopqrstuvwxyz0123456789"[QRandomGenerator::global()->bounded(36)];
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
    QString where;
    if (source == QLatin1String("--folder"))
        where = QStringLiteral("（起動のときに --folder で指定されたフォルダーです。）\n");
    else if (!source.isEmpty())
        where = QStringLiteral("（設定ファイル %1 で指定されたフォルダーです。）\n").arg(source);
    return QStringLiteral("学習記録を入れるクラスのフォルダー\n%1\nが使えません：%2。\n%3先生に知らせてください。")
        .arg(dir, problem, where);
}

bool enterClassFolder(const QString &dir, const QString &source, QString *message) {
    QString problem = classFolderProblem(dir);
    if (problem.isEmpty() && ::chdir(QFile::encodeName(dir).constData()) != 0) problem = classFolderReason(errno);
    if (problem.isEmpty()) return true;
    *message = classFolderMessage(dir, problem, source);
    return false;
}

}  // namespace platform
