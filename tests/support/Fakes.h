// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fakes for the replaceable services, and a fixture that installs them:
// a settable clock, scripted random numbers, a beep counter, scripted
// dialogs and a recorder of the media commands.

#include "platform/Form.h"
#include "platform/Forms.h"
#include "platform/Media.h"
#include "platform/Services.h"
#include "screens/Screens.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QStringList>
#include <gtest/gtest.h>

#include <deque>

namespace testing_support {

using screens::ScreenId;

class FakeClock : public platform::Clock {
public:
    float now = 0;
    QDate day;  // today's date when set
    float secondsSinceMidnight() override { return now; }
    QDate today() override { return day.isValid() ? day : QDate::currentDate(); }
};

class FakeRandom : public platform::Random {
public:
    std::deque<double> values;  // handed out in order; 0 when empty
    QList<float> seeds;
    void seed(float reading) override { seeds << reading; }
    double next() override {
        if (values.empty()) return 0;
        double v = values.front();
        values.pop_front();
        return v;
    }
};

class FakeBeep : public platform::Beep {
public:
    int count = 0;
    void beep() override { ++count; }
};

class ScriptedDialogs : public platform::Dialogs {
public:
    std::deque<bool> yesNoAnswers;      // default No when empty
    std::deque<QString> inputAnswers;   // default Cancel (empty) when empty
    std::deque<int> choices;            // default -1 (closed) when empty
    QStringList calls;                  // "yesno|text|title", "input|prompt|title", "error|text|title", "choose|text|title|buttons"
    bool askYesNo(QWidget *, const QString &text, const QString &title) override {
        calls << "yesno|" + text + "|" + title;
        if (yesNoAnswers.empty()) return false;
        bool a = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return a;
    }
    QString inputBox(QWidget *, const QString &prompt, const QString &title) override {
        calls << "input|" + prompt + "|" + title;
        if (inputAnswers.empty()) return QString();
        QString a = inputAnswers.front();
        inputAnswers.pop_front();
        return a;
    }
    int choose(QWidget *, const QString &text, const QString &title, const QStringList &buttons) override {
        calls << "choose|" + text + "|" + title + "|" + buttons.join('/');
        const int c = choices.empty() ? -1 : choices.front();
        if (!choices.empty()) choices.pop_front();
        return c;
    }
    // A real message box runs an event loop until it is dismissed: what
    // waits meanwhile runs here too, and whether the program had already
    // ended under the message is noted, once per message.
    QList<bool> endedUnderMessage;
    void showError(QWidget *, const QString &text, const QString &title) override {
        calls << "error|" + text + "|" + title;
        QCoreApplication::processEvents();
        endedUnderMessage << platform::forms::programEnded();
    }
};

// Logs "Open <file name>", "Close", "Stop", "Play", "Sound".
class MediaRecorder : public platform::MediaBackend {
public:
    QStringList log;
    void command(int, platform::MediaCommand c, const QString &path) override;
};

// Installs the fakes, puts timers in manual mode, forgets every form and
// registers the screens; resets the shared variables.
class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Lets deferred deletions and the end-of-program check run.
    static void settle();
    // The open window of that screen, or null.
    template <class T>
    T *open(ScreenId id) {
        return qobject_cast<T *>(screens::findScreen(id));
    }
    static void click(QPushButton *b);
    // The controls that take the focus by Tab, in the order Tab visits
    // them from the given one.
    static QList<QWidget *> focusChain(QWidget *first);

    FakeClock clock;
    FakeRandom random;
    FakeBeep beep;
    ScriptedDialogs dialogs;
    MediaRecorder media;
};

}  // namespace testing_support
