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
// progress file's, hold's or review record's name (isProgressFileName), is refused and left
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

// Whether name (a path or the last part of one) ends like a progress file
// (".ucd"), a code's hold (".ucd.hold" or ".ucd.hold-" and hex digits,
// which would block that code), a review record (".review") or the class's
// 課題 ("課題.txt"), in any case.
bool isProgressFileName(const QString &name);

// The sentence that refuses name as an output when it is a pupil's file
// (isProgressFileName), else an empty string.
QString pupilFileRefusal(const QString &name);

// The system's reason for err in Japanese where it is one a teacher may
// meet (a full disk, no permission, ...).
QString systemReason(int err);

}  // namespace report
