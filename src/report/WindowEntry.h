// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report program's --window: the teacher's window as the program runs
// it, at the display scale the game takes.

#include <QString>

#include <memory>

namespace report {

class Roster;

namespace window {
class ClassWindow;
class WindowDialogs;
}  // namespace window

// The teacher's window as --window opens it, before any folder: drawn at
// the game's display scale (scaleOption: --scale's value, or null), shown
// at the size and place it kept last time, else over the screen's free
// area; its lessons and class lists are kept in dataFolder.  Needs a
// QApplication and no window yet.
std::unique_ptr<window::ClassWindow> showWindow(window::WindowDialogs &dialogs, const QString *scaleOption,
                                                const QString &dataFolder);

// Opens the folder given, else the class folder, else the one chosen last
// time, else the chooser.  scaleOption: --scale's value, or null.  Needs a
// QApplication and no window yet; returns the event loop's status.
// roster: a class list given on the command line, taken and kept for the
// folder opened.
int runWindow(const QString &givenFolder, const QString *scaleOption = nullptr,
              std::shared_ptr<const Roster> roster = nullptr);

}  // namespace report
