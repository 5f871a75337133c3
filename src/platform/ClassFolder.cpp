// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ClassFolder.h"

#include "platform/Files.h"
#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <optional>

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

bool isUtf8(const QByteArray &bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // The decoder works only when its result is taken.
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

// The name of the section a line "[name]" opens, or nothing when the line
// is no section line; a comment (";" or "#") may follow the bracket.
std::optional<QByteArray> sectionOf(const QByteArray &line) {
    const qsizetype close = line.indexOf(']');
    if (!line.startsWith('[') || close < 0) return std::nullopt;
    const QByteArray rest = line.mid(close + 1).trimmed();
    if (!rest.isEmpty() && !rest.startsWith(';') && !rest.startsWith('#')) return std::nullopt;
    return line.mid(1, close - 1).trimmed();
}

// A setting's value without a pair of double quotes around it.
QByteArray unquoted(const QByteArray &v) {
    return v.size() >= 2 && v.startsWith('"') && v.endsWith('"') ? v.mid(1, v.size() - 2) : v;
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

bool readSettingText(const QString &path, QByteArray *text, QString *problem) {
    problem->clear();
    // An administrator's setting file may be a link; a FIFO in its place is
    // refused at once instead of waiting for a writer.
    const files::ReadResult file = files::read(path, {kMaxSettingFile, files::Longer::Refused, files::Links::Followed});
    using Reason = files::ReadResult::Reason;
    switch (file.reason) {
    case Reason::None: break;
    case Reason::NotRegular:
        *problem = S_ISDIR(file.status.st_mode)    ? QStringLiteral("ファイルではなくフォルダーです")
                   : S_ISFIFO(file.status.st_mode) ? QStringLiteral("普通のファイルではなく名前付きパイプ（FIFO）です")
                                                   : QStringLiteral("普通のファイルではありません");
        return false;
    // A setting read from part of a file could silently miss what it says.
    case Reason::TooLarge:
        *problem = QStringLiteral("設定ファイルとしては長すぎます（%1 KiB まで）").arg(kMaxSettingFile / 1024);
        return false;
    default: *problem = QStringLiteral("読めません（%1）").arg(systemErrorText(file.error)); return false;
    }
    if (file.outcome != files::ReadResult::Outcome::Read) return false;  // missing
    QByteArray bytes = file.bytes;
    // Editors on some systems begin a UTF-8 file with a byte-order mark.
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    // Text in another encoding (UTF-16 has a zero byte in every ASCII
    // character, Shift_JIS bytes are no UTF-8) could silently miss what the
    // file says: such a file is named instead.
    if (bytes.contains('\0') || !isUtf8(bytes)) {
        *problem = QStringLiteral("UTF-8 のテキストではありません（UTF-16 などで保存されています）");
        return false;
    }
    *text = bytes;
    return true;
}

QString readClassFolderSetting(const QString &path, QString *problem) {
    QString why;
    QByteArray text;
    if (!readSettingText(path, &text, &why)) {
        if (problem) *problem = why;
        return {};
    }
    bool inClass = false, sawSection = false;
    QString value, misspelt;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        if (line.startsWith('[')) {
            const QByteArray section = sectionOf(line).value_or(line);
            inClass = section == "class";
            sawSection = true;
            if (!inClass && section.toLower() == "class" && misspelt.isEmpty())
                misspelt = QStringLiteral("見出し %1 は [class] と書いてください").arg(QString::fromUtf8(line));
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq < 0) continue;
        const QByteArray key = line.left(eq).trimmed();
        if (key != "folder" || !inClass) {
            // Only a key meant as the folder is reported: other sections
            // hold other settings.
            if (!misspelt.isEmpty() || (!inClass && sawSection)) continue;
            if (key.toLower() == "folder")
                misspelt = inClass ? QStringLiteral("%1 は folder と小文字で書いてください").arg(QString::fromUtf8(key))
                                   : QStringLiteral("folder の前に [class] の見出しがありません");
            else if (inClass)
                misspelt = QStringLiteral("[class] の %1 は知らない項目です（folder だけが使えます）")
                               .arg(QString::fromUtf8(key));
            continue;
        }
        value = QString::fromUtf8(unquoted(line.mid(eq + 1).trimmed()));  // the last one counts, as in most INI readers
    }
    if (problem) *problem = value.isEmpty() ? misspelt : QString();
    return value;
}

QString readSetting(const QString &path, const QString &section, const QString &key) {
    QByteArray text;
    QString problem;
    if (!readSettingText(path, &text, &problem)) return {};
    const QByteArray wantedSection = section.toUtf8(), wantedKey = key.toUtf8();
    bool inSection = false;
    QString value;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        if (line.startsWith('[')) {
            inSection = sectionOf(line) == wantedSection;
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!inSection || eq < 0 || line.left(eq).trimmed() != wantedKey) continue;
        value = QString::fromUtf8(unquoted(line.mid(eq + 1).trimmed()));  // the last one counts
    }
    return value;
}

QString configuredClassFolder(QString *settingFile, QString *problem) {
    for (const QString &file : classFolderSettingFiles()) {
        QString why;
        const QString folder = readClassFolderSetting(file, &why);
        // A file that cannot be read, or that means a folder but misspells
        // it, might have named another folder than the files after it: it
        // stops the search, to be reported.
        if (folder.isEmpty() && why.isEmpty()) continue;
        if (settingFile) *settingFile = file;
        if (problem) *problem = why;
        return folder;
    }
    return {};
}

QString settingProblemMessage(const QString &file, const QString &problem) {
    return QStringLiteral("設定ファイル\n%1\nからクラスのフォルダーを決められません：%2。\n"
                          "学習記録はどこにも保存しません。先生に知らせてください。")
        .arg(file, problem);
}

QString classFolderWarning(const QString &dir) {
    struct stat st {};
    if (::stat(QFile::encodeName(dir).constData(), &st) != 0) return {};
    QStringList problems;
    if (st.st_mode & 07)
        problems << QStringLiteral("グループの外のアカウントも入れる許可（%1）になっています。2770 か 3770 にしてください")
                        .arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
    if (!(st.st_mode & S_ISGID))
        problems << QStringLiteral("set-group-ID ビットがないので、新しいファイルが書いた人のグループのものになり、"
                                   "先生が読めないことがあります");
    if (problems.isEmpty()) return {};
    return QStringLiteral("学習記録を入れるクラスのフォルダー\n%1\nの設定に問題があります：\n・%2。\n"
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
            return QStringLiteral("ファイルサーバーにつながりません（%1）").arg(QString::fromLocal8Bit(strerrorname_np(err)));
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
