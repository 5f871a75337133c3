// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads a folder of progress files again and again, reading only the
// files whose size, times or identity changed since the last look, and
// at every look the holds of the codes in play beside them.  Plain
// C++ without a thread: the window runs it on a worker thread, tests and
// the benchmark call it directly.  Files are only read, through the
// report's reader; never written, renamed or locked.

#include "report/ClassReport.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

#include <functional>
#include <memory>
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
    int files = 0;              // progress files in the folder
    int read = 0;               // files read this time
    QString error;              // the folder could not be listed (Japanese); rows as before
    bool aborted = false;       // stopped by the caller; nothing else is valid
};

// Orders rows by code as the report does, then by key.
bool rowLess(const Row &a, const Row &b);

class FolderScanner {
public:
    // Called every few files with (files looked at, files in the folder);
    // returning false stops the look.
    using KeepGoing = std::function<bool(int done, int total)>;

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
        quint64 look = 0;   // the last look that saw the file
        bool read = false;  // pupil holds what the file said when it was as seen
    };
    QString folder_;
    bool listedOnce_ = false;
    quint64 look_ = 0;
    QHash<QByteArray, Cached> cache_;
};

}  // namespace report::window
