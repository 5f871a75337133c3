// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one way the programs read and write their files.  A class folder is
// shared by every pupil, so whatever stands at a file's name may have been
// planted there: a read takes a regular file only, bounded, never following
// a link (unless asked to) and never waiting on a FIFO or a device; a write
// replaces the file atomically through a temporary beside it, never
// following a link and never replacing anything but a regular file.
//
// A temporary is named after its file: the name + "." + 8 lower-case hex
// digits of the process id + 6 random letters or digits
// ("3101.ucd.00003f2aXk9Q2m"), so that the sweep that removes the
// temporaries a crashed write left behind knows them, and nothing else.

#include <QByteArray>
#include <QList>
#include <QString>

#include <ctime>
#include <stdexcept>

#include <sys/stat.h>

namespace platform::files {

// What identifies the bytes of a file: the same file (device and inode)
// with the same size and modification time.  Not the change time: it moves
// too when only the file's mode or group is changed.
struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    bool operator==(const Identity &o) const;
};
Identity identityOf(const struct stat &st);

enum class Links { Refused, Followed };
// A file longer than the limit: refused, or read up to the limit.
enum class Longer { Refused, Cut };

struct ReadLimits {
    qint64 maxBytes = 1 << 20;
    Longer longer = Longer::Refused;
    Links links = Links::Refused;
    // In a sticky folder (where every pupil owns the files they make) a
    // file that belongs beside another, such as a code's review record
    // beside its progress file, counts only when the account that owns
    // that file (at this path) owns it too: another account's file there
    // is Missing, with the reason NotOwned.  Nothing at this path: it counts.
    const QString *sameOwnerAs = nullptr;
};

struct ReadResult {
    enum class Outcome { Missing, Read, Refused };
    // Why a file was refused.  A link (when refused) is Open with ELOOP.
    enum class Reason { None, Open, Inspect, NotRegular, TooLarge, Read, NotOwned };
    Outcome outcome = Outcome::Missing;
    Reason reason = Reason::None;
    int error = 0;          // the system's error for Missing, Open, Inspect and Read
    QByteArray bytes;       // Read: the content
    struct stat status {};  // Read, NotRegular, TooLarge: the file's status
    Identity identity() const { return identityOf(status); }
    // The refusal (or absence) as a Japanese sentence naming path; kind
    // names what the file should have been ("進み具合のファイル").
    QString text(const QString &path, const QString &kind) const;
};

// Reads the file at path.  Missing: nothing of that name (or a path
// through something that is no folder).  Refused: a link (unless followed),
// a folder, FIFO, device or socket, a file longer than the limit (unless
// cut), or a failure of the system.
ReadResult read(const QString &path, const ReadLimits &limits);

// Why a replace failed: the step, the system's error (0 when none) and,
// for a file of another kind in the way, its mode.  what() is a Japanese
// sentence that names the file.
class FileError : public std::runtime_error {
public:
    enum class Step {
        OpenFolder,  // opening the folder the file is in
        Inspect,     // looking at what stands at the name (kind: not a regular file)
        Create,      // making the temporary
        CopyMode,    // giving it the old file's mode
        SetMode,     // giving it the folder's mode for new files
        Write,
        Sync,        // syncing or closing it
        Recheck,     // looking again just before the rename (kind: not a regular file)
        Changed,     // not as last seen (ReplaceOptions::unchangedSince)
        Place,       // the rename (or, for createNew, the exclusive link)
        SyncFolder,  // syncing the folder after the rename
    };
    FileError(Step step, int error, mode_t kind, bool existed, const QString &path);
    Step step;
    int error;
    mode_t kind;         // the mode of a non-regular file in the way, else 0
    bool existed;        // a file stood at the name at the first look
    timespec written{};  // createNew: the temporary's change time, when it was written
};

// What a file looked like when last seen: written (its Identity from
// replace) or read (ReadResult::identity and bytes).
struct Seen {
    Identity identity;
    QByteArray bytes;
};

