// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/StartFolder.h"

#include "platform/ClassFolder.h"
#include "platform/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace report::window {

namespace {

QString settingsFile() { return platform::xdgConfigHome() + QStringLiteral("/pomurin20/pomurin20-report.conf"); }

const QString kLastFolderKey = QStringLiteral("window/lastFolder");

// QSettings would wait for ever on a FIFO in the file's place: only a
// regular file (or none yet) is read or written.
bool usableSettingsFile() {
    const QFileInfo info(settingsFile());
    return !info.exists() || info.isFile();
}

}  // namespace

QString configuredClassFolder() { return platform::configuredClassFolder(); }

QString lastChosenFolder() {
    if (!usableSettingsFile()) return {};
    const QSettings settings(settingsFile(), QSettings::IniFormat);
    return settings.value(kLastFolderKey).toString();
}

void rememberChosenFolder(const QString &folder) {
    if (!usableSettingsFile()) return;
    QSettings settings(settingsFile(), QSettings::IniFormat);
    settings.setValue(kLastFolderKey, folder);
}

QString startFolder(const QString &given) {
    if (!given.isEmpty()) return given;
    const QString configured = configuredClassFolder();
    return configured.isEmpty() ? lastChosenFolder() : configured;
}

}  // namespace report::window
