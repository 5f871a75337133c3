// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The class's 課題: the questions the teacher set for the whole class, the
// moment it was set and, when there is one, the day of the test.  One
// small text file in the class folder, "課題.txt", written and read
// through the file module (platform/Files.h):
//
//   pomurin20 課題 1
//   questions 17,18,19,20
//   set 2026-12-08 09:15:00
//   test 2026-12-15          ("test -" without a test day)
//
// lines ending in CR LF.  At most one 課題 is set at a time.  In a sticky
// class folder, where anyone may make a file, the file counts only when
// a teacher's account owns it: the folder's owner, root, or an account
// named in [class] teachers of the setting file.  Anything else at its
// name (another account's file, a link, a FIFO, a damaged file) is no
// 課題 for the pupils and is named for the teacher; it is never removed.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

#include <sys/types.h>

namespace state::assignment {

// The file's name in the class folder.
QString fileName();

struct Assignment {
    std::vector<int> questions;  // 1..30, ascending, each once; at least one
    QDateTime set;               // local time, to the second: also names this 課題 in a pupil's record
    QDate testDay;               // null when there is no test day
    bool holds(int q) const;
    bool operator==(const Assignment &) const = default;
};

QByteArray render(const Assignment &a);
// Reads content strictly: exactly the four lines the writer makes (the
// last line's end may be missing).  False, with *why a Japanese phrase,
// for anything else; a test day not after the day it was set included.
bool parse(const QByteArray &content, Assignment *a, QString *why);

// What stands at the 課題's name in a folder.
struct Found {
    enum class Kind {
        None,        // no file: no 課題
        Set,         // a 課題 a teacher wrote
        NotTeacher,  // a readable file another account made in a sticky folder
        Unusable,    // damaged, or no regular file (a link, a FIFO, ...)
    };
    Kind kind = Kind::None;
    Assignment assignment;  // Set only
    QString problem;        // NotTeacher, Unusable: what the teacher is told, with what to do
    bool isSet() const { return kind == Kind::Set; }
    bool operator==(const Found &) const = default;
};

// Reads the 課題 of folder (empty: the working folder).  Never throws.
Found read(const QString &folder);

// Whether a file owned by owner, in a sticky folder owned by folderOwner,
// was written by a teacher: the folder's owner, root, or an account whose
// name (accountName) is among teachers.
bool writtenByTeacher(uid_t owner, uid_t folderOwner, const QStringList &teachers,
                      const std::function<QString(uid_t)> &accountName);
// The account's name, or its number when it has none.
QString accountName(uid_t uid);

// Sets a as the 課題 of folder, replacing any other a teacher wrote.
// Throws ProgressError (a Japanese sentence): this account may not set a
// 課題 there, something that is not a teacher's 課題 stands at the name,
// or the file cannot be written.
void write(const QString &folder, const Assignment &a);
// Ends the 課題 of folder: a teacher's file is removed; nothing there is
// fine.  Throws ProgressError as write does.
void clear(const QString &folder);

// "12月15日".
QString dayText(const QDate &day);

}  // namespace state::assignment
