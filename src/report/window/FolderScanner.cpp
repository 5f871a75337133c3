// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/FolderScanner.h"

#include "platform/Services.h"
#include "state/CodeHold.h"
#include "state/ReviewRecord.h"

#include <QFile>

#include <ctime>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>
#include <system_error>
#include <thread>
#include <tuple>
#include <unordered_map>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace report::window {

namespace {

// Closes the listing however the look ends.
struct Listing {
    DIR *dir = nullptr;
    ~Listing() {
        if (dir) ::closedir(dir);
    }
};

// Names examined between two reports of progress (and chances to stop);
// a batch of at least kParallelFrom is shared among threads.
constexpr size_t kBatch = 512;
constexpr int kParallelFrom = 16;

// Threads besides the scanner's own that share a batch: the machine's
// cores up to four in all, so a teacher's machine keeps one for the window.
int helperThreads() {
    static const int helpers = std::clamp(int(std::thread::hardware_concurrency()), 1, 4) - 1;
    return helpers;
}
constexpr std::string_view kReviewSuffix = ".review";

// A hold of a code in play: "<code>.ucd.hold", or one beside it (see CodeHold).
QByteArray progressOfHold(const char *name, size_t length) {
    const QByteArray of = state::CodeHold::progressNameOfHold(QByteArray::fromRawData(name, qsizetype(length)));
    return of.size() > 4 && of.endsWith(".ucd") ? QByteArray(of.constData(), of.size()) : QByteArray();
}

// The progress file a review record's name (at the usual name or beside
// it) belongs to, or empty.
QByteArray progressOfReview(std::string_view name) {
    if (name.find(kReviewSuffix) == std::string_view::npos) return {};
    return state::review::progressNameOfRecord(QByteArray(name.data(), qsizetype(name.size())));
}


// How many looks make one look at every file, by the file system's kind:
// a local folder a minute at the window's 5 seconds between looks; a
// network folder, whose files another machine may rewrite in place
// unnoticed by notifications, at most one look late.
int fullEvery(FolderScanner::Inodes inodes) {
    switch (inodes) {
    case FolderScanner::Inodes::Stable: return 12;
    case FolderScanner::Inodes::Network: return 2;
    case FolderScanner::Inodes::Unstable: break;
    }
    return 1;
}

}  // namespace

// Takes what a code's holds say into its pupil; true when anything the
// window shows of it changed.  A question the hold names stands since the
// hold says it first named it, else since this look first saw it named
// (its first naming, at most a renewal late), or since a save of this
// game that showed it; never since a save from before the game began,
// such as yesterday's on the question a pupil continues from.  A hold
// that names no question leaves the file's word, from the game's start on.
bool followPlay(Pupil &p, qint64 fileSince, const Play &play) {
    const int beforeQuestion = p.holdQuestion, beforeMisses = p.holdMisses;
    const qint64 beforeSince = p.questionSince;
    const bool hostChanged = p.playingOn != play.host || p.holdAhead != play.ahead;
    p.playingOn = play.host;
    p.holdAhead = play.ahead;
    const int played = play.host.isEmpty() ? -1 : play.question;
    // A time a pupil may have written is held between the game's start
    // (when said) and the hold's last change.
    const auto within = [&play](qint64 t) { return std::clamp(t, std::min(play.placed, play.changed), play.changed); };
    if (played <= 0)
        p.questionSince = play.host.isEmpty() || fileSince <= 0 ? fileSince : std::max(fileSince, play.placed);
    else if (play.named > 0)
        p.questionSince = within(play.named);
    else if (played != beforeQuestion)
        p.questionSince = played == p.questionNo && play.placed > 0 && fileSince >= play.placed
                              ? std::min(fileSince, play.changed)
                              : play.changed;
    p.holdQuestion = played;
    p.holdMisses = played > 0 ? play.misses : 0;
    return hostChanged || p.holdQuestion != beforeQuestion || p.holdMisses != beforeMisses ||
           p.questionSince != beforeSince;
}

bool rowLess(const Row &a, const Row &b) {
    if (codeLess(a.pupil.code, b.pupil.code)) return true;
    if (codeLess(b.pupil.code, a.pupil.code)) return false;
    return a.key < b.key;
}

