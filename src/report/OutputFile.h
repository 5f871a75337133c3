// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report's output files.  A class folder is writable by every pupil,
// so whatever stands at an output name may have been planted: the report
// never writes through a link and never replaces anything but a regular
// file, and a failed write leaves the previous report in place.

#include <QByteArray>
#include <QString>

namespace report {

// Writes bytes as the file `name`.  A file of that name is replaced only
// when it is a regular file, and keeps its permissions (without set-id
// bits); a link, folder, device, FIFO or socket in its place, or a
// class folder's own file's name (pupilFileRefusal), is refused and left
// alone.  The bytes go to a new
// temporary file beside it (never following a link), which is synced and,
// after the name has been looked at once more, renamed over it.  On any
// failure the temporary file is removed and what stood there stays as it
// was.  Returns an empty string on success, else a Japanese sentence that
// names the file and what failed.
QString writeOutputFile(const QString &name, const QByteArray &bytes);

// Whether two output names lead to one file: the same name in the same
// folder however it is spelled, or one existing file (a hard link too).
bool sameOutputFile(const QString &a, const QString &b);

// The sentence that refuses name as an output when it is one of a class
// folder's own files in any letter case (state::names::isClassFolderFile:
// a progress file, a hold, which would block its code, a review record or
// the class's 課題), else an empty string.
QString pupilFileRefusal(const QString &name);

// The system's reason for err in Japanese where it is one a teacher may
// meet (a full disk, no permission, ...).
QString systemReason(int err);

}  // namespace report
