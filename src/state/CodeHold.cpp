// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/CodeHold.h"

#include "platform/Services.h"
#include "state/FolderNames.h"
#include "state/SaveFiles.h"
#include "state/Session.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRandomGenerator>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace state {

namespace {

constexpr qsizetype kMaxHoldFile = 4096;
// How long a program whose hold was placed at the same moment as another's
// waits for the other to give its up.
constexpr int kTieWaitMs = 500;

QString thisHost() { return QSysInfo::machineHostName(); }

// The first bytes of a small system file, which may be a link (the
// system's own, as /etc/machine-id often is); empty when it cannot be read.
QByteArray readSystemFile(const char *path) {
    const files::ReadResult r =
        files::read(QString::fromLatin1(path), {64, files::Longer::Cut, files::Links::Followed});
    return r.outcome == files::ReadResult::Outcome::Read ? r.bytes : QByteArray();
}

// A machine id as the system keeps it: 32 hexadecimal digits on one line.
QByteArray readMachineId(const char *path) {
    const QByteArray id = readSystemFile(path).trimmed();
    if (id.size() != 32) return {};
    for (const char c : id)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return {};
    return id;
}

// One line of a small system file (the boot id), or empty.
QByteArray readLine(const char *path) {
    const QByteArray line = readSystemFile(path).trimmed();
    return line.contains('\n') ? QByteArray() : line;
}

QByteArray newToken() {
    QByteArray raw(16, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(raw.data()), 4);
    return raw.toHex();
}

std::function<CodeHold::Place()> &placeSource() {
    static std::function<CodeHold::Place()> source;
    return source;
}

CodeHold::Place currentPlace() { return placeSource() ? placeSource()() : CodeHold::Place{}; }

// The hold's text: its holder, the place, when it was first placed and
// since when it has named the question it names (0: not said).
QByteArray content(const QByteArray &token, qint64 since = 0, const CodeHold::Place &place = currentPlace(),
                   qint64 questionSince = 0) {
    const QByteArray machine = CodeHold::machineId();
    const QByteArray boot = CodeHold::bootId(), processes = CodeHold::processNamespace();
    return "pomurin20 hold\nhost " + thisHost().toUtf8() + (machine.isEmpty() ? "" : "\nmachine " + machine) +
           (boot.isEmpty() ? "" : "\nboot " + boot) + (processes.isEmpty() ? "" : "\npidns " + processes) + "\npid " +
           QByteArray::number(::getpid()) + "\ntoken " + token + "\nquestion " + QByteArray::number(place.question) +
           "\nmisses " + QByteArray::number(place.misses) + (since ? "\nsince " + QByteArray::number(since) : "") +
           (questionSince ? "\nquestionsince " + QByteArray::number(questionSince) : "") + "\ntime " +
           QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1() + "\n";
}

// The holder named by a hold file's content; unknown lines are ignored.
CodeHold::Holder parseHolder(const QByteArray &text) {
    CodeHold::Holder h;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space < 0) continue;
        const QByteArray key = line.left(space), value = line.mid(space + 1);
        if (key == "host")
            h.host = QString::fromUtf8(value);
        else if (key == "machine")
            h.machine = value;
        else if (key == "boot")
            h.boot = value;
        else if (key == "pidns")
            h.processNamespace = value;
        else if (key == "pid")
            h.pid = value.toLongLong();
        else if (key == "token")
            h.token = value;
        else if (key == "since")
            h.since = std::max(0LL, value.toLongLong());
        else if (key == "questionsince")
            h.questionSince = std::max(0LL, value.toLongLong());
        else if (key == "question" || key == "misses") {
            // Another machine's word: anything but a small count is not said at all.
            bool ok = false;
            const int n = value.toInt(&ok);
            if (ok && n >= 0 && n <= (key == "question" ? kQuestions : 9999))
                (key == "question" ? h.question : h.misses) = n;
        }
    }
    return h;
}

// Reads a hold file without following a link or waiting on a FIFO.
// Returns false when there is no regular file to read (errno says why:
// ENOENT when there is none).
bool readHold(const QByteArray &path, CodeHold::Holder *holder, struct stat *st) {
    const files::ReadResult r = files::read(QFile::decodeName(path), {kMaxHoldFile, files::Longer::Cut});
    if (r.outcome != files::ReadResult::Outcome::Read) {
        errno = r.outcome == files::ReadResult::Outcome::Missing ? ENOENT : r.error ? r.error : EINVAL;
        return false;
    }
    *st = r.status;
    *holder = parseHolder(r.bytes);
    return true;
}