qint64 FolderClock::now(qint64 folderChanged, const std::vector<qint64> &holdTimes, qint64 teacherWall,
                        qint64 steadyMs) {
    now_ = 0;
    if (folderChanged <= 0 || folderChanged < teacherWall - kTrustSeconds || folderChanged > teacherWall + kTrustSeconds) {
        folderSeen_ = 0;
        return 0;
    }
    if (folderChanged != folderSeen_) {
        folderSeen_ = folderChanged;
        seenAtMs_ = steadyMs;
    }
    const qint64 folder = folderChanged + std::max<qint64>(0, steadyMs - seenAtMs_) / 1000;
    qint64 newest = 0;
    for (const qint64 t : holdTimes)
        if (t <= folder + kAheadSeconds) newest = std::max(newest, t);
    now_ = newest > 0 ? std::max(folder, newest) : 0;
    return now_;
}

bool FolderClock::datedAhead(qint64 time) const {
    return now_ > 0 && time > now_ + state::CodeHold::kAheadSlackSeconds;
}

FolderScanner::TeacherClock FolderScanner::teacherClock() const {
    if (clock_) return clock_();
    using namespace std::chrono;
    return {qint64(std::time(nullptr)),
            qint64(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count())};
}

// The file system's magic numbers as statfs gives them.  FUSE (sshfs and
// others) makes inode numbers up unless told otherwise, SMB/CIFS may
// reuse or invent them, 9p and the FAT family give numbers that change
// when the inode leaves the cache: those folders are examined whole at
// every look.  NFS keeps the server's numbers but another machine's
// in-place write is seen only by looking at the file.
FolderScanner::Inodes FolderScanner::inodesOf(int dirFd) {
    struct statfs fs {};
    if (::fstatfs(dirFd, &fs) != 0) return Inodes::Unstable;
    switch (static_cast<unsigned long>(fs.f_type) & 0xffffffffUL) {
    case 0x65735546UL:  // FUSE
    case 0x517BUL:      // SMB
    case 0xFF534D42UL:  // CIFS
    case 0xFE534D42UL:  // SMB2
    case 0x01021997UL:  // 9p
    case 0x4d44UL:      // FAT
    case 0x2011BAB0UL:  // exFAT
    case 0x5346544eUL:  // NTFS
        return Inodes::Unstable;
    case 0x6969UL:      // NFS
    case 0x6B414653UL:  // AFS
    case 0x00C36400UL:  // Ceph
        return Inodes::Network;
    default: return Inodes::Stable;
    }
}

// Examines count names the listing did not show unchanged: lstat of the
// file and of its review record, and a read of each whose lstat differs
// from what was seen before; returns how many were read.  Reading is most
// of a first look's time, so a batch may be shared among threads, each
// taking the next name in turn; every entry is written by one thread, and
// the cache is only read meanwhile.  A batch that only stats is not
// shared: the threads would cost more than they save.
int FolderScanner::examineBatch(int dirFd, const QString &prefix, const QDate &today, bool shared, Examined *batch,
                                int count) const {
    const auto seenOf = [](const struct stat &st) {
        return Seen{quint64(st.st_dev),
                    quint64(st.st_ino),
                    qint64(st.st_size),
                    qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                    qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec,
                    quint32(st.st_mode)};
    };
    const auto examine = [&](Examined &e) {
        const QByteArray &name = e.name;
        struct stat st {};
        // Never follows a link: a link is a row of its own ("not followed").
        if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            e.gone = true;
            return;
        }
        e.seen = seenOf(st);
        e.mtime = qint64(st.st_mtim.tv_sec);
        // The review's record beside it is part of the row: a change to it
        // alone reads the row again.
        struct stat rst {};
        const QString record = e.listedReview == 0 ? QString()
                               : state::review::recordPath(prefix + QFile::decodeName(name.chopped(4) + ".review"),
                                                           prefix + QFile::decodeName(name));
        if (!record.isEmpty() &&
            ::fstatat(dirFd, QFile::encodeName(record.mid(prefix.size())).constData(), &rst, AT_SYMLINK_NOFOLLOW) == 0)
            e.review = seenOf(rst);
        const auto known = cache_.constFind(name);
        if (known != cache_.cend() && known->read && known->seen == e.seen && known->review == e.review) return;
        // The listing's own type for the reason of a row that is not a
        // regular file, taken from lstat because it was called anyway.
        const QString decoded = QFile::decodeName(name);
        const bool nameIsText = QFile::encodeName(decoded) == name;
        e.pupil = readEntry(prefix, decoded, static_cast<unsigned char>(IFTODT(st.st_mode)), nameIsText, today,
                            e.listedReview != 0);
        e.fresh = true;
    };
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int k; (k = next++) < count;) examine(batch[k]);
    };
    std::vector<std::thread> helpers;
    for (int t = shared && count >= kParallelFrom ? helperThreads() : 0; t > 0; --t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error &) {
            break;  // no thread to be had: fewer share the batch
        }
    }
    work();
    for (std::thread &helper : helpers) helper.join();
    return int(std::count_if(batch, batch + count, [](const Examined &e) { return e.fresh; }));
}

