// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Settings.h"

#include "platform/DataFolder.h"
#include "platform/Files.h"
#include "platform/Services.h"
#include "platform/SystemError.h"

#include <QtGui/private/qhighdpiscaling_p.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QScreen>
#include <QStringDecoder>
#include <QWindow>

#include <optional>

#include <sys/stat.h>

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

// One line of an INI text that says something: a section line (it begins
// with "[") or key = value.  Blank lines, comments and lines with no "="
// say nothing.
struct IniLine {
    QByteArray text;  // the line, blanks at its ends dropped
    bool isSection = false;
    std::optional<QByteArray> opened;  // a section line: the section it opens; none for "[class] x"
    QByteArray key, value;             // key = value: blanks around both and quotes around the value dropped
};

// Every INI file of the program is read by these rules.
QList<IniLine> iniLines(const QByteArray &text) {
    QList<IniLine> said;
    // Lines end in LF, CR LF or, as some old editors save, CR alone.
    for (QByteArray line : QByteArray(text).replace("\r\n", "\n").replace('\r', '\n').split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        if (line.startsWith('[')) {
            said.push_back({line, true, sectionOf(line), {}, {}});
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
        said.push_back({line, false, std::nullopt, line.left(eq).trimmed(), unquoted(line.mid(eq + eqSize).trimmed())});
    }
    return said;
}

QString keyOf(const QString &section, const QString &key) { return section + QLatin1Char('/') + key; }

// One value of an INI text.
struct IniValue {
    QString section, key, value;
};

// The values of an INI text, in the order the text first names them; the
// last value of a key counts.  A key before any section, or under a line
// that opens none ("[class] x", "[class]]"), never counts.
QList<IniValue> iniValues(const QByteArray &text) {
    QList<IniValue> values;
    QHash<QString, qsizetype> at;
    std::optional<QByteArray> section;
    for (const IniLine &line : iniLines(text)) {
        if (line.isSection) {
            section = line.opened;
            continue;
        }
        if (!section) continue;
        IniValue v{QString::fromUtf8(*section), QString::fromUtf8(line.key), QString::fromUtf8(line.value)};
        const QString both = keyOf(v.section, v.key);
        if (const auto known = at.constFind(both); known != at.cend())
            values[*known].value = v.value;
        else {
            at.insert(both, values.size());
            values.push_back(std::move(v));
        }
    }
    return values;
}

// What a window manager or Qt's own Wayland decoration adds around a
// window's client area: a title bar and thin borders (logical pixels).
constexpr QSize kFrame(8, 40);

// The window, frame included, may take this share of the available area.
constexpr double kScreenShare = 2.0 / 3.0;

// Whether the user has set a scale for Qt in the environment, and which.
bool environmentScale(double *factor) {
    const QString global = qEnvironmentVariable("QT_SCALE_FACTOR").trimmed();
    const bool screens = !qEnvironmentVariable("QT_SCREEN_SCALE_FACTORS").trimmed().isEmpty();
    if (global.isEmpty() && !screens) return false;
    bool ok = false;
    const double f = global.toDouble(&ok);
    *factor = ok && f > 0 ? f : 1;
    return true;
}

// The scale a window is really drawn at, for a maintainer or a test that
// runs the built program: QT_LOGGING_RULES="pomurin.display.debug=true".
Q_LOGGING_CATEGORY(lcDisplay, "pomurin.display", QtWarningMsg)

// Names each top-level window as it is first shown, with its device pixel ratio.
class ShownWindowLog : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Expose)
            if (auto *window = qobject_cast<QWindow *>(watched); window && window->isTopLevel() && window->isExposed())
                if (!window->property("shownLogged").toBool()) {
                    window->setProperty("shownLogged", true);
                    qCDebug(lcDisplay, "window \"%s\" shown at device pixel ratio %g", qUtf8Printable(window->title()),
                            window->devicePixelRatio());
                }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

ScaleValue parseScale(const QString &text) {
    const QString t = text.trimmed();
    ScaleValue v;
    if (t.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0) {
        v.valid = v.automatic = true;
        return v;
    }
    bool ok = false;
    const double f = t.toDouble(&ok);
    // toDouble takes "nan" and "inf" too; the comparisons refuse both.
    if (ok && f >= 1 && f <= 3) {
        v.valid = true;
        v.factor = f;
    }
    return v;
}

double autoScale(const QSizeF &available, const QSize &largestClient) {
    double chosen = kScaleSteps[0];
    for (double step : kScaleSteps) {
        const QSizeF window = QSizeF(largestClient + kFrame) * step;
        if (window.width() <= available.width() * kScreenShare && window.height() <= available.height() * kScreenShare)
            chosen = step;
    }
    return chosen;
}

