// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report program's --window: the teacher's window as the program runs
// it, at the display scale the game takes.

#include <QString>

namespace report {

// Opens the folder given, else the class folder, else the one chosen last
// time, else the chooser.  scaleOption: --scale's value, or null.  Needs a
// QApplication and no window yet; returns the event loop's status.
int runWindow(const QString &givenFolder, const QString *scaleOption = nullptr);

}  // namespace report
