// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's INI files and what they say.
//
// The setting file: an administrator's settings in pomurin20/pomurin20.conf
// of the XDG configuration folders ($XDG_CONFIG_HOME, default ~/.config,
// first, then each of $XDG_CONFIG_DIRS, default /etc/xdg): the class folder
// (platform/ClassFolder.h), the display scale and the sound switch, with
// the options --scale VALUE and --no-sound for one start.
//
//   [class]
//   folder = /srv/class/2-1   (where the pupils' progress files are kept)
//   [display]
//   scale = auto          (or 1, 1.25, 1.5, 2, 2.5, 3: any number from 1 to 3)
//   [class]
//   name = 2年1組         (the class's name on the sheets per pupil)
//   teachers = tanaka, suzuki  (accounts that may set the class's 課題)
//   [sound]
//   enabled = false       (true, false, yes, no, on, off, 1, 0)
//
// The scale is Qt's own high-DPI scale, chosen once at start before any
// window exists: every window, message box and input box is drawn with
// that many device pixels per logical pixel, while the screens keep their
// geometry in twips and logical pixels.  A scale set for Qt in the
// environment (QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS) is left as it is,
// except a QT_SCALE_FACTOR outside 1 to 3, which is not used at all.
// A wrong value never stops the game: it is named in a warning and auto is
// used (for the scale) or the sound stays on.

#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace platform {

// The setting files that are searched, in order.
QStringList settingFiles();

// Reads a setting file without ever waiting: a regular file only (a FIFO
// or device in its place is refused at once, never opened for good), a
// UTF-8 byte-order mark dropped.  A file longer than 64 KiB, or that is not
// UTF-8 text (UTF-16, say), is refused rather than read in part.  False
// when there is no text to read; *problem then says why in Japanese for the
// teacher, or is empty when the file is simply missing.
bool readSettingText(const QString &path, QByteArray *text, QString *problem);

// The value of key in [section] of the INI file at path, read as
// readSettingText does, or empty when the file, the section or the key is
// missing or the value is empty.  Blanks around names and values, comment
// lines (";" or "#"), a comment after a section's name ("[class] ; 2-1組")
// and a pair of double quotes around the value are ignored; the last value
// of a key counts.  A full-width "＝" before any "=" is read as "=".
QString readSetting(const QString &path, const QString &section, const QString &key);

// The value of key in [section] in the first setting file that names it
// (empty when none does); *file (when given) is that file.  The setting
// files are read once, each in the search order, into one map, and again
// only when one of them has changed.
QString setting(const QString &section, const QString &key, QString *file = nullptr);

// What the setting files say of the class folder ([class] folder): the
// folder and the file that named it; or, when a file before any that names
// one cannot be read, or means a folder but misspells it ([Class],
// Folder=, another key in [class], folder before any section), that file
// and what is wrong with it, and no folder.  All empty when no file names
// one.
struct ClassFolderSetting {
    QString folder, file, problem;
};
ClassFolderSetting classFolderSetting();

// The message shown at start for slips in the display and sound settings
// (a heading in another case, a key or value the program does not take, a
// setting before any heading), every setting file's named; empty when
// there are none.  Such settings are not used; the game goes on.
QString settingSlipsMessage();

// The teacher's window keeps what it remembers for the next start in its
// own INI file, pomurin20/pomurin20-report.conf under $XDG_CONFIG_HOME,
// beside the setting file and not in it:
//
//   [window]
//   lastFolder=/srv/class/2-1   (the folder chosen last)
//   place=AdnQywADAAA…          (the window's size and place, Qt's saved geometry in base64)
//
// It is read as readSetting reads, except that a link at its name is not
// followed.
QString windowMemoryFile();
// The value kept under key in [window]; empty when there is none.
QString rememberedValue(const QString &key);
// Keeps value under key in [window], with the file's other keys; a value
// with blanks at its ends is written in double quotes, so that it reads
// back as it was.  An empty string, or the Japanese sentence that names
// what failed.  A value with a line break in it is not kept (it could not
// be read back).
QString remember(const QString &key, const QString &value);

// The scales auto chooses from, smallest first.
inline constexpr double kScaleSteps[] = {1, 1.25, 1.5, 2, 2.5, 3};

// A scale as written in the setting or the option.
struct ScaleValue {
    bool valid = false;      // "auto" or a number from 1 to 3
    bool automatic = false;  // "auto" (any case)
    double factor = 1;       // the number, when not automatic
};
ScaleValue parseScale(const QString &text);

// The scale auto chooses: the largest step at which a window of the given
// client size (logical pixels), with its frame, fits within two thirds of
// the available width and height of the screen (logical pixels, so a
// desktop that already scales counts with its own scale).  Never below 1.
double autoScale(const QSizeF &available, const QSize &largestClient);

enum class ScaleOrigin { Environment, Option, Setting, Auto };

struct DisplayScale {
    double factor = 1;  // Qt's global factor this program sets (Environment: the one Qt took from there)
    ScaleOrigin origin = ScaleOrigin::Auto;
    QString settingFile;  // Setting: the file that named it
};

// The scale for this start: the environment's scale for Qt when one is
// set, else --scale (option not null), else the first setting file that
// names [display] scale, else auto over availableArea() (called only then).
// A wrong value is named in *warnings and auto is used.
DisplayScale chooseDisplayScale(const QString *option, const std::function<QSizeF()> &availableArea,
                                const QSize &largestClient, QStringList *warnings);

// Qt's scale from the environment, QT_SCALE_FACTOR, when it is not a number
// from 1 to 3 (-1, 0, nan, 20, or text Qt cannot read): taken out of the
// environment, so that Qt does not use it, and named in the returned
// warning (empty when it is usable or not set).  Must run before the
// application object is made, which is when Qt reads it.
QString dropUnusableEnvironmentScale();

// Makes factor Qt's global scale.  Must run after the application object
// is made and before any window is.  Does nothing for an Environment scale.
void applyDisplayScale(const DisplayScale &scale);

// What the game and the teacher's window both do once at start, after the
// application object is made and before any window: the scale chosen over
// the primary screen's available area for a window of largestClient, and
// applied.
DisplayScale setDisplayScaleForScreen(const QString *option, const QSize &largestClient, QStringList *warnings);

// The class's name as sheets for parents show it: [class] name of the
// first setting file that names one, else the folder's own name.
QString className(const QString &folder);

// The accounts named in [class] teachers of the first setting file that
// names it ("tanaka, suzuki" or "tanaka suzuki"): besides the class
// folder's owner and root, who may set the class's 課題.
QStringList classTeachers();

// A switch as written in the setting: true, yes, on, 1 or false, no, off, 0
// (any case); nothing for another value.
std::optional<bool> parseSwitch(const QString &text);

// Whether sound plays: off with --no-sound, else as the first setting file
// that names [sound] enabled says, else on.  A wrong value is named in
// *warnings and leaves the sound on.
bool soundWanted(bool noSoundOption, QStringList *warnings);

}  // namespace platform
