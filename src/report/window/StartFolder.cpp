// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/StartFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace report::window {

namespace {

QString homeFolder() { return QDir::homePath(); }

QString configHome() {
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    return QDir::isAbsolutePath(configured) ? configured : homeFolder() + QStringLiteral("/.config");
}

QStringList configFolders() {
    QStringList folders{configHome()};
    QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    if (dirs.isEmpty()) dirs = QStringLiteral("/etc/xdg");
    for (const QString &d : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(d)) folders << d;  // relative entries are ignored, as the XDG rules ask
    return folders;
}

// The value of key in [section] of a small INI file, as written (blanks
// around it dropped); a null string when the file or key is missing.
// Read by hand, not with QSettings, so that a path holding commas or
// backslashes is taken as it stands.
QString iniValue(const QString &path, QLatin1StringView section, QLatin1StringView key) {
    QFile file(path);
    // A configuration file is a few lines; more than 64 KiB is no
    // configuration file, and a FIFO or device is not opened.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return QString();
    const QByteArray bytes = file.read(64 * 1024);
    bool inSection = false;
    for (const QString &raw : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inSection = QStringView(line).sliced(1, line.size() - 2).trimmed() == section;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inSection && eq > 0 && QStringView(line).left(eq).trimmed() == key) return line.mid(eq + 1).trimmed();
    }
    return QString();
}

QString settingsFile() { return configHome() + QStringLiteral("/pomurin20/pomurin20-report.conf"); }

const QString kLastFolderKey = QStringLiteral("window/lastFolder");

}  // namespace

QString configuredClassFolder() {
    for (const QString &folder : configFolders()) {
        QString value = iniValue(folder + QStringLiteral("/pomurin20/pomurin20.conf"), QLatin1StringView("class"),
                                 QLatin1StringView("folder"));
        if (value.startsWith(QLatin1String("~/"))) value = homeFolder() + value.mid(1);
        if (QDir::isAbsolutePath(value)) return QDir::cleanPath(value);
    }
    return QString();
}

QString lastChosenFolder() {
    const QSettings settings(settingsFile(), QSettings::IniFormat);
    return settings.value(kLastFolderKey).toString();
}

void rememberChosenFolder(const QString &folder) {
    QSettings settings(settingsFile(), QSettings::IniFormat);
    settings.setValue(kLastFolderKey, folder);
}

QString startFolder(const QString &given) {
    if (!given.isEmpty()) return given;
    const QString configured = configuredClassFolder();
    return configured.isEmpty() ? lastChosenFolder() : configured;
}

}  // namespace report::window