// Whether a hold file counts where it stands: in a folder with the sticky
// bit only a hold of the account that owns the code's progress file does
// (any hold, for a code with no file yet), since another account's hold
// there could block a classmate's code for as long as its owner liked.
bool countsHere(const QByteArray &holdPath, const struct stat &hold) {
    return CodeHold::ownerCounts(holdPath, names::progressOfHold(holdPath), hold.st_uid);
}

// Whether what stands at a hold's path does not count there and cannot be
// a hold at all: a link, folder, FIFO or device, or another account's file
// that counts nowhere (see countsHere).
bool plantedAt(const QByteArray &path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && (!S_ISREG(st.st_mode) || !countsHere(path, st));
}

qint64 nanoseconds(const timespec &t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; }

QByteArray lastPart(const QByteArray &path) { return path.mid(path.lastIndexOf('/') + 1); }

}  // namespace

bool CodeHold::ownerCounts(const QByteArray &path, const QByteArray &progressFile, uid_t owner) {
    if (!files::stickyFolder(files::folderOf(path))) return true;
    struct stat progress {};
    return owner == (::lstat(progressFile.constData(), &progress) == 0 ? progress.st_uid : ::geteuid());
}

QByteArray CodeHold::machineId() {
    static const QByteArray id = [] {
        const QByteArray etc = readMachineId("/etc/machine-id");
        return etc.isEmpty() ? readMachineId("/var/lib/dbus/machine-id") : etc;
    }();
    return id;
}

QByteArray CodeHold::bootId() {
    static const QByteArray id = readLine("/proc/sys/kernel/random/boot_id");
    return id;
}

QByteArray CodeHold::processNamespace() {
    static const QByteArray name = [] {
        char link[64];
        const ssize_t n = ::readlink("/proc/self/ns/pid", link, sizeof link - 1);
        return n > 0 ? QByteArray(link, n) : QByteArray();
    }();
    return name;
}

bool CodeHold::onThisMachine(const Holder &holder) {
    // Clones of one disk image share the host name and often the machine
    // id; the boot id and the process namespace tell them apart (and a
    // container on this machine from this machine itself).
    return holder.host == thisHost() && holder.machine == machineId() && !holder.boot.isEmpty() &&
           holder.boot == bootId() && !holder.processNamespace.isEmpty() &&
           holder.processNamespace == processNamespace();
}

bool CodeHold::isLive(const Holder &holder, const struct stat &st, const timespec &now) {
    if (onThisMachine(holder) && holder.pid > 0) {
        // Only a process this program can see is looked for: a hold of
        // this program itself is a leftover; one of a process that has
        // ended here is stale at once.  Any other holder's hold stands
        // until it is old.
        if (holder.pid == ::getpid()) return false;
        if (::kill(static_cast<pid_t>(holder.pid), 0) != 0 && errno == ESRCH) return false;
    }
    const long long changedAgo = static_cast<long long>(now.tv_sec) - static_cast<long long>(st.st_ctim.tv_sec);
    const long long writtenAgo = static_cast<long long>(now.tv_sec) - static_cast<long long>(st.st_mtim.tv_sec);
    // A time a moment after this program's own write (a renewal between
    // the two) is fresh; one further ahead was not written by a program on
    // this clock, which dates every hold by the folder's clock as it writes.
    if (changedAgo < -kAheadSlackSeconds || writtenAgo < -kAheadSlackSeconds) return false;
    return changedAgo <= kExpirySeconds && writtenAgo <= kExpirySeconds;
}

bool CodeHold::isHoldFileLive(const QString &holdPath, const timespec &folderNow, Holder *holder) {
    const QByteArray path = QFile::encodeName(holdPath);
    Holder current;
    struct stat st {};
    if (!readHold(path, &current, &st) || !countsHere(path, st)) return false;
    if (holder) *holder = current;
    return isLive(current, st, folderNow);
}

void CodeHold::lose(const Holder &taker) {
    if (taker.token.isEmpty())
        std::fprintf(stderr, "pomurin20: the hold %s is gone; this code is not saved again\n",
                     qPrintable(platform::visibleText(path_)));
    else
        std::fprintf(stderr,
                     "pomurin20: the hold %s was taken over by %s (process %lld); this code is not saved again\n",
                     qPrintable(platform::visibleText(path_)), qPrintable(platform::visibleText(taker.host)),
                     static_cast<long long>(taker.pid));
    timer_.setEnabled(false);
    path_.clear();
    token_.clear();
    since_ = 0;
    lost_ = true;
    taker_ = taker;
}

