// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the program works and where it finds its sound files.
//
// The program works in its working folder: the progress files are written
// there and the sound files are looked up there first.  Started from the
// desktop menu it first moves into the learner's own folder under
// $XDG_DATA_HOME (see enterUserFolder).  A sound file that the working
// folder lacks is taken from the installed data folder (share/pomurin20 of
// the installation), so a fresh per-user folder needs no copies.

#include <QString>
#include <QStringList>

namespace platform {

// The base folders of the freedesktop.org rules, looked up here only.  A
// relative value in the environment is invalid and ignored.  home is $HOME
// when that is absolute, else the account's home from the password file.
// $XDG_CONFIG_HOME, else <home>/.config:
QString xdgConfigHome();
// The absolute folders of $XDG_CONFIG_DIRS, else /etc/xdg:
QStringList xdgConfigDirs();
// $XDG_DATA_HOME, else <home>/.local/share:
QString xdgDataHome();
// $XDG_CACHE_HOME, else <home>/.cache:
QString xdgCacheHome();

// The per-user folder: $XDG_DATA_HOME/pomurin20 when XDG_DATA_HOME is set
// to an absolute path, else <home>/.local/share/pomurin20.  home is $HOME
// when that is absolute, else the account's home from the password file.
QString userFolderPath();

// Creates the per-user folder (missing parents too, private to the user as
// the freedesktop.org base directory rules ask) and makes it the working
// folder.  On failure returns false with a description in *error and leaves
// the working folder as it was.
bool enterUserFolder(QString *error);

// The installed data folders that exist, in the order they are searched:
// share/pomurin20 beside the program's bin folder (wherever the
// installation was unpacked), then the one the build was configured for.
QStringList installedDataFolders();

// The file a sound name stands for: the name in workFolder when that file
// exists, else the first of dataFolders that holds it, else the name in
// workFolder (which then stays silent, as a missing file always has).
QString findSoundFile(const QString &name, const QString &workFolder, const QStringList &dataFolders);

// findSoundFile over the current working folder and installedDataFolders().
QString soundFile(const QString &name);

}  // namespace platform
