// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The class folder: one folder on the school's file server, mounted at the
// same place on every machine, where every pupil's progress files are kept
// so that the teacher's class overview finds them all.
//
// An administrator names it in the INI file pomurin20/pomurin20.conf of the
// XDG configuration folders ($XDG_CONFIG_HOME, default ~/.config, first,
// then each of $XDG_CONFIG_DIRS, default /etc/xdg), key "folder" in section
// [class].  A menu start (--user-folder) then works there instead of the
// per-user folder; --folder DIR names one for a single start.  A folder
// that cannot be used is reported before the title screen and nothing is
// written anywhere else.

#include <QString>
#include <QStringList>

namespace platform {

// The setting files that are searched, in order.
QStringList classFolderSettingFiles();

// The value of key in [section] of the INI file at path, or empty when
// the file, the section or the key is missing or the value is empty.
// Blanks around names and values, comment lines (";" or "#") and a pair of
// double quotes around the value are ignored.  The display and sound
// settings (platform/Settings.h) are read from the same files this way.
QString readSetting(const QString &path, const QString &section, const QString &key);

// The value of "folder" in section [class] of the INI file at path, read
// as readSetting does.
QString readClassFolderSetting(const QString &path);

// The class folder the configuration names: the first setting file that
// names one wins.  Empty when none does.  *settingFile (when given) is the
// file that named it.  The report window uses this too.
QString configuredClassFolder(QString *settingFile = nullptr);

// The class folder for this start: --folder (folderOption not null; a
// relative DIR is taken from the current folder) whatever the setting
// says, else with --user-folder the configured one, else none (empty).
// *source says where it was named, for the message of an unusable folder.
QString classFolderFor(bool userFolderOption, const QString *folderOption, QString *source);

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
