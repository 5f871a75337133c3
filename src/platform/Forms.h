// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The windows of the program: showing a fresh instance, the forms that are
// open, and ending the program.  Which forms exist is the screens' own
// business (screens/Screens.h); this layer only shows what it is given.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace platform {

class Form;

namespace forms {

using Factory = std::function<Form *()>;

// Records a request to show the form called name, and unless the program
// has ended makes a fresh instance with make, shows it, not modal, and
// runs its activation once.  Returns it, or nullptr when the program has
// ended (before or during the activation) or the activation unloaded it.
Form *show(const QString &name, const Factory &make);

// The object names of every show request in order, for tests.
const QStringList &showLog();

// The forms that are open (shown and not unloaded).
QList<Form *> open();
// The open form with that object name, or null.
Form *find(const QString &name);

// Called by a form when it unloads; ends the program once no window is
// left after the current handler.
void unloaded(Form *form);

// Drops every window at once and ends the program.
void endProgram();
bool programEnded();

// Tests: forget the log, the ended flag and every open form.
void resetForTests();

// Error reporting outside the trapped handlers: shows a message box that
// names the failure, then ends the program.  The message stays until it is
// dismissed even when no window is left behind it.
void fail(const QString &what);

}  // namespace forms
}  // namespace platform
