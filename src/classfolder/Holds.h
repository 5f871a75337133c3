// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Who plays which code now, as the holds beside the progress files say,
// judged on the folder's own clock.

#include "classfolder/Pupil.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

namespace classfolder {

class OpenFolder;

// What a code's holds say at this look.
struct Play {
    QString host;                   // the machine of its live hold; empty: nobody plays it
    int question = -1, misses = 0;  // as the hold says (-1: it does not say)
    qint64 changed = 0;             // the live hold's change time, seconds on the folder's clock
    qint64 placed = 0;              // when its game placed it first, seconds (0: not said)
    qint64 named = 0;               // since when it has named its question, seconds (0: not said)
    bool ahead = false;             // a hold of the code is dated ahead of the folder's clock
};

// Takes what a code's holds say into p; true when anything the window
// shows of it changed.  fileSince: since when the file has shown its
// question.
bool followPlay(Pupil &p, qint64 fileSince, const Play &play);

// The folder's clock as the window can know it without writing anything
// there, and with nothing a pupil writes able to move it far.  The folder's
// own modification time is set by the file server whenever a file in it is
// made, renamed or removed (every hold renewal and every save does so),
// and only the folder's owner can date it otherwise; so it is the folder's
// "now" up to the latest change, carried forward on the window's own
// steady clock between changes.  The holds' change times refine it: a hold
// at most kAheadSeconds past it (a renewal the folder's cached times have
// not caught up with yet) is believed; one further ahead was dated by hand
// (a file server whose change time is the modification time) and neither
// moves the clock nor counts as play, however many there are.  The
// teacher's wall clock bounds it coarsely: a folder last changed more than
// kTrustSeconds off it (another day) has nobody playing.
class FolderClock {
public:
    static constexpr qint64 kTrustSeconds = 3600;
    static constexpr qint64 kAheadSeconds = 60;

    // The folder's now, given its modification time (seconds; 0: unknown),
    // the change times of the holds in it, the teacher's wall clock
    // (seconds since the epoch) and a steady clock (milliseconds); 0 when no
    // hold can be live.
    qint64 now(qint64 folderChanged, const std::vector<qint64> &holdTimes, qint64 teacherWall, qint64 steadyMs);
    // Whether a hold last written or changed at time (its later of the two)
    // is dated ahead of the clock as the last now() found it.
    bool datedAhead(qint64 time) const;

private:
    qint64 folderSeen_ = 0, seenAtMs_ = 0, now_ = 0;
};

// The teacher's machine's clocks: the wall clock (seconds since the
// epoch) and a steady one (milliseconds).
struct TeacherClock {
    qint64 wallSeconds = 0;
    qint64 steadyMs = 0;
};

// What the holds of a folder say at one look.
struct PlayNow {
    qint64 folderNow = 0;  // the folder's clock (see FolderClock); 0: nobody can be playing
    // By progress file's name: the codes played now, or with a hold dated ahead.
    QHash<QByteArray, Play> playing;
};

// Reads the holds the listing found (holds: their names in folder) on the
// folder's clock, which it moves on.  A hold counts only when it is a
// regular file of a code that may be a pupil's (countsAsCode) and, in a
// sticky folder, of the account that owns the code (CodeHold); a code's
// first live hold names its machine.
PlayNow gatherPlay(const OpenFolder &folder, const std::vector<QByteArray> &holds, FolderClock &clock,
                   const TeacherClock &teacher);

}  // namespace classfolder