DisplayScale chooseDisplayScale(const QString *option, const std::function<QSizeF()> &availableArea,
                                const QSize &largestClient, QStringList *warnings) {
    DisplayScale scale;
    if (environmentScale(&scale.factor)) {
        scale.origin = ScaleOrigin::Environment;
        if (option)
            *warnings << QStringLiteral(
                             "--scale %1 is not used: the scale set for Qt in the environment "
                             "(QT_SCALE_FACTOR or QT_SCREEN_SCALE_FACTORS) applies")
                             .arg(*option);
        return scale;
    }
    QString text, where, file;
    if (option) {
        text = *option;
        where = QStringLiteral("--scale");
    } else {
        text = setting(QStringLiteral("display"), QStringLiteral("scale"), &file);
        where = file + QStringLiteral(": [display] scale =");
    }
    if (option || !text.isEmpty()) {
        const ScaleValue value = parseScale(text);
        if (!value.valid) {
            *warnings << QStringLiteral("%1 \"%2\" is not auto or a number from 1 to 3; auto is used").arg(where, text);
        } else if (!value.automatic) {
            scale.factor = value.factor;
            scale.origin = option ? ScaleOrigin::Option : ScaleOrigin::Setting;
            scale.settingFile = file;
            return scale;
        }
    }
    scale.origin = ScaleOrigin::Auto;
    scale.factor = autoScale(availableArea(), largestClient);
    return scale;
}

QString dropUnusableEnvironmentScale() {
    const QByteArray value = qgetenv("QT_SCALE_FACTOR");
    if (value.trimmed().isEmpty()) return {};  // not set: nothing for Qt to use
    // Read as Qt reads it; the comparisons refuse nan too.
    bool ok = false;
    const double factor = value.toDouble(&ok);
    if (ok && factor >= 1 && factor <= 3) return {};
    qunsetenv("QT_SCALE_FACTOR");
    return QStringLiteral("QT_SCALE_FACTOR \"%1\" is not a number from 1 to 3; it is not used")
        .arg(visibleText(QString::fromLocal8Bit(value)));
}

void applyDisplayScale(const DisplayScale &scale) {
    if (scale.origin == ScaleOrigin::Environment) return;
    QHighDpiScaling::setGlobalFactor(scale.factor);
}

DisplayScale setDisplayScaleForScreen(const QString *option, const QSize &largestClient, QStringList *warnings) {
    const DisplayScale scale = chooseDisplayScale(
        option,
        [] {
            const QScreen *screen = QGuiApplication::primaryScreen();
            return screen ? QSizeF(screen->availableGeometry().size()) : QSizeF();
        },
        largestClient, warnings);
    applyDisplayScale(scale);
    if (lcDisplay().isDebugEnabled() && qApp) {
        qCDebug(lcDisplay, "display scale %g", scale.factor);
        qApp->installEventFilter(new ShownWindowLog(qApp));
    }
    return scale;
}

QString className(const QString &folder) {
    const QString name = setting(QStringLiteral("class"), QStringLiteral("name"));
    return name.isEmpty() ? QDir(folder).dirName() : name;
}

QStringList classTeachers() {
    static const QRegularExpression kBetween(QStringLiteral("[,、\\s]+"));
    return setting(QStringLiteral("class"), QStringLiteral("teachers")).split(kBetween, Qt::SkipEmptyParts);
}

std::optional<bool> parseSwitch(const QString &text) {
    const QString t = text.toLower();
    for (const char *on : {"true", "yes", "on", "1"})
        if (t == QLatin1String(on)) return true;
    for (const char *off : {"false", "no", "off", "0"})
        if (t == QLatin1String(off)) return false;
    return std::nullopt;
}

bool soundWanted(bool noSoundOption, QStringList *warnings) {
    if (noSoundOption) return false;
    QString file;
    const QString value = setting(QStringLiteral("sound"), QStringLiteral("enabled"), &file);
    if (value.isEmpty()) return true;
    if (const std::optional<bool> on = parseSwitch(value)) return *on;
    *warnings
        << QStringLiteral("%1: [sound] enabled = \"%2\" is not true or false; the sound stays on").arg(file, value);
    return true;
}

QStringList settingFiles() {
    QStringList files{settingIn(xdgConfigHome())};
    for (const QString &d : xdgConfigDirs()) files << settingIn(d);
    files.removeDuplicates();
    return files;
}