ListingDiff compareListings(const ListedNames &before, const ListedNames &now) {
    ListingDiff diff;
    std::vector<char> seen(before.entries.size(), 0);
    std::unordered_map<std::string_view, quint32> where;  // made at the first step out of order
    size_t next = 0;                                      // the entry of before expected next
    for (quint32 k = 0; k < now.entries.size(); ++k) {
        const std::string_view name = now.name(k);
        size_t at = next;
        if (at >= before.entries.size() || before.name(at) != name) {
            if (where.empty() && !before.entries.empty()) {
                where.reserve(before.entries.size());
                for (quint32 i = 0; i < before.entries.size(); ++i) where.emplace(before.name(i), i);
            }
            const auto found = where.find(name);
            if (found == where.end()) {
                diff.changed.push_back(k);  // new
                continue;
            }
            at = found->second;
        }
        seen[at] = 1;
        next = at + 1;
        if (before.entries[at].inode != now.entries[k].inode) diff.changed.push_back(k);
    }
    for (quint32 i = 0; i < before.entries.size(); ++i)
        if (!seen[i]) diff.removed.push_back(i);
    return diff;
}

void FolderScanner::reset() {
    cache_.clear();
    listed_ = {};
    reviewInodes_.clear();
    inPlace_.clear();
    followed_.clear();
    recheck_.clear();
    fastLooks_ = 0;
    listedOnce_ = false;
    folderClock_ = {};
}

