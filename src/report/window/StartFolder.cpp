// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/StartFolder.h"

#include "platform/ClassFolder.h"
#include "platform/Settings.h"

namespace report::window {

namespace {

// The key under [window] of the window's own file (as QSettings wrote it
// before; a folder with nothing special in its name reads the same).
const QString kLastFolderKey = QStringLiteral("lastFolder");

}  // namespace

QString configuredClassFolder() { return platform::configuredClassFolder(); }

QString lastChosenFolder() { return platform::rememberedValue(kLastFolderKey); }

void rememberChosenFolder(const QString &folder) {
    // Only a convenience for the next start: the window works on without it.
    platform::remember(kLastFolderKey, folder);
}

QString startFolder(const QString &given) {
    if (!given.isEmpty()) return given;
    const QString configured = configuredClassFolder();
    return configured.isEmpty() ? lastChosenFolder() : configured;
}

}  // namespace report::window
