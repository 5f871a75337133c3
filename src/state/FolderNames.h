// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names of a class folder's files, in one place: what each ending
// means, how a name is made from a code, and which progress file a hold or
// a review record belongs to.
//
//   <code>.ucd                the progress file
//   <code>.ucd.hold           the hold of a code in play (CodeHold.h)
//   <code>.ucd.hold-<hex>     a hold placed beside that name, when something
//                             else stands there
//   <code>.review             the review's record (ReviewRecord.h)
//   <code>.review-<hex>       a record placed beside that name
//   課題.txt                  the class's 課題 (Assignment.h)
//
// A name "beside" the usual one ends in "-" and kBesideDigits lower-case
// hex digits, made fresh each time.  Every reader and writer of a class
// folder names its files through these functions.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace state::names {

inline constexpr char kProgressEnding[] = ".ucd";
// After a progress file's name (not after the code).
inline constexpr char kHoldEnding[] = ".hold";
inline constexpr char kReviewEnding[] = ".review";
inline constexpr int kBesideDigits = 12;

// The files of a code.
QString progressFile(const QString &code);
QString reviewFile(const QString &code);
QString holdFile(const QString &progressFile);
QString assignmentFile();

// Whether name (bytes as listed) ends as a progress file does.
bool isProgressFile(QByteArrayView name);
// The code of a progress file's name: the name without its ending.
QString codeOf(const QString &progressFile);

// The progress file (or path) a hold belongs to, at its usual name or
// beside it; empty for any other name.  Works on paths as on names.
QByteArray progressOfHold(const QByteArray &holdName);
// The progress file's name a review record's name (usual or beside)
// belongs to; empty for any other name.
QByteArray progressOfReview(const QByteArray &recordName);
// Whether name, in any letter case and whatever folder it is in, is the
// class's 課題.
bool isAssignmentFile(const QString &name);

// What a name in a class folder is, from its bytes as listed: a hold
// counts only when it is the hold of a progress file's name.
enum class Kind { Other, Progress, Hold, Review };
Kind kindOf(QByteArrayView name);

// Whether an output file at name (any letter case) would take the place
// of one of a class folder's own files.
bool isClassFolderFile(const QString &name);
bool isReviewFile(const QString &name);  // any letter case

}  // namespace state::names