ScanDelta FolderScanner::scan(const QString &folder, const KeepGoing &keepGoing) {
    if (folder != folder_) {
        reset();
        folder_ = folder;
    }
    ScanDelta delta;
    delta.folder = folder;
    delta.readAt = QDateTime::currentDateTime();
    delta.complete = !listedOnce_;

    const QByteArray encoded = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    Listing listing;
    listing.dir = ::opendir(encoded.constData());
    if (!listing.dir) {
        delta.error = folderFailure(folder, errno);
        return delta;  // rows stay as they were: a network folder may come back
    }
    delta.assignment = state::assignment::read(folder);
    // The names first, so that progress can say how many there are; the
    // holds of codes in play beside them.
    std::vector<QByteArray> holds;
    ListedNames listed;
    listed.names.reserve(listed_.names.size() + 1024);
    listed.entries.reserve(listed_.entries.size() + 32);
    int total = 0;
    bool inodeless = false;  // a name listed without an inode number
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(listing.dir);
        if (!entry) {
            if (errno != 0) {
                delta.error = folderFailure(folder, errno);
                return delta;
            }
            break;
        }
        const size_t length = std::strlen(entry->d_name);
        inodeless = inodeless || entry->d_ino == 0;
        const bool progressFile = length >= 4 && std::memcmp(entry->d_name + length - 4, ".ucd", 4) == 0;
        if (progressFile || !progressOfReview({entry->d_name, length}).isEmpty()) {
            listed.entries.push_back({quint32(listed.names.size()), quint32(length), quint64(entry->d_ino)});
            listed.names.append(entry->d_name, length);
            total += progressFile ? 1 : 0;
        } else if (std::string_view(entry->d_name, length).find(".ucd.hold") != std::string_view::npos &&
                   !progressOfHold(entry->d_name, length).isEmpty()) {
            holds.emplace_back(entry->d_name, qsizetype(length));
        }
    }
    delta.files = total;

    const QString prefix = QFile::decodeName(encoded) + QLatin1Char('/');
    const int dirFd = ::dirfd(listing.dir);
    // Every file is examined at the first look, every few looks, and at
    // every look where the listing's inode numbers cannot be trusted;
    // otherwise only names the listing shows new or replaced.
    const Inodes kind = inodeless ? Inodes::Unstable : probe_ ? probe_(dirFd) : inodesOf(dirFd);
    const bool examineAll = !listedOnce_ || fastLooks_ + 1 >= fullEvery(kind);
    fastLooks_ = examineAll ? 0 : fastLooks_ + 1;
    // Who plays which code now, by the progress file's name, judged on the
    // folder's own clock (see FolderClock).  A hold's liveness changes
    // with time alone, so every look asks again.  A name the game never
    // gives a file (a look-alike of a classmate's code) has no hold.
    struct Stood {
        QByteArray name, code;  // the hold's, and its progress file's
        qint64 changed = 0, latest = 0;  // its change time, the later of that and its modification time
    };
    std::vector<Stood> stood;
    std::vector<qint64> holdTimes;
    for (const QByteArray &hold : holds) {
        struct stat st {};
        Stood s{hold, progressOfHold(hold.constData(), size_t(hold.size()))};
        const QString decoded = QFile::decodeName(s.code);
        if (QFile::encodeName(decoded) != s.code || !lookAlikeReason(decoded.chopped(4)).isEmpty() ||
            ::fstatat(dirFd, hold.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        s.changed = st.st_ctim.tv_sec;
        s.latest = std::max<qint64>(s.changed, st.st_mtim.tv_sec);
        holdTimes.push_back(s.changed);
        stood.push_back(std::move(s));
    }
    struct stat folderSt {};
    const qint64 folderChanged = ::fstat(dirFd, &folderSt) == 0 ? qint64(folderSt.st_mtim.tv_sec) : 0;
    const TeacherClock teacher = teacherClock();
    delta.folderNow = folderClock_.now(folderChanged, holdTimes, teacher.wallSeconds, teacher.steadyMs);
    QHash<QByteArray, Play> playing;
    const timespec now{time_t(delta.folderNow), 0};
    for (const Stood &hold : delta.folderNow ? stood : std::vector<Stood>{}) {
        Play &play = playing[hold.code];
        state::CodeHold::Holder holder;
        if (folderClock_.datedAhead(hold.latest)) {
            play.ahead = true;  // not written by a game: named, never believed
        } else if (play.host.isEmpty() &&
                   state::CodeHold::isHoldFileLive(prefix + QFile::decodeName(hold.name), now, &holder)) {
            constexpr qint64 kNs = 1'000'000'000;
            play.host = holder.host.isEmpty() ? QStringLiteral("（端末名のない記録）") : holder.host;
            play.question = holder.question;
            play.misses = holder.misses;
            play.changed = hold.changed;
            play.placed = holder.since / kNs;
            play.named = holder.questionSince / kNs;
        }
    }
    for (auto it = playing.begin(); it != playing.end();)
        it = it->host.isEmpty() && !it->ahead ? playing.erase(it) : std::next(it);
    // What the listing shows changed since the last look: names new,
    // gone or listed under another inode number (a save renames a new file
    // over the old one).  A file is examined when it or its review record
    // changed so, when it was once seen rewritten in place, and at a look
    // at every file; the others are taken as they were.
    const ListingDiff diff = compareListings(listed_, listed);
    const auto isReview = [](std::string_view name) { return !progressOfReview(name).isEmpty(); };
    const auto progressFileOf = progressOfReview;
    // The names to examine, each once, and whether the listing shows it
    // (not only its review record).
    std::vector<std::pair<QByteArray, bool>> chosen;
    QHash<QByteArray, size_t> taken;
    const auto choose = [&](const QByteArray &name, bool listedFile) {
        const auto at = taken.constFind(name);
        if (at == taken.cend()) {
            taken.insert(name, chosen.size());
            chosen.emplace_back(name, listedFile);
        } else {
            chosen[*at].second = chosen[*at].second || listedFile;
        }
    };
    const auto forget = [&](const QByteArray &name) {
        if (cache_.remove(name) && !delta.complete) delta.removed << name;
        inPlace_.remove(name);
        followed_.remove(name);
        recheck_.remove(name);
    };
    for (const quint32 i : diff.removed) {
        const std::string_view name = listed_.name(i);
        if (isReview(name)) {
            const QByteArray file = progressFileOf(name);
            reviewInodes_.remove(file);
            if (!examineAll) choose(file, false);
        } else {
            forget(QByteArray(name.data(), qsizetype(name.size())));
        }
    }
    for (const quint32 i : diff.changed) {
        const std::string_view name = listed.name(i);
        if (isReview(name)) {
            const QByteArray file = progressFileOf(name);
            reviewInodes_.insert(file, std::max<quint64>(1, listed.entries[i].inode));
            if (!examineAll) choose(file, false);
        } else if (!examineAll) {
            choose(QByteArray(name.data(), qsizetype(name.size())), true);
        }
    }
    if (examineAll) {
        chosen.reserve(size_t(total));
        for (size_t i = 0; i < listed.entries.size(); ++i)
            if (const std::string_view name = listed.name(i); !isReview(name))
                chosen.emplace_back(QByteArray(name.data(), qsizetype(name.size())), true);
    } else {
        for (const QByteArray &name : std::as_const(inPlace_)) choose(name, true);
        for (const QByteArray &name : std::as_const(recheck_)) choose(name, true);
        // Play is followed for the codes a live hold names now or named at
        // the last look; every other row is as it was.
        const auto follow = [&](const QByteArray &name) {
            if (taken.contains(name)) return;  // examined below
            const auto known = cache_.find(name);
            if (known == cache_.end() || !known->read) return;
            if (followPlay(known->pupil, known->fileSince, playing.value(name)))
                delta.changed.push_back(Row{name, known->pupil});
        };
        for (const QByteArray &name : std::as_const(followed_))
            if (!playing.contains(name)) follow(name);
        for (auto it = playing.cbegin(); it != playing.cend(); ++it) follow(it.key());
    }
    recheck_.clear();
    followed_.clear();
    for (auto it = playing.cbegin(); it != playing.cend(); ++it) followed_.insert(it.key());

    const int listedOnly = total - int(chosen.size());
    if (chosen.empty() && keepGoing && !keepGoing(total, total)) {
        delta.aborted = true;
        reset();
        return delta;
    }
    const QDate today = chosen.empty() ? QDate() : platform::clock().today();
    cache_.reserve(total);
    // The first look reads every file; later ones share a batch while the
    // last one read most of what it examined.
    bool shared = cache_.isEmpty();
    std::vector<Examined> batch;
    std::vector<char> listedFile;
    for (size_t from = 0; from < chosen.size(); from += kBatch) {
        if (keepGoing && !keepGoing(listedOnly + int(from), total)) {
            delta.aborted = true;
            reset();  // part of the folder was looked at: start afresh next time
            return delta;
        }
        const int count = int(std::min(chosen.size() - from, kBatch));
        batch.resize(size_t(count));
        listedFile.resize(size_t(count));
        for (int k = 0; k < count; ++k) {
            Examined &e = batch[size_t(k)];
            e.name = std::move(chosen[from + size_t(k)].first);
            listedFile[size_t(k)] = chosen[from + size_t(k)].second;
            e.listedReview = reviewInodes_.value(e.name);
            e.gone = e.fresh = false;
            e.review = {};
        }
        const int read = examineBatch(dirFd, prefix, today, shared, batch.data(), count);
        shared = read * 2 >= count;
        for (size_t k = 0; k < batch.size(); ++k) {
            Examined &e = batch[k];
            const QByteArray &name = e.name;
            if (e.gone) {
                // Gone since the listing (or a review record alone): the row
                // goes; a file the listing showed is examined again next
                // time, in case the listing shows it unchanged then.
                forget(name);
                if (listedFile[k]) recheck_.insert(name);
                continue;
            }
            Cached &cached = cache_[name];
            // A change under the same inode was written in place, not saved
            // over: such a file is examined at every look from now on.
            if (cached.read &&
                ((e.seen.inode == cached.seen.inode && !(e.seen == cached.seen)) ||
                 (e.review.inode != 0 && e.review.inode == cached.review.inode && !(e.review == cached.review))))
                inPlace_.insert(name);
            const Play live = playing.value(name);
            if (!e.fresh) {
                // The file is as it was; only its play may change.
                if (followPlay(cached.pupil, cached.fileSince, live) &&
                    !delta.complete)
                    delta.changed.push_back(Row{name, cached.pupil});
                continue;
            }
            const bool wasRead = cached.read && cached.pupil.wasRead();
            const short question = cached.pupil.questionNo;
            const Pupil before = std::exchange(cached.pupil, std::move(e.pupil));
            // The question is shown since the first save seen with it; a file
            // first seen shows it since its last save at least.
            const bool sameQuestion = wasRead && cached.pupil.wasRead() && cached.pupil.questionNo == question;
            cached.fileSince = sameQuestion ? cached.fileSince : e.mtime;
            cached.pupil.playingOn = before.playingOn;
            cached.pupil.holdQuestion = before.holdQuestion;
            cached.pupil.holdMisses = before.holdMisses;
            cached.pupil.questionSince = before.holdQuestion > 0 ? before.questionSince : cached.fileSince;
            followPlay(cached.pupil, cached.fileSince, live);
            cached.seen = e.seen;
            cached.review = e.review;
            cached.read = true;
            ++delta.read;
            if (!delta.complete) delta.changed.push_back(Row{name, cached.pupil});
        }
    }
    if (keepGoing) keepGoing(total, total);
    listed_ = std::move(listed);

    if (delta.complete) {
        // Every row, in the report's order, sorted here off the interface thread.
        delta.changed.reserve(cache_.size());
        for (auto it = cache_.cbegin(); it != cache_.cend(); ++it) delta.changed.push_back(Row{it.key(), it->pupil});
        std::sort(delta.changed.begin(), delta.changed.end(), rowLess);
    }
    listedOnce_ = true;
    return delta;
}

}  // namespace report::window