struct ReplaceOptions {
    // When given, the file is replaced only while it is still exactly this
    // (the same identity and bytes), or gone; else FileError Changed.
    const Seen *unchangedSince = nullptr;
    // Names ending so beside the file (its own name + ending) whose stale
    // temporaries the sweep removes too.
    QList<QByteArray> alsoSweep;
    // The old file's permission bits that the new one keeps, and whether
    // it keeps the old file's group (where this account may give it).
    mode_t keptModeBits = 07777;
    bool keepGroup = true;
    // The name (without folder) the temporaries are named after, when not
    // the file's own: one that does not tell in advance what the file will
    // be called.  Their stale ones are left to the writes of that name.
    QByteArray temporaryOf;
};

struct Written {
    Identity identity;   // of the file as placed
    timespec changed{};  // its change time: "now" on the folder's own clock
};

// Replaces the file at path with bytes: a temporary beside it is written,
// synced and renamed over it, and the folder is synced, so a failure or a
// crash leaves the old file or the new one whole.  An existing file's mode
// (keptModeBits) and group are kept; a new one gets newFileMode of its
// folder, or the umask's mode.  A link, folder, FIFO or device at the name
// is refused (at the first look and again just before the rename).  Stale
// temporaries of the file are removed afterwards.  Throws FileError; the
// temporary is then gone and the old file as it was.
Written replace(const QString &path, const QByteArray &bytes, const ReplaceOptions &options = {});

// Writes bytes as the file at path only if nothing stands there: the name
// is linked to a finished temporary, which fails with EEXIST when taken
// (where the file system has no hard links, a look and a rename are the
// best there is).  Throws FileError (Place with EEXIST when taken; its
// written time says when the temporary was written).  The temporary is
// named after temporaryOf (a name without folder) when given.
Written createNew(const QString &path, const QByteArray &bytes, const QByteArray &temporaryOf = {});

// Moves the file at path aside under a fresh temporary name beside it and
// returns that name; the system's error in *error (and an empty name)
// when it cannot.
QByteArray moveAside(const QByteArray &path, int *error);

// Gives the file aside the name path too, unless that is taken.
bool linkBack(const QByteArray &aside, const QByteArray &path);

// A fresh temporary name for target, beside it.
QByteArray tempNameFor(const QByteArray &target);
// Whether entry (a name without folder) is a temporary of target (a name
// without folder) in exactly the form tempNameFor makes.  Anything else (a
// teacher's "3101.ucd.backup") is never taken for one.
bool isTempOf(const QByteArray &entry, const QByteArray &target);
// The length of the ending a temporary adds.
constexpr int kTempSuffix = 15;
// A temporary whose last change is older than this on the file system's
// own clock is no longer being written by anyone: a write takes well under
// a second, so ten minutes leave room for a slow network and clock steps.
constexpr int kStaleTempSeconds = 600;
// Removes from folder the regular files that are temporaries of one of
// targets and were last changed more than kStaleTempSeconds before now (a
// time on the folder's file system).  Failures are ignored: a temporary
// that cannot be removed is left to the next write.
void removeStaleTemporaries(const QByteArray &folder, const QList<QByteArray> &targets, const timespec &now);

// The names in folder that begin with start; none where it cannot be listed.
QList<QByteArray> namesStartingWith(const QByteArray &folder, const QByteArray &start);

// Files in a class folder are shared by the class's group: new files get
// kSharedFileMode whatever the umask, or kOwnedFileMode where the folder has
// the sticky bit (a file belongs to the account that made it: the group
// reads, only the owner writes).  Elsewhere new files keep the umask's
// mode.  Set once at start by the code that chooses the folder.
void setGroupShared(bool shared);
bool groupShared();
constexpr unsigned kSharedFileMode = 0660;
constexpr unsigned kOwnedFileMode = 0640;
// Whether folder has the sticky bit: only a file's owner may then rename,
// replace or remove it.
bool stickyFolder(const QByteArray &folder);
// The mode a new file in folder is given, or 0 when it keeps the umask's.
unsigned newFileMode(const QByteArray &folder);
// The folder part of a path as the system sees it ("." for a bare name).
QByteArray folderOf(const QByteArray &path);

// What a file-system entry of the given mode is, in Japanese, when it is
// not a regular file ("シンボリックリンク", "フォルダー", ...).
QString kindOf(mode_t mode);
// The system's reason for err, in Japanese where it is one a learner or
// teacher may meet ("ファイルがありません", "シンボリックリンクは使えません").
QString reasonOf(int err);

}  // namespace platform::files
