// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One code, one player: while a program plays a user code it holds the
// code's hold file, "<code>.ucd.hold" beside the progress file.  The file
// names the holder (machine, process, a random token, the time) and is
// replaced atomically (a temporary renamed into place), so it works on
// network folders where the file server offers no reliable locks.
//
// The holder renews the file every kRenewSeconds while it plays; a hold
// not renewed for kExpirySeconds (a machine that crashed or lost the
// network) is stale and the next program takes it over, as is a hold of a
// process that no longer runs on this same machine.  A process is looked
// for only where it can be seen: the holder must be this machine (host name
// and machine id) in this boot (the kernel's boot id) and this process
// namespace.  Two machines cloned from one disk image share the host name
// and often the machine id; their holds, and those of earlier versions that
// named less, stand until they are old.
//
// A hold's age comes from what this machine can observe, never from a time
// written into the hold: "now" is the folder's own clock (the change time
// of a file this program has just written there), and the hold's age is
// the older of its modification time and its change time on that clock.
// The change time is set by the file system at every change (renaming,
// re-dating with touch) and cannot be set by anyone, so a hold re-dated into
// the future still ages from the moment it was re-dated.  Where the file
// system shows no change time of its own (sshfs gives the modification
// time), a hold dated more than kAheadSlackSeconds after the folder's now
// was not written by a program at all (each dates its hold by the folder's
// clock as it writes) and is stale at once.  So no hold, whatever its
// times, keeps a code longer than a crashed machine's does.  (A server
// clock stepped back makes live holds look dated ahead too: another program
// may then take one over, and the first is told at its next save, see
// mayStillSave; nothing saved is lost.)
//
// In a folder with the sticky bit (a class folder set up 3770) a hold counts
// only when it belongs to the account that owns the code's progress file (for
// a code with no file yet, the account that is about to make it): another
// account's hold there is ignored, so no pupil can block a classmate's code,
// nor a code nobody has saved yet.
//
// There a classmate may also leave a file, link, folder or FIFO at the
// hold's name while its pupil is not playing, and the pupil cannot remove
// it.  The hold then stands beside it, at "<code>.ucd.hold-" and 12
// random hex digits, a name made fresh at each start so that none can be
// taken in advance.  Whoever judges a code's hold (another program, the
// teacher's window) looks at every "<code>.ucd.hold" and
// "<code>.ucd.hold-…" in the folder, each counted by the rule above.  Two
// programs that placed a hold of one code at the same time both look
// again: the one whose hold was placed later removes its own and is told
// the code is in use; of two placed at the same moment (file times are
// coarse), the one whose name comes later.  A hold names when its program
// first placed it, so renewals do not make it the later one.
//
// The hold is released when the program ends.  A program whose hold was
// taken over by another (its own had gone stale), or whose hold vanished,
// never saves the code again: see mayStillSave.

#include "platform/Timer.h"

#include <QObject>
#include <QString>
#include <functional>

#include <ctime>

#include <sys/stat.h>

namespace state {

struct Session;

class CodeHold : public QObject {
public:
    static constexpr int kRenewSeconds = 30;
    static constexpr int kExpirySeconds = 120;
    // How far a hold's time may be ahead of this program's look at the
    // folder's clock: a renewal that lands between the two.
    static constexpr int kAheadSlackSeconds = 10;

    enum class Outcome {
        Held,         // this program holds the code now
        InUse,        // another running program holds it
        Unavailable,  // no hold could be written (a read-only folder):
                      // play on without one; the save reports what is
                      // wrong with the folder
        OtherAccount  // a stale hold of another account that this one may
                      // not take over (a folder with the sticky bit)
    };

    // Who holds a code, as its hold file says.  machine is the machine id
    // (empty in holds of earlier versions, which named the host alone).
    // boot and processNamespace (the kernel's boot id and the process
    // namespace) are empty in holds of earlier versions.
    struct Holder {
        QString host;
        QByteArray machine;
        qint64 pid = 0;
        QByteArray token;
        QByteArray boot;
        QByteArray processNamespace;
        // Where the player stands, as of the hold's last renewal: the
        // question (0 when not on a question of the course, -1 when the
        // hold does not say) and the misses on it.
        int question = -1;
        int misses = 0;
        // When its program placed the hold first, on the folder's clock
        // (nanoseconds), or 0 when the hold does not say: a fresh one.
        qint64 since = 0;
        // Since when it has named its question: the change time of the
        // renewal that first named it, on the folder's clock (nanoseconds),
        // or 0 when it does not say (the first renewal naming it).
        qint64 questionSince = 0;
    };