bool CodeHold::mayStillSave(Holder *taker) {
    if (holding()) {
        Holder current;
        struct stat st {};
        // A hold that vanished (the other program ended and removed its
        // own) is as lost as one taken over.
        if (readHold(QFile::encodeName(path_), &current, &st) ? current.token != token_ : errno == ENOENT)
            lose(current);
    }
    if (lost_ && taker) *taker = taker_;
    return !lost_;
}

CodeHold::CodeHold(QObject *parent) : QObject(parent), timer_(this, kRenewSeconds * 1000, false) {
    timer_.onTick = [this] { renew(); };
}

CodeHold::~CodeHold() { release(); }

QString CodeHold::holdPathFor(const QString &progressPath) {
    return QDir::cleanPath(QDir::current().absoluteFilePath(progressPath)) + QLatin1String(names::kHoldEnding);
}

CodeHold::Outcome CodeHold::acquire(const QString &progressPath, Holder *holder) {
    const QString wanted = holdPathFor(progressPath);
    // The same code, held at its usual name or beside it: kept.
    if (holding() &&
        names::progressOfHold(QFile::encodeName(path_)) == names::progressOfHold(QFile::encodeName(wanted))) {
        renew();
        if (holding()) return Outcome::Held;
    }
    release();
    lost_ = false;
    taker_ = {};
    const QByteArray path = QFile::encodeName(wanted);
    const QByteArray token = newToken();
    // A few rounds: a stale hold is moved aside and the round starts again;
    // another program taking the same stale hold at the same moment makes
    // one of the two see the other's fresh hold in the next round.
    for (int round = 0; round < 4; ++round) {
        // The hold's own time on the folder's clock: when it was written.
        timespec now{};
        int placed = 0;
        try {
            now = files::createNew(wanted, content(token)).changed;
        } catch (const files::FileError &e) {
            if (e.step != files::FileError::Step::Place) return Outcome::Unavailable;  // not even written
            placed = e.error;
            now = e.written;
        }
        if (placed == 0) {
            // Where the rename fallback was used two programs may both
            // have placed theirs; the file says who won.
            Holder back;
            struct stat st {};
            if (!readHold(path, &back, &st) || back.token != token) {
                if (holder) *holder = back;
                return Outcome::InUse;
            }
            return settle(path, token, now, holder);
        }
        if (placed != EEXIST) return Outcome::Unavailable;

        Holder current;
        struct stat st {};
        if (!readHold(path, &current, &st)) {
            if (errno == ENOENT) continue;  // released meanwhile
            // A link, folder or FIFO in its place: held beside it.  A hold
            // that cannot be read for a moment (the network): none.
            return plantedAt(path) ? holdBeside(path, token, holder) : Outcome::Unavailable;
        }
        // Another account's hold on this code's file, in a sticky folder:
        // ignored, and not ours to replace; held beside it.
        if (!countsHere(path, st)) return holdBeside(path, token, holder);
        if (isLive(current, st, now)) {
            if (holder) *holder = current;
            return Outcome::InUse;
        }
        // Stale: move it aside under a name of our own; only one program
        // can move it.  If what was moved is not the hold judged stale
        // (someone took it over in between), it goes back.
        int moveError = 0;
        const QByteArray aside = files::moveAside(path, &moveError);
        if (aside.isEmpty()) {
            if (moveError == ENOENT) continue;
            // In a folder with the sticky bit only its owner may move a
            // hold.  One that counts here is another account's on a code
            // with no file yet or with theirs: the code is theirs.
            if ((moveError == EPERM || moveError == EACCES) && st.st_uid != ::geteuid()) {
                if (holder) *holder = current;
                return Outcome::OtherAccount;
            }
            return Outcome::Unavailable;
        }
        Holder moved;
        struct stat movedSt {};
        if (readHold(aside, &moved, &movedSt) && moved.token != current.token) (void)files::linkBack(aside, path);
        ::unlink(aside.constData());
    }
    return Outcome::Unavailable;
}

CodeHold::Outcome CodeHold::holdBeside(const QByteArray &path, const QByteArray &token, Holder *holder) {
    // A name taken meanwhile gets another.  None can be read from the
    // temporary in advance: it is named after the usual hold.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const QByteArray beside = path + '-' + newToken().left(names::kBesideDigits);
        try {
            const timespec placed = files::createNew(QFile::decodeName(beside), content(token), lastPart(path)).changed;
            return settle(beside, token, placed, holder);
        } catch (const files::FileError &e) {
            if (e.step != files::FileError::Step::Place || e.error != EEXIST) return Outcome::Unavailable;
        }
    }
    return Outcome::Unavailable;
}

