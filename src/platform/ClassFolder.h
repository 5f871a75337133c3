// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The class folder: one folder on the school's file server, mounted at the
// same place on every machine, where every pupil's progress files are kept
// so that the teacher's class overview finds them all.
//
// An administrator names it in the setting file (platform/Settings.h), key
// "folder" in section [class].  A menu start (--user-folder) then works
// there instead of the per-user folder; --folder DIR names one for a single
// start.  A folder that cannot be used is reported before the title screen
// and nothing is written anywhere else.

#include <QString>
#include <QStringList>

namespace platform {

// The class folder the configuration names ([class] folder): the first
// setting file that names one wins.  Empty when none does.  *settingFile
// (when given) is the file that named it.  A file before it that cannot be
// read, or that means a folder but misspells it ([Class], Folder=, another
// key in [class], folder before any section), ends the search instead: the
// folder is then empty, *settingFile that file and *problem (when given)
// what is wrong.
// The report window uses this too.
QString configuredClassFolder(QString *settingFile = nullptr, QString *problem = nullptr);

// The class folder for this start: --folder (folderOption not null; a
// relative DIR is taken from the current folder) whatever the setting
// says, else with --user-folder the configured one, else none (empty).
// *source says where it was named, for the message of an unusable folder;
// *problem (when given) what is wrong with a setting file that names none.
QString classFolderFor(bool userFolderOption, const QString *folderOption, QString *source, QString *problem = nullptr);

// The message shown at start for a setting file that names no usable
// folder: which file and what is wrong, in the teacher's words.
QString settingProblemMessage(const QString &file, const QString &problem);

// What is wrong with a usable class folder's permissions, as a message for
// the teacher, or empty: others outside the group may enter it, or it lacks
// the set-group-ID bit (new files would take each pupil's own group, and
// the teacher could not read them).
QString classFolderWarning(const QString &dir);

// Why dir cannot be the class folder, as a Japanese phrase ("フォルダーが
// ありません"), or empty when it can: it must be an absolute path to a
// folder that can be listed and written.  Writing is tried for real, with a
// probe file that is made and removed at once.
QString classFolderProblem(const QString &dir);

// The Japanese reason for a system error met while using the folder.
QString classFolderReason(int err);

// The message shown before the title screen: the folder, what is wrong,
// where it was named, and that the teacher should be told.
QString classFolderMessage(const QString &dir, const QString &problem, const QString &source);

// Checks dir and makes it the working folder.  On failure returns false
// with the message in *message and leaves the working folder as it was.
bool enterClassFolder(const QString &dir, const QString &source, QString *message);

}  // namespace platform
