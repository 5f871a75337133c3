// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/StartFolder.h"

#include "platform/ClassFolder.h"

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

QString settingsFile() { return configHome() + QStringLiteral("/pomurin20/pomurin20-report.conf"); }

const QString kLastFolderKey = QStringLiteral("window/lastFolder");

}  // namespace

QString configuredClassFolder() { return platform::configuredClassFolder(); }

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
