// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ClassFolder.h"

#include "platform/DataFolder.h"
#include "platform/Files.h"
#include "platform/Services.h"
#include "platform/Settings.h"
#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qint64 kMaxSettingFile = 64 * 1024;

QString settingIn(const QString &base) { return QDir::cleanPath(base + QStringLiteral("/pomurin20/pomurin20.conf")); }

bool isUtf8(const QByteArray &bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // decode() only describes the work: the text must be made for the
    // decoder to see an error.
    [[maybe_unused]] const QString text = decoder.decode(bytes);
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
            out += QStringLiteral("<U+%1>").arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0')));
        return out;
    };
    return marked(QStringView(shown).first(from)) + shown.mid(from, to - from) + marked(QStringView(shown).sliced(to));
}

}  // namespace

QStringList classFolderSettingFiles() {
    QStringList files{settingIn(xdgConfigHome())};
    for (const QString &d : xdgConfigDirs()) files << settingIn(d);
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
        *problem = S_ISDIR(file.status.st_mode) ? QStringLiteral("ファイルではなくフォルダーです")
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

namespace {

// What one setting file says: its values by "section/key" (the last one
// counts, as in most INI readers), and what keeps it from naming the class
// folder when it means one but misspells it.
struct SettingText {
    QHash<QString, QString> values;
    QString misspelt;
    QStringList slips;  // slips in the display and sound settings, or in no section
};

// What is wrong with a line key = value in section (not [class]), or empty.
QString slipIn(const QByteArray &section, const QString &key, const QString &value) {
    if (section.isEmpty()) return QStringLiteral("%1 = の前に見出し（[display] など）がありません").arg(key);
    if (section == "display") {
        if (key != QLatin1String("scale"))
            return QStringLiteral("[display] の %1 は知らない項目です（scale が使えます）").arg(key);
        if (!parseScale(value).valid)
            return QStringLiteral("[display] scale = %1 は auto か 1 から 3 の数ではありません（auto を使います）")
                .arg(value);
    } else if (section == "sound") {
        if (key != QLatin1String("enabled"))
            return QStringLiteral("[sound] の %1 は知らない項目です（enabled が使えます）").arg(key);
        if (!parseSwitch(value))
            return QStringLiteral("[sound] enabled = %1 は true か false ではありません（音は出します）").arg(value);
    }
    return {};
}

QString keyOf(const QString &section, const QString &key) { return section + QLatin1Char('/') + key; }

SettingText parseSettings(const QByteArray &text) {
    SettingText file;
    QByteArray section;
    bool sawSection = false;
    // Lines end in LF, CR LF or, as some old editors save, CR alone.
    for (QByteArray line : QByteArray(text).replace("\r\n", "\n").replace('\r', '\n').split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        if (line.startsWith('[')) {
            // A line that is no section line ("[class] x", "[class]]")
            // opens one whose keys never count.
            const std::optional<QByteArray> opened = sectionOf(line);
            section = opened.value_or("\n");
            sawSection = true;
            const qsizetype close = line.indexOf(']');
            const QByteArray named = opened.value_or(close > 0 ? line.mid(1, close - 1).trimmed() : line);
            if ((named != "class" || !opened) && named.toLower() == "class" && file.misspelt.isEmpty())
                file.misspelt = QStringLiteral("見出し %1 は [class] と書いてください").arg(QString::fromUtf8(line));
            else if ((named != "display" && named != "sound") || !opened)
                for (const char *known : {"display", "sound"})
                    if (named.toLower() == known)
                        file.slips << QStringLiteral("見出し %1 は [%2] と書いてください").arg(QString::fromUtf8(line), known);
            if (opened && !QList<QByteArray>{"class", "display", "sound"}.contains(named.toLower()))
                file.slips << QStringLiteral("見出し %1 は知らない見出しです（[class]、[display]、[sound] が使えます）")
                                  .arg(QString::fromUtf8(line));
            continue;
        }
        // A full-width "＝" (an easy slip with a Japanese input method)
        // before any "=" is read as the "=" it means.
        const QByteArray fullWidthEq = "\xEF\xBC\x9D";
        qsizetype eq = line.indexOf('='), eqSize = 1;
        if (const qsizetype wide = line.indexOf(fullWidthEq); wide >= 0 && (eq < 0 || wide < eq)) {
            eq = wide;
            eqSize = fullWidthEq.size();
        }
        if (eq < 0) continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = unquoted(line.mid(eq + eqSize).trimmed());
        const bool inClass = section == "class";
        if (!inClass && section != "\n" && key != "folder")
            if (const QString slip = slipIn(section, QString::fromUtf8(key), QString::fromUtf8(value)); !slip.isEmpty())
                file.slips << slip;
        if (sawSection && section != "\n")
            file.values.insert(keyOf(QString::fromUtf8(section), QString::fromUtf8(key)), QString::fromUtf8(value));
        if (key == "folder" && inClass && value.isEmpty() && file.misspelt.isEmpty())
            file.misspelt = QStringLiteral("[class] の folder = の後にフォルダーが書かれていません");
        // Only a key meant as the folder is reported: other sections hold
        // other settings.
        if ((key == "folder" && inClass) || !file.misspelt.isEmpty() || (!inClass && sawSection)) continue;
        if (key.toLower() == "folder")
            file.misspelt = inClass
                                ? QStringLiteral("%1 は folder と小文字で書いてください").arg(QString::fromUtf8(key))
                                : QStringLiteral("folder の前に [class] の見出しがありません");
        else if (inClass && key != "name" && key != "teachers")
            file.misspelt = QStringLiteral("[class] の %1 は知らない項目です（folder、name、teachers が使えます）")
                                .arg(QString::fromUtf8(key));
    }
    return file;
}

// Every setting file, read once in the search order, into one map.
struct Settings {
    // "section/key" -> the value and the file: the first file that names it.
    QHash<QString, std::pair<QString, QString>> values;
    // The search for the class folder ends at a file that cannot be read,
    // or that means a folder but misspells it, before any file names one:
    // it might have named another folder than the files after it.
    QString stopFile, stopProblem;
    // Each file's slips in the other settings, the file first.
    QList<std::pair<QString, QStringList>> slips;
};

Settings readAllSettings(const QStringList &files) {
    Settings all;
    const QString folderKey = keyOf(QStringLiteral("class"), QStringLiteral("folder"));
    for (const QString &path : files) {
        QByteArray text;
        QString problem;
        SettingText file;
        if (readSettingText(path, &text, &problem))
            file = parseSettings(text);
        else
            file.misspelt = problem;
        if (!file.slips.isEmpty()) all.slips.push_back({path, file.slips});
        for (auto it = file.values.cbegin(); it != file.values.cend(); ++it)
            if (!it.value().isEmpty() && !all.values.contains(it.key()))
                all.values.insert(it.key(), {it.value(), path});
        if (file.values.value(folderKey).isEmpty() && !file.misspelt.isEmpty() && all.stopFile.isEmpty() &&
            !all.values.contains(folderKey)) {
            all.stopFile = path;
            all.stopProblem = file.misspelt;
        }
    }
    return all;
}

// The settings as the files say now: read again only when a file has
// changed (or another is searched), so a start reads each file once.
const Settings &currentSettings() {
    static Settings settings;
    static QByteArray seen;
    const QStringList files = classFolderSettingFiles();
    QByteArray now;
    for (const QString &path : files) {
        struct stat st {};
        now += QFile::encodeName(path) + '\0';
        if (::stat(QFile::encodeName(path).constData(), &st) == 0)
            now += QByteArray::number(quint64(st.st_dev)) + ' ' + QByteArray::number(quint64(st.st_ino)) + ' ' +
                   QByteArray::number(qint64(st.st_size)) + ' ' + QByteArray::number(qint64(st.st_ctim.tv_sec)) + '.' +
                   QByteArray::number(qint64(st.st_ctim.tv_nsec)) + ' ' +
                   QByteArray::number(qint64(st.st_mtim.tv_nsec)) + '\0';
    }
    if (now != seen || seen.isEmpty()) {
        settings = readAllSettings(files);
        seen = now;
    }
    return settings;
}

}  // namespace

QString readSetting(const QString &path, const QString &section, const QString &key) {
    return readAllSettings({path}).values.value(keyOf(section, key)).first;
}

QString setting(const QString &section, const QString &key, QString *file) {
    const auto found = currentSettings().values.value(keyOf(section, key));
    if (file) *file = found.second;
    return found.first;
}

QString configuredClassFolder(QString *settingFile, QString *problem) {
    const Settings &settings = currentSettings();
    if (!settings.stopFile.isEmpty()) {
        if (settingFile) *settingFile = settings.stopFile;
        if (problem) *problem = settings.stopProblem;
        return {};
    }
    const auto found = settings.values.value(QStringLiteral("class/folder"));
    if (!found.first.isEmpty()) {
        if (settingFile) *settingFile = found.second;
        if (problem) problem->clear();
    }
    return found.first;
}

QString settingSlipsMessage() {
    QString files;
    for (const auto &[file, slips] : currentSettings().slips)
        files += QStringLiteral("%1\n・%2。\n").arg(file, slips.join(QStringLiteral("。\n・")));
    if (files.isEmpty()) return {};
    return QStringLiteral("設定ファイルに書き間違いがあります：\n%1その設定は使わずに続けます。先生に知らせてください。")
        .arg(visibleText(files, true));
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
