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
// pupil's reader; never written, renamed or locked.
//
// A look goes in stages: list the folder, gather the holds on the
// folder's clock, compare the listing with the last one to choose what to
// examine, examine and read what changed (on several threads), and merge
// what was read into the rows.

#include "classfolder/Holds.h"
#include "classfolder/Listing.h"
#include "classfolder/Pupil.h"
#include "state/Assignment.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <vector>

namespace classfolder {

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
    int files = 0;                        // progress files in the folder
    int read = 0;                         // files read this time
    QString error;                        // the folder could not be listed (Japanese); rows as before
    state::assignment::Found assignment;  // the class's 課題, read at every look
    bool aborted = false;                 // stopped by the caller; nothing else is valid
};

// Orders rows by code as the report does, then by key.
bool rowLess(const Row &a, const Row &b);

class FolderScanner {
public:
    // Tests put the teacher's wall clock off.
    using TeacherClock = classfolder::TeacherClock;
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
    // A name to examine, and whether the listing shows it (not only its
    // review record).
    struct Chosen {
        QByteArray name;
        bool listed = false;
    };
    // A name the listing did not show unchanged, and what examining it found.
    struct Examined {
        QByteArray name;           // the progress file's
        bool listed = false;       // as chosen
        quint64 listedReview = 0;  // the listing's inode number of its review record (0: none)
        bool gone = false;         // removed since the listing
        bool fresh = false;        // read in this look: pupil holds what it says
        Seen seen, review;         // lstat of the file and of its review record
        qint64 mtime = 0;          // the file's modification time, seconds
        Pupil pupil;
    };

    // The stages of a look, in order.
    ScanDelta startLook(const QString &folder);
    bool examinesAll(const OpenFolder &folder, const Listing &listed);
    std::vector<Chosen> compareWithLast(const Listing &listed, bool examineAll, const PlayNow &play, ScanDelta &delta);
    bool readChosen(const OpenFolder &folder, std::vector<Chosen> &chosen, const PlayNow &play,
                    const KeepGoing &keepGoing, ScanDelta &delta);
    void mergeRows(Listing &listed, ScanDelta &delta);

    // Within them.
    void forget(const QByteArray &name, ScanDelta &delta);
    void followUnread(const QHash<QByteArray, size_t> &taken, const PlayNow &play, ScanDelta &delta);
    int examineBatch(const OpenFolder &folder, const QDate &today, bool shared, Examined *batch, int count) const;
    void takeIn(Examined &e, const Play &live, ScanDelta &delta);
    TeacherClock teacherClock() const;

    QString folder_;
    bool listedOnce_ = false;
    int fastLooks_ = 0;  // looks since every file was last examined
    InodeProbe probe_;
    QHash<QByteArray, Cached> cache_;          // by progress file name
    Listing listed_;                           // the last look's listing
    QHash<QByteArray, quint64> reviewInodes_;  // progress file name → its review record's inode number (never 0)
    QSet<QByteArray> inPlace_;                 // files once seen changed under the same inode: examined at every look
    QSet<QByteArray> followed_;                // files a live hold named at the last look
    QSet<QByteArray> recheck_;                 // listed but gone when examined: examined again at the next look
    FolderClock folderClock_;
    ClockSource clock_;
};

}  // namespace classfolder
