// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/StartFolder.h"

#include "platform/ClassFolder.h"
#include "platform/DataFolder.h"
#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace report::window {

namespace {

QString settingsFile() { return platform::xdgConfigHome() + QStringLiteral("/pomurin20/pomurin20-report.conf"); }

// The file keeps one line "lastFolder=<folder>" under [window] (as QSettings
// wrote it before; a folder with nothing special in its name reads the same).
constexpr char kLastFolderKey[] = "lastFolder=";

}  // namespace

QString configuredClassFolder() { return platform::configuredClassFolder(); }

QString lastChosenFolder() {
    // Through the file module: a FIFO or link in its place is refused at
    // once, never waited on.
    const platform::files::ReadResult file = platform::files::read(settingsFile(), {64 * 1024});
    if (file.outcome != platform::files::ReadResult::Outcome::Read) return {};
    QString folder;
    for (const QByteArray &line : file.bytes.split('\n'))
        if (line.trimmed().startsWith(kLastFolderKey))
            folder = QString::fromUtf8(line.trimmed().mid(qsizetype(sizeof kLastFolderKey) - 1));
    return folder;
}

void rememberChosenFolder(const QString &folder) {
    // A folder name with a line break in it is not kept: it could not be read back.
    if (folder.contains(QLatin1Char('\n')) || folder.contains(QLatin1Char('\r'))) return;
    QDir().mkpath(QFileInfo(settingsFile()).path());
    try {
        platform::files::replace(settingsFile(), "[window]\n" + QByteArray(kLastFolderKey) + folder.toUtf8() + '\n');
    } catch (const platform::files::FileError &) {
        // Only a convenience for the next start: the window works on without it.
    }
}

QString startFolder(const QString &given) {
    if (!given.isEmpty()) return given;
    const QString configured = configuredClassFolder();
    return configured.isEmpty() ? lastChosenFolder() : configured;
}

}  // namespace report::window
