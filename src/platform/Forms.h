#pragma once
// The set of screens: a registry of form factories by name, the forms that
// are open, showing a fresh instance, and ending the program.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace platform {

class Form;

namespace forms {

using Factory = std::function<Form *()>;

// Registers how to make the form called name (Form1 .. Form7).
void registerForm(const QString &name, Factory factory);

bool isRegistered(const QString &name);

// Shows a fresh instance of the named form, not modal, and runs its
// activation once.  Returns it, or nullptr if no such form is registered
// (the request is still recorded) or the program has ended meanwhile.
Form *show(const QString &name);

// Every show request in order, for tests.
const QStringList &showLog();

// The forms that are open (shown and not unloaded).
QList<Form *> open();
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
// names the failure, then ends the program.
void fail(const QString &what);

}  // namespace forms
}  // namespace platform
