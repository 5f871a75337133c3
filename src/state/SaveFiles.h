// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every file written beside a progress file shares: the names of the
// temporaries that are renamed into place, the sweep that removes the
// temporaries a crashed save left behind, and the permissions of files in a
// folder that a class shares.

#include <QByteArray>
#include <QList>

#include <ctime>

namespace state::files {

// The ending a temporary adds to the name it stands for, always of this
// length: "." + 8 lower-case hex digits of the process id + 6 random
// letters or digits ("3101.ucd.00003f2aXk9Q2m").
constexpr int kTempSuffix = 15;
// The hold file of a progress file is its name + this ending (see
// CodeHold.h); with its own temporaries it is the longest name beside a
// progress file, so codes are limited by it.
inline constexpr char kHoldEnding[] = ".hold";
constexpr int kLongestEnding = 5 + kTempSuffix;
// A temporary whose last change is older than this (on the file system's
// own clock) is no longer being written by anyone: a save takes well under
// a second, so ten minutes leave room for a slow network and clock steps.
constexpr int kStaleTempSeconds = 600;

// A fresh temporary name for target, beside it: target + "." + the process
// id in hex + random letters, so two programs (on one machine or on two)
// never pick the same name even where exclusive creation is unreliable.
QByteArray tempNameFor(const QByteArray &target);

// Whether entry (a name without folder) is a temporary of target (a name
// without folder) in exactly the form tempNameFor makes: target + "." + 8
// lower-case hex digits + 6 ASCII letters or digits.  Anything else beside
// a progress file (a teacher's "3101.ucd.backup" or "3101.ucd.20261207",
// another code's files) is never taken for one.
bool isTempOf(const QByteArray &entry, const QByteArray &target);

// Removes, from folder, the regular files that are temporaries of one of
// targets and were last changed more than kStaleTempSeconds before now.
// now is a time on the folder's file system (the change time of a file
// just written there), so machines with different clocks agree on what is
// stale.  Failures are ignored: a temporary that cannot be removed is left
// to the next save.  Returns how many were removed.
int removeStaleTemporaries(const QByteArray &folder, const QList<QByteArray> &targets, const timespec &now);

// Progress files in a class folder are shared by the class's group: new
// files get mode 0660 whatever the umask, or 0640 where the folder has the
// sticky bit (a code belongs to the account that made it: the teacher's
// group reads, only the owner writes).  Elsewhere (the working folder, the
// per-user folder) new files keep the umask's mode, private where the
// account is.  Set once at start by the code that chooses the folder.
void setGroupShared(bool shared);
bool groupShared();
constexpr unsigned kSharedFileMode = 0660;
constexpr unsigned kOwnedFileMode = 0640;

// Whether folder has the sticky bit: only a file's owner may then rename,
// replace or remove it.
bool stickyFolder(const QByteArray &folder);

// The mode a new file in folder is given, or 0 when it keeps the umask's
// (not a class folder).
unsigned newFileMode(const QByteArray &folder);

// The folder part of a path as the system sees it ("." for a bare name).
QByteArray folderOf(const QByteArray &path);

}  // namespace state::files
