// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's start: Japanese dialog texts, the sound engine, the
// screens, and the title screen; then the event loop until no window is
// left.

#include <functional>

class QApplication;
class QWidget;

namespace screens {

// Runs the game in app.  firstWindow, when given, is called with the title
// screen right after it is shown (the start-up benchmark uses it).
int runProgram(QApplication &app, const std::function<void(QWidget *)> &firstWindow = {});

// Runs the review of missed questions (pomurin20 --review) in app: the
// code box, then the review's windows.
int runReview(QApplication &app);

}  // namespace screens
