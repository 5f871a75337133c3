// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Saving the progress file on a hand-over outside the trapped handlers: a
// failure is not caught there, so it ends the program with a message box
// that names it.

namespace screens {

// Saves the shared variables; returns false after reporting a failure
// (the program is then ending).
bool saveProgressOrFail();

}  // namespace screens