namespace {

bool readIniText(const QString &path, files::Links links, QByteArray *text, QString *problem) {
    problem->clear();
    const files::ReadResult file = files::read(path, {kMaxSettingFile, files::Longer::Refused, links});
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

}  // namespace

bool readSettingText(const QString &path, QByteArray *text, QString *problem) {
    // An administrator's setting file may be a link; a FIFO in its place is
    // refused at once instead of waiting for a writer.
    return readIniText(path, files::Links::Followed, text, problem);
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

SettingText parseSettings(const QByteArray &text) {
    SettingText file;
    for (const IniValue &v : iniValues(text)) file.values.insert(keyOf(v.section, v.key), v.value);
    QByteArray section;
    bool sawSection = false;
    for (const IniLine &line : iniLines(text)) {
        if (line.isSection) {
            // A line that is no section line ("[class] x", "[class]]")
            // opens one whose keys never count.
            const std::optional<QByteArray> &opened = line.opened;
            section = opened.value_or("\n");
            sawSection = true;
            const qsizetype close = line.text.indexOf(']');
            const QByteArray named = opened.value_or(close > 0 ? line.text.mid(1, close - 1).trimmed() : line.text);
            const QString shown = QString::fromUtf8(line.text);
            if ((named != "class" || !opened) && named.toLower() == "class" && file.misspelt.isEmpty())
                file.misspelt = QStringLiteral("見出し %1 は [class] と書いてください").arg(shown);
            else if ((named != "display" && named != "sound") || !opened)
                for (const char *known : {"display", "sound"})
                    if (named.toLower() == known)
                        file.slips << QStringLiteral("見出し %1 は [%2] と書いてください").arg(shown, known);
            if (opened && !QList<QByteArray>{"class", "display", "sound"}.contains(named.toLower()))
                file.slips << QStringLiteral("見出し %1 は知らない見出しです（[class]、[display]、[sound] が使えます）")
                                  .arg(shown);
            continue;
        }
        const QByteArray &key = line.key, &value = line.value;
        const bool inClass = section == "class";
        if (!inClass && section != "\n" && key != "folder")
            if (const QString slip = slipIn(section, QString::fromUtf8(key), QString::fromUtf8(value)); !slip.isEmpty())
                file.slips << slip;
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
struct SettingFiles {
    // "section/key" -> the value and the file: the first file that names it.
    QHash<QString, std::pair<QString, QString>> values;
    // The search for the class folder ends at a file that cannot be read,
    // or that means a folder but misspells it, before any file names one:
    // it might have named another folder than the files after it.
    QString stopFile, stopProblem;
    // Each file's slips in the other settings, the file first.
    QList<std::pair<QString, QStringList>> slips;
};

SettingFiles readAllSettings(const QStringList &files) {
    SettingFiles all;
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
const SettingFiles &currentSettings() {
    static SettingFiles settings;
    static QByteArray seen;
    const QStringList files = settingFiles();
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

ClassFolderSetting classFolderSetting() {
    const SettingFiles &settings = currentSettings();
    if (!settings.stopFile.isEmpty()) return {{}, settings.stopFile, settings.stopProblem};
    const auto found = settings.values.value(keyOf(QStringLiteral("class"), QStringLiteral("folder")));
    return {found.first, found.second, {}};
}

QString settingSlipsMessage() {
    QString files;
    for (const auto &[file, slips] : currentSettings().slips)
        files += QStringLiteral("%1\n・%2。\n").arg(file, slips.join(QStringLiteral("。\n・")));
    if (files.isEmpty()) return {};
    return QStringLiteral(
               "設定ファイルに書き間違いがあります：\n%1その設定は使わずに続けます。先生に知らせてください。")
        .arg(visibleText(files, true));
}

QString windowMemoryFile() { return xdgConfigHome() + QStringLiteral("/pomurin20/pomurin20-report.conf"); }

namespace {

const QString kWindowSection = QStringLiteral("window");

// The window's file as it is now: its values in order, or none when it
// cannot be read.  Its link is not followed: the window writes it, and a
// write never goes through a link.
QList<IniValue> windowMemory() {
    QByteArray text;
    QString problem;
    return readIniText(windowMemoryFile(), files::Links::Refused, &text, &problem) ? iniValues(text)
                                                                                   : QList<IniValue>();
}

// A value as a line of an INI file writes it, so that iniLines reads it back.
QByteArray written(const QString &value) {
    const QByteArray bytes = value.toUtf8();
    const bool keepsEnds = bytes == bytes.trimmed() && unquoted(bytes) == bytes;
    return keepsEnds ? bytes : '"' + bytes + '"';
}

}  // namespace

QString rememberedValue(const QString &key) {
    for (const IniValue &v : windowMemory())
        if (v.section == kWindowSection && v.key == key) return v.value;
    return {};
}

QString remember(const QString &key, const QString &value) {
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        return QStringLiteral("改行のある値は残せません。");
    QList<IniValue> values = windowMemory();
    const auto known = std::find_if(values.begin(), values.end(),
                                    [&](const IniValue &v) { return v.section == kWindowSection && v.key == key; });
    if (known != values.end())
        known->value = value;
    else
        values.push_back({kWindowSection, key, value});
    // Written section by section, each in the order the file first named it.
    QStringList sections;
    for (const IniValue &v : values)
        if (!sections.contains(v.section)) sections << v.section;
    QByteArray text;
    for (const QString &section : sections) {
        text += '[' + section.toUtf8() + "]\n";
        for (const IniValue &v : values)
            if (v.section == section) text += v.key.toUtf8() + '=' + written(v.value) + '\n';
    }
    const QString folder = QFileInfo(windowMemoryFile()).path();
    if (!QDir().mkpath(folder)) return QStringLiteral("フォルダー「%1」を作れません。").arg(folder);
    try {
        files::replace(windowMemoryFile(), text);
    } catch (const files::FileError &e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

}  // namespace platform