CodeHold::Outcome CodeHold::settle(const QByteArray &path, const QByteArray &token, const timespec &placed,
                                   Holder *holder) {
    path_ = QFile::decodeName(path);
    token_ = token;
    // When it was placed, as others see it: its change time once in place
    // (linking a file changes it too).
    struct stat mine {};
    since_ = nanoseconds(::lstat(path.constData(), &mine) == 0 ? mine.st_ctim : placed);
    // The pupil's other machine may hold the code at the usual name or
    // beside it: every hold of the code in the folder is looked at.
    const QByteArray code = lastPart(names::progressOfHold(path)), usual = code + names::kHoldEnding;
    std::pair<QByteArray, Holder> tied;  // a hold placed at the same moment as ours, and its holder
    for (const QByteArray &name : files::namesStartingWith(files::folderOf(path), usual)) {
        if (name == lastPart(path) || names::progressOfHold(name) != code) continue;  // ours, or not this code's
        const QByteArray other = path.left(path.lastIndexOf('/') + 1) + name;
        Holder theirs;
        struct stat st {};
        if (!readHold(other, &theirs, &st) || !countsHere(other, st)) continue;
        if (!isLive(theirs, st, placed)) {
            // One left beside the usual name by a crash of this account's
            // program: its own to remove.
            if (name != usual && st.st_uid == ::geteuid()) ::unlink(other.constData());
            continue;
        }
        const qint64 theirStart = theirs.since ? theirs.since : nanoseconds(st.st_ctim);
        if (theirStart < since_ || (theirStart == since_ && name < lastPart(path))) return yieldTo(theirs, holder);
        if (theirStart == since_) tied = {other, theirs};
    }
    if (!tied.first.isEmpty()) {
        // Placed at the same moment (file times are coarse), with a name
        // after ours: that program removes its hold once it sees ours, but
        // one that looked before ours was placed keeps it.  Still there a
        // moment later: ours goes.
        std::this_thread::sleep_for(std::chrono::milliseconds(kTieWaitMs));
        struct stat st {};
        if (::lstat(tied.first.constData(), &st) == 0) return yieldTo(tied.second, holder);
    }
    timer_.setEnabled(true);
    return Outcome::Held;
}

CodeHold::Outcome CodeHold::yieldTo(const Holder &other, Holder *holder) {
    release();
    if (holder) *holder = other;
    return Outcome::InUse;
}

void CodeHold::renew() {
    if (!holding()) return;
    const QByteArray path = QFile::encodeName(path_);
    Holder current;
    struct stat st {};
    if (!readHold(path, &current, &st)) {
        // Gone: another program took it over meanwhile and has removed it
        // at its end, so the progress file may hold its newer save; never
        // made again.  Unreadable for a moment (the network): the next
        // tick looks again.
        if (errno == ENOENT) lose({});
        return;
    } else if (current.token != token_) {
        lose(current);
        return;
    }
    try {
        // Temporaries are named after the usual hold, even for one beside it.
        files::ReplaceOptions options;
        options.temporaryOf = lastPart(names::progressOfHold(path) + names::kHoldEnding);
        // A question stands since the first renewal that named it, dated
        // by that renewal's change time on the folder's clock; later
        // renewals say so, so a window opened meanwhile counts from it.
        const Place place = currentPlace();
        const bool same = place.question > 0 && place.question == namedQuestion_;
        const files::Written written =
            files::replace(path_, content(token_, since_, place, same ? namedAt_ : 0), options);
        if (!same) {
            namedQuestion_ = place.question;
            namedAt_ = nanoseconds(written.changed);
        }
    } catch (const files::FileError &) {
        // The next tick tries again.
    }
}

void CodeHold::release() {
    timer_.setEnabled(false);
    if (!holding()) return;
    const QByteArray path = QFile::encodeName(path_);
    Holder current;
    struct stat st {};
    if (readHold(path, &current, &st) && current.token == token_) ::unlink(path.constData());
    path_.clear();
    token_.clear();
    since_ = 0;
    namedQuestion_ = 0;
    namedAt_ = 0;
}

void CodeHold::setPlace(std::function<Place()> place) { placeSource() = std::move(place); }

CodeHold::Place CodeHold::placeOf(const Session &m) {
    return Session::inRange(m.question) && !m.answeredRight ? Place{m.question, m.misses[size_t(m.question)]} : Place{};
}

CodeHold &codeHold() {
    static QPointer<CodeHold> hold;
    if (!hold) {
        hold = new CodeHold(QCoreApplication::instance());
        // Released when the event loop ends, while timers can still be
        // stopped; the application's end deletes it too.
        if (auto *app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, hold.data(), [] { codeHold().release(); });
    }
    return *hold;
}

}  // namespace state
