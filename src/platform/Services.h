// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The replaceable services of the platform: clock, random numbers, beep,
// dialogs and the sound back end.  The program installs the real ones at
// start; tests install fakes.  Every screen reaches them through
// platform::services().

#include <QDate>
#include <QString>
#include <QStringList>

class QMessageBox;
class QWidget;

namespace platform {

class MediaBackend;

// Seconds since local midnight, with fractions, in single precision.
class Clock {
public:
    virtual ~Clock() = default;
    virtual float secondsSinceMidnight() = 0;
    // Today's date on the local calendar.
    virtual QDate today() { return QDate::currentDate(); }
};

// Uniform random numbers in [0, 1), seeded from a clock reading.
class Random {
public:
    virtual ~Random() = default;
    virtual void seed(float clockReading) = 0;
    virtual double next() = 0;
};

class Beep {
public:
    virtual ~Beep() = default;
    virtual void beep() = 0;
};

// Modal dialogs.  Every text the learner sees is Japanese, the buttons too.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Yes/No message box without icon; true for Yes.
    virtual bool askYesNo(QWidget *parent, const QString &text, const QString &title) = 0;
    // Input box with prompt, title, an empty field, OK and Cancel; Cancel
    // gives the empty text.
    virtual QString inputBox(QWidget *parent, const QString &prompt, const QString &title) = 0;
    // A failure that ends the program, named to the learner.
    virtual void showError(QWidget *parent, const QString &text, const QString &title) = 0;
    // An information message with the given buttons; the index of the
    // button chosen, or -1 when the box was closed without one.
    virtual int choose(QWidget *parent, const QString &text, const QString &title, const QStringList &buttons);
};

struct Services {
    Clock *clock = nullptr;
    Random *random = nullptr;
    Beep *beep = nullptr;
    Dialogs *dialogs = nullptr;
    MediaBackend *media = nullptr;
};

// The installed services.  Fields left null fall back to the real
// implementations (and to silence for the media back end).
Services &services();
Clock &clock();
Random &random();
Beep &beep();
Dialogs &dialogs();
MediaBackend &media();

// A message for a message box, shortened where it would not fit a screen:
// a line longer than 120 characters keeps its first 80 and last 30 with
// "…" between, a text of more than 12 lines its first 8 and last 3, and a
// run of more than 30 characters without a blank gets a zero-width break
// every 30, so that the box can wrap a long name.  Texts from files, file
// names and other machines pass through here.
QString fitForMessageBox(const QString &text);

// The text with control characters and invisible formatting characters
// (direction overrides, which turn a line backwards; escape sequences on a
// terminal) written as visible "<U+202E>" marks, as the teacher's window
// shows them.  keepLineBreaks keeps "\n" for a message of several lines.
// For names from files and other machines.
QString visibleText(const QString &text, bool keepLineBreaks = false);

// A message box of the program: the text shown as plain text (a name that
// looks like markup is shown as typed, never rendered), fitted to the
// screen (fitForMessageBox).  Copying the message (Ctrl+C) gives the text
// as it is, without the breaks and shortening made for the screen.
void prepareMessageBox(QMessageBox &box, const QString &text);

// Loads Qt's own Japanese translation, so that the dialogs' buttons read
// はい / いいえ and OK / キャンセル.  False when it is not installed.
bool installJapaneseTranslations();

// The real implementations.
class SystemClock : public Clock {
public:
    float secondsSinceMidnight() override;
};

class SystemRandom : public Random {
public:
    void seed(float clockReading) override;
    double next() override;

private:
    unsigned long long state_ = 0x9E3779B97F4A7C15ull;
};

class SystemBeep : public Beep {
public:
    void beep() override;
};

class QtDialogs : public Dialogs {
public:
    bool askYesNo(QWidget *parent, const QString &text, const QString &title) override;
    QString inputBox(QWidget *parent, const QString &prompt, const QString &title) override;
    void showError(QWidget *parent, const QString &text, const QString &title) override;
};

}  // namespace platform