    // Where the player stands now.  The course sets it, so that every
    // renewal writes the question played and its misses into the hold: the
    // progress file is written only at HELP, at a quit and after every
    // fifth question, and the teacher's window reads from the hold which
    // question a pupil is on between saves.  Unset, the hold says question 0.
    struct Place {
        int question = 0;
        int misses = 0;
    };
    static void setPlace(std::function<Place()> place);
    // The course's place in run m: its question and misses, none once the
    // question is answered right (the pupil is past it, on the history
    // screen after the last one) or outside the course.
    static Place placeOf(const Session &m);

    // Whether a hold whose file says holder and whose status is st stands
    // at now, a time on the folder's clock (see above).
    static bool isLive(const Holder &holder, const struct stat &st, const timespec &now);
    // Whether the hold file at holdPath stands at folderNow (a time on the
    // folder's clock, such as the change time of a file just written
    // there); false when there is no readable hold file (a link, folder
    // or FIFO in its place).  Only reads, never waits.  *holder says who
    // holds it (a damaged hold names nobody).
    static bool isHoldFileLive(const QString &holdPath, const timespec &folderNow, Holder *holder = nullptr);
    // Whether holder is provably this machine in this boot and this
    // process namespace (host name, machine id, boot id and namespace all
    // the same), where its process can be looked for.
    static bool onThisMachine(const Holder &holder);
    // This machine's id (/etc/machine-id), empty where there is none.
    static QByteArray machineId();
    // The kernel's id of this boot, and this process's process namespace
    // ("pid:[4026531836]"); empty where they cannot be read.
    static QByteArray bootId();
    static QByteArray processNamespace();

    explicit CodeHold(QObject *parent = nullptr);
    ~CodeHold() override;  // releases

    // Takes the hold of the progress file at progressPath (relative to the
    // working folder or absolute), releasing any other hold first.  On
    // InUse, *holder (when given) says who holds it.
    Outcome acquire(const QString &progressPath, Holder *holder = nullptr);
    // Writes the hold file again with a fresh time, if it is still ours;
    // a hold another program took over (ours had gone stale) is given up.
    void renew();
    // Removes the hold file if it is still ours.
    void release();
    // Whether this program may still save the code it played: false once
    // another program has taken its hold over or the hold has vanished
    // (found now or at a renewal), with the taker (if any) in *taker.  True
    // when no hold is kept at all.
    bool mayStillSave(Holder *taker = nullptr);

    bool holding() const { return !path_.isEmpty(); }
    // The hold file's absolute path while holding, else empty.
    QString holdPath() const { return path_; }
    // The renewal timer (tests fire it).
    platform::Timer &renewTimer() { return timer_; }

    // Whether an entry at path beside progressFile, of account owner, may
    // count as the code's own (its hold, its review record): anywhere but in
    // a folder with the sticky bit, yes; there only when owner owns the
    // progress file, or for a code with no file yet is this account.
    static bool ownerCounts(const QByteArray &path, const QByteArray &progressFile, uid_t owner);
    // The hold file of a progress file.
    static QString holdPathFor(const QString &progressPath);

private:
    void lose(const Holder &taker);
    // Places the hold beside path, where something that does not count
    // stands at the hold's own name.
    Outcome holdBeside(const QByteArray &path, const QByteArray &token, Holder *holder);
    // Having placed the hold at path at placed (on the folder's clock),
    // keeps it unless another program holds the code too and placed its
    // hold earlier (see above).
    Outcome settle(const QByteArray &path, const QByteArray &token, const timespec &placed, Holder *holder);
    // Removes this program's hold for other's: InUse.
    Outcome yieldTo(const Holder &other, Holder *holder);

    QString path_;
    QByteArray token_;
    qint64 since_ = 0;
    int namedQuestion_ = 0;  // the question the last renewal named, and its first renewal's change time
    qint64 namedAt_ = 0;
    bool lost_ = false;
    Holder taker_;
    platform::Timer timer_;
};

// The program's one hold, owned by the application object.
CodeHold &codeHold();

}  // namespace state
