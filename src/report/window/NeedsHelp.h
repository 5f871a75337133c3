// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who needs the teacher now: a pupil playing at this moment (a live hold)
// who has stood on the same question for five minutes or more, or who has
// missed the question they are on three times or more.  The question and
// its misses are the hold's word where it gives them (renewed every 30 s,
// between the file's saves), else the file's.  Times are on
// the folder's own clock (classfolder::FolderClock), never the teacher's machine's.

#include "report/ClassReport.h"

#include <QString>

namespace report::window {

constexpr qint64 kStuckSeconds = 5 * 60;
constexpr int kStuckMisses = 3;

struct HelpNeed {
    bool needed = false;
    int question = 0;  // the question the pupil is on
    int minutes = 0;   // whole minutes the file has shown it, when that is why
    int misses = 0;    // misses on it, when that is why
    // Why, for the tooltip: "問12に6分", "問12で3回ミス" or both
    // ("問12に6分、3回ミス"), and the question's title on a line of its own.
    QString why() const;
};

// p's need at folderNow (seconds on the folder's clock; 0: nobody plays).
HelpNeed needsHelp(const Pupil &p, qint64 folderNow);

}  // namespace report::window
