// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Crash safety of the save: a helper process saves in a loop while it is
// killed with SIGKILL at random moments; after every kill the file on disk
// must be one complete save, the last one or one after it.
//
// Every save holds values derived from one counter n, so a file read back
// tells which save it is, and a torn or mixed file is seen at once.

#include "state/Session.h"

#include <QString>

namespace torture {

// The variables of the n-th save of stem.
state::Session stateFor(const QString &stem, long n);
// Which save m holds, or -1 when it is not exactly one of them.
long saveNumber(const state::Session &m);

// The helper's loop: saves stem for n = first, first + 1, ... until killed.
// Writes "ready" to standard output before the first save.
[[noreturn]] void saveForever(const QString &stem, long first);

struct Result {
    int kills = 0;
    int complete = 0;      // kills after which the file was one complete save
    int progressed = 0;    // kills after which a newer save was on disk
    long lastSave = 0;     // the number of the last save read back
    int leftovers = 0;     // temporary files a killed save left behind
    QString firstProblem;  // what was wrong after the first bad kill, if any
};

// Starts helper (this program's "save" mode) kills times in the current
// folder, killing each run after a random pause of up to maxPauseMs
// milliseconds, and checks the file after each kill.
Result run(const QString &helper, int kills, int maxPauseMs, unsigned seed);

}  // namespace torture
