// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads a folder of progress files again and again, reading only the
// files whose size, times or identity changed since the last look, and
// at every look the holds of the codes in play beside them.  Where the
// folder's inode numbers are stable, most looks only list the folder: a
// save renames a new file over the old one, so the name's inode number in
// the listing changes, and only names new or changed in the listing (and
// files once seen rewritten in place) are examined; every few looks all
// are, so that a file rewritten in place is found too.  Plain
// C++ without a thread: the window runs it on a worker thread, tests and
// the benchmark call it directly.  Files are only read, through the
// report's reader; never written, renamed or locked.

#include "report/ClassReport.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace report::window {

// A row and the key that names it: the file name's bytes, unique in the
// folder even where two names decode to the same code.
struct Row {
    QByteArray key;
    Pupil pupil;
};

// What one look at the folder found.
struct ScanDelta {
    QString folder;
    QDateTime readAt;
    // The rows replace every earlier row (the first look at a folder);
    // changed then holds all rows, sorted by code.
    bool complete = false;
    std::vector<Row> changed;   // new or changed files
    QList<QByteArray> removed;  // keys of files that are gone
    // "Now" on the folder's own clock, in seconds since the epoch; 0 when
    // no hold can be live (nobody is playing).  See FolderClock.
    qint64 folderNow = 0;
    int files = 0;         // progress files in the folder
    int read = 0;          // files read this time
    QString error;         // the folder could not be listed (Japanese); rows as before
    state::assignment::Found assignment;  // the class's 課題, read at every look
    bool aborted = false;  // stopped by the caller; nothing else is valid
};

// Orders rows by code as the report does, then by key.
bool rowLess(const Row &a, const Row &b);

// What a code's holds say at this look.
struct Play {
    QString host;  // the machine of its live hold; empty: nobody plays it
    int question = -1, misses = 0;  // as the hold says (-1: it does not say)
    qint64 changed = 0;  // the live hold's change time, seconds on the folder's clock
    qint64 placed = 0;   // when its game placed it first, seconds (0: not said)
    qint64 named = 0;    // since when it has named its question, seconds (0: not said)
    bool ahead = false;  // a hold of the code is dated ahead of the folder's clock
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

// One listing of a folder's progress files and review records, in the
// listing's order, kept to compare the next listing with.
struct ListedNames {
    struct Entry {
        quint32 at = 0, length = 0;  // the name's place in names
        quint64 inode = 0;           // the listing's inode number
    };
    std::string names;  // one after another
    std::vector<Entry> entries;
    std::string_view name(size_t i) const { return {names.data() + entries[i].at, entries[i].length}; }
};

// What changed from one listing to the next: entries of now that are new
// or whose inode number changed, and entries of before no longer listed.
// Cheap while the order stays (a name compared with the one at the same
// step); a step out of order looks names up.
struct ListingDiff {
    std::vector<quint32> changed, removed;
    bool operator==(const ListingDiff &) const = default;
};
ListingDiff compareListings(const ListedNames &before, const ListedNames &now);

class FolderScanner {
public:
    // The teacher's machine's clocks: the wall clock (seconds since the
    // epoch) and a steady one (milliseconds).  Tests put the wall clock off.
    struct TeacherClock {
        qint64 wallSeconds = 0;
        qint64 steadyMs = 0;
    };
    using ClockSource = std::function<TeacherClock()>;
    void setClock(ClockSource clock) { clock_ = std::move(clock); }

    // Called every few files with (files looked at, files in the folder);
    // returning false stops the look.
    using KeepGoing = std::function<bool(int done, int total)>;

    // What a folder's file system promises of the inode numbers in its
    // listing, which decides how often every file is examined.
    enum class Inodes {
        Stable,    // local: every 12th look examines every file
        Network,   // stable but written from other machines: every 2nd look
        Unstable,  // numbers made up per mount or per look: every look
    };
    using InodeProbe = std::function<Inodes(int dirFd)>;
    // Tests stand in for the file system's kind.
    void setInodeProbe(InodeProbe probe) { probe_ = std::move(probe); }
    static Inodes inodesOf(int dirFd);

    // Looks at folder.  A folder other than the last one starts afresh.
    ScanDelta scan(const QString &folder, const KeepGoing &keepGoing = {});

    // Forgets what was read, so the next look reads every file.
    void reset();

private:
    struct Seen {
        // What lstat says of the entry; equal means unchanged.
        quint64 device = 0, inode = 0;
        qint64 size = 0, mtimeNs = 0, ctimeNs = 0;
        quint32 mode = 0;
        bool operator==(const Seen &) const = default;
    };
    struct Cached {
        Seen seen;
        Seen review;  // the review's record beside it (all 0 when none)
        Pupil pupil;
        bool read = false;     // pupil holds what the file said when it was as seen
        qint64 fileSince = 0;  // since when the file has shown its question (folder's clock)
    };
    // A name the listing did not show unchanged, and what examining it found.
    struct Examined {
        QByteArray name;           // the progress file's
        quint64 listedReview = 0;  // the listing's inode number of its review record (0: none)
        bool gone = false;         // removed since the listing
        bool fresh = false;        // read in this look: pupil holds what it says
        Seen seen, review;         // lstat of the file and of its review record
        qint64 mtime = 0;          // the file's modification time, seconds
        Pupil pupil;
    };
    int examineBatch(int dirFd, const QString &prefix, const QDate &today, bool shared, Examined *batch,
                     int count) const;
    TeacherClock teacherClock() const;
    QString folder_;
    bool listedOnce_ = false;
    int fastLooks_ = 0;  // looks since every file was last examined
    InodeProbe probe_;
    QHash<QByteArray, Cached> cache_;          // by progress file name
    ListedNames listed_;                       // the last look's listing
    QHash<QByteArray, quint64> reviewInodes_;  // progress file name → its review record's inode number (never 0)
    QSet<QByteArray> inPlace_;                 // files once seen changed under the same inode: examined at every look
    QSet<QByteArray> followed_;                // files a live hold named at the last look
    QSet<QByteArray> recheck_;                 // listed but gone when examined: examined again at the next look
    FolderClock folderClock_;
    ClockSource clock_;
};

}  // namespace report::window
