// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The per-user progress file: <stem>.ucd in the working directory, 31 lines
// of comma-separated numbers ending in CR LF.  Line 1 holds question and
// Score, lines 2..31 misses(i) and answerTimes(i).

#include "state/Session.h"

#include <QByteArray>

#include <QString>

#include <stdexcept>

namespace state {

// A failed read or write of the progress file; what() is a Japanese
// sentence in UTF-8 that names the failure for the learner.
class ProgressError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A save refused because the file changed since this program last read or
// wrote it: another program (on another machine, say one that woke from
// sleep) has saved the code meanwhile.  Its save stays; this program never
// saves that file again.
class ProgressChanged : public ProgressError {
public:
    using ProgressError::ProgressError;
};

// A progress file that is not there (a code never saved).
class ProgressMissing : public ProgressError {
public:
    using ProgressError::ProgressError;
};

namespace progress {

QString fileName(const QString &stem);

// Writes the file from the shared variables.  The file is replaced
// atomically: a temporary file beside it is written, synced and renamed
// over the old one, and the folder is synced after the rename, so a
// failure or a crash leaves one complete save, old or new.  Only a regular
// file is replaced: a link, FIFO, device or folder of that name is refused,
// never followed.  Variables that would make a file its reader refuses
// (see parse) are refused too.  An existing file's mode and group are
// kept; a new one in a class folder is made 0660, or 0640 where the folder
// has the sticky bit (see files::newFileMode).
// Temporaries that earlier saves of this file left behind are removed once
// stale (files::removeStaleTemporaries), and so are the hold's.  Throws ProgressError on failure.
//
// A file this program has read (load) or written (save) is written again
// only while it is still what this program last saw: the same file (device
// and inode), size, modification time and content.  A file that changed
// since is left as it is, with ProgressChanged, and is never written again
// by this program.  A file it has not seen yet (a new run over an old file)
// is written as it is, and so is one that was removed meanwhile.
void save(const Session &m);

// Reads the file of m.userCode, as loadFrom does, and remembers what it
// read for the check of the next save.
void load(Session &m);

// Reads the progress file at path into m (question, Score, misses,
// answerTimes).  Regular files only: a symbolic link, FIFO, device or folder
// is refused without being followed or waited on, and the read is bounded.
// Throws ProgressError (a Japanese reason) on failure, ProgressMissing when
// there is no file; m is then unchanged.
void loadFrom(const QString &path, Session &m);

// The file's content for the given variables.
QByteArray render(const Session &m);
// Parses content into m.  Throws ProgressError, leaving m unchanged, when
// the content holds fewer than 62 fields, a field that is not a number (or
// longer than any number the writer makes), an integer that does not fit
// its variable, question outside 1..30, a negative miss count, or a
// number that could not be written back.  Anything after the 62 fields is
// ignored.
void parse(const QByteArray &content, Session &m);

// A number as the file writes it: "-" for negatives, "." as the decimal
// point, integral values without a point, fractions rounded to the given
// significant digits with trailing zeros dropped, never an exponent.
QString formatNumber(double value, int significantDigits);

// Whether code begins or ends with a blank (half- or full-width).
bool hasEdgeBlank(const QString &code);

// Whether a user code may name a progress file: no blank at either end
// (it would look like the code without it), no "/" or "\", no lone
// surrogate, no control, format (invisible, such as direction overrides),
// private-use or unassigned character, no line or paragraph separator, not
// "." or "..", and short enough that the file name and its temporary twin
// fit the file system's limit in UTF-8 bytes.  The empty code is not
// acceptable here (it stands for "pm").
bool isAcceptableCode(const QString &code);

// The form of an accepted code that names its file: the composed form
// (NFC), so that a word typed composed or decomposed names one file.
QString normalizedCode(const QString &code);

// Whether stem's progress file is another account's in a folder with the
// sticky bit, where only its owner may replace it: such a code is not
// played (its saves would all be refused).
bool belongsToAnotherAccount(const QString &stem);

}  // namespace progress
}  // namespace state
