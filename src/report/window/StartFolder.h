// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which folder the teacher's window opens first: the folder given on the
// command line, else the class folder named in the configuration, else the
// folder chosen last time; with none of them the window asks.

#include <QString>

namespace report::window {

// The class folder named in the configuration, as the game reads it
// (platform::configuredClassFolder); empty when none is set.
QString configuredClassFolder();

// The folder the teacher chose in the window last time (kept in
// the window's own file, platform::windowMemoryFile()); empty if none.
QString lastChosenFolder();
void rememberChosenFolder(const QString &folder);

// given when not empty, else configuredClassFolder(), else
// lastChosenFolder(); empty when the window has to ask.
QString startFolder(const QString &given);

}  // namespace report::window
