// SPDX-License-Identifier: GPL-3.0-or-later
#include "classfolder/FolderScanner.h"

#include "platform/Services.h"
#include "state/FolderNames.h"
#include "state/ReviewRecord.h"

#include <QFile>

#include <ctime>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace classfolder {

namespace {

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

bool rowLess(const Row &a, const Row &b) {
    if (codeLess(a.pupil.code, b.pupil.code)) return true;
    if (codeLess(b.pupil.code, a.pupil.code)) return false;
    return a.key < b.key;
}

TeacherClock FolderScanner::teacherClock() const {
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
int FolderScanner::examineBatch(const OpenFolder &folder, const QDate &today, bool shared, Examined *batch,
                                int count) const {
    const int dirFd = folder.fd();
    const QString &prefix = folder.prefix();
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
        const QString decoded = QFile::decodeName(name);
        const QString record =
            e.listedReview == 0
                ? QString()
                : state::review::recordPath(prefix + state::names::reviewFile(state::names::codeOf(decoded)),
                                            prefix + decoded);
        if (!record.isEmpty() &&
            ::fstatat(dirFd, QFile::encodeName(record.mid(prefix.size())).constData(), &rst, AT_SYMLINK_NOFOLLOW) == 0)
            e.review = seenOf(rst);
        const auto known = cache_.constFind(name);
        if (known != cache_.cend() && known->read && known->seen == e.seen && known->review == e.review) return;
        // The listing's own type for the reason of a row that is not a
        // regular file, taken from lstat because it was called anyway.
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
    ScanDelta delta = startLook(folder);
    const OpenFolder open(folder);
    if (!open.isOpen()) {
        delta.error = folderFailure(folder, open.error());
        return delta;  // rows stay as they were: a network folder may come back
    }
    delta.assignment = state::assignment::read(folder);
    Listing listed;
    listed.names.reserve(listed_.names.size() + 1024);
    listed.entries.reserve(listed_.entries.size() + 32);
    if (const int error = list(open, listed); error != 0) {
        delta.error = folderFailure(folder, error);
        return delta;
    }
    delta.files = listed.progressFiles;
    const bool examineAll = examinesAll(open, listed);
    const PlayNow play = gatherPlay(open, listed.holds, folderClock_, teacherClock());
    delta.folderNow = play.folderNow;
    std::vector<Chosen> chosen = compareWithLast(listed, examineAll, play, delta);
    if (!readChosen(open, chosen, play, keepGoing, delta)) return delta;
    mergeRows(listed, delta);
    return delta;
}

ScanDelta FolderScanner::startLook(const QString &folder) {
    if (folder != folder_) {
        reset();
        folder_ = folder;
    }
    ScanDelta delta;
    delta.folder = folder;
    delta.readAt = QDateTime::currentDateTime();
    delta.complete = !listedOnce_;
    return delta;
}

// Every file is examined at the first look, every few looks, and at
// every look where the listing's inode numbers cannot be trusted;
// otherwise only names the listing shows new or replaced.
bool FolderScanner::examinesAll(const OpenFolder &folder, const Listing &listed) {
    const Inodes kind = listed.inodeless ? Inodes::Unstable : probe_ ? probe_(folder.fd()) : inodesOf(folder.fd());
    const bool all = !listedOnce_ || fastLooks_ + 1 >= fullEvery(kind);
    fastLooks_ = all ? 0 : fastLooks_ + 1;
    return all;
}

void FolderScanner::forget(const QByteArray &name, ScanDelta &delta) {
    if (cache_.remove(name) && !delta.complete) delta.removed << name;
    inPlace_.remove(name);
    followed_.remove(name);
    recheck_.remove(name);
}

// What the listing shows changed since the last look: names new, gone or
// listed under another inode number (a save renames a new file over the
// old one).  A file is examined when it or its review record changed so,
// when it was once seen rewritten in place, and at a look at every file;
// the others are taken as they were, their play followed.
std::vector<FolderScanner::Chosen> FolderScanner::compareWithLast(const Listing &listed, bool examineAll,
                                                                  const PlayNow &play, ScanDelta &delta) {
    const ListingDiff diff = compareListings(listed_, listed);
    std::vector<Chosen> chosen;
    QHash<QByteArray, size_t> taken;  // each name once
    const auto choose = [&](const QByteArray &name, bool listedFile) {
        const auto at = taken.constFind(name);
        if (at == taken.cend()) {
            taken.insert(name, chosen.size());
            chosen.push_back({name, listedFile});
        } else {
            chosen[*at].listed = chosen[*at].listed || listedFile;
        }
    };
    for (const quint32 i : diff.removed) {
        const QByteArray name = listed_.nameBytes(i);
        if (!listed_.entries[i].review) {
            forget(name, delta);
            continue;
        }
        const QByteArray file = state::names::progressOfReview(name);
        reviewInodes_.remove(file);
        if (!examineAll) choose(file, false);
    }
    for (const quint32 i : diff.changed) {
        const QByteArray name = listed.nameBytes(i);
        if (listed.entries[i].review) {
            const QByteArray file = state::names::progressOfReview(name);
            reviewInodes_.insert(file, std::max<quint64>(1, listed.entries[i].inode));
            if (!examineAll) choose(file, false);
        } else if (!examineAll) {
            choose(name, true);
        }
    }
    if (examineAll) {
        chosen.reserve(size_t(listed.progressFiles));
        for (size_t i = 0; i < listed.entries.size(); ++i)
            if (!listed.entries[i].review) chosen.push_back({listed.nameBytes(i), true});
    } else {
        for (const QByteArray &name : std::as_const(inPlace_)) choose(name, true);
        for (const QByteArray &name : std::as_const(recheck_)) choose(name, true);
        followUnread(taken, play, delta);
    }
    recheck_.clear();
    followed_.clear();
    for (auto it = play.playing.cbegin(); it != play.playing.cend(); ++it) followed_.insert(it.key());
    return chosen;
}

// Play is followed for the codes a live hold names now or named at the
// last look and that are not examined; every other row is as it was.
void FolderScanner::followUnread(const QHash<QByteArray, size_t> &taken, const PlayNow &play, ScanDelta &delta) {
    const auto follow = [&](const QByteArray &name) {
        if (taken.contains(name)) return;  // examined
        const auto known = cache_.find(name);
        if (known == cache_.end() || !known->read) return;
        if (followPlay(known->pupil, known->fileSince, play.playing.value(name)))
            delta.changed.push_back(Row{name, known->pupil});
    };
    for (const QByteArray &name : std::as_const(followed_))
        if (!play.playing.contains(name)) follow(name);
    for (auto it = play.playing.cbegin(); it != play.playing.cend(); ++it) follow(it.key());
}

// Examines the chosen names batch by batch, reporting progress between
// batches; false when the caller stopped the look.
bool FolderScanner::readChosen(const OpenFolder &folder, std::vector<Chosen> &chosen, const PlayNow &play,
                               const KeepGoing &keepGoing, ScanDelta &delta) {
    const int total = delta.files, listedOnly = total - int(chosen.size());
    const auto stopped = [&](int done) {
        if (!keepGoing || keepGoing(done, total)) return false;
        delta.aborted = true;
        reset();  // part of the folder was looked at: start afresh next time
        return true;
    };
    if (chosen.empty() && stopped(total)) return false;
    const QDate today = chosen.empty() ? QDate() : platform::clock().today();
    cache_.reserve(total);
    // The first look reads every file; later ones share a batch while the
    // last one read most of what it examined.
    bool shared = cache_.isEmpty();
    std::vector<Examined> batch;
    for (size_t from = 0; from < chosen.size(); from += kBatch) {
        if (stopped(listedOnly + int(from))) return false;
        const size_t count = std::min(chosen.size() - from, kBatch);
        batch.resize(count);
        for (size_t k = 0; k < count; ++k) {
            Chosen &c = chosen[from + k];
            batch[k] = Examined{};
            batch[k].name = std::move(c.name);
            batch[k].listed = c.listed;
            batch[k].listedReview = reviewInodes_.value(batch[k].name);
        }
        const int read = examineBatch(folder, today, shared, batch.data(), int(count));
        shared = read * 2 >= int(count);
        for (Examined &e : batch) {
            if (!e.gone) {
                takeIn(e, play.playing.value(e.name), delta);
                continue;
            }
            // Gone since the listing (or a review record alone): the row
            // goes; a file the listing showed is examined again next
            // time, in case the listing shows it unchanged then.
            forget(e.name, delta);
            if (e.listed) recheck_.insert(e.name);
        }
    }
    if (keepGoing) keepGoing(total, total);
    return true;
}

// Takes what examining a file found into its cached row.
void FolderScanner::takeIn(Examined &e, const Play &live, ScanDelta &delta) {
    const QByteArray &name = e.name;
    Cached &cached = cache_[name];
    // A change under the same inode was written in place, not saved
    // over: such a file is examined at every look from now on.
    if (cached.read && ((e.seen.inode == cached.seen.inode && !(e.seen == cached.seen)) ||
                        (e.review.inode != 0 && e.review.inode == cached.review.inode && !(e.review == cached.review))))
        inPlace_.insert(name);
    if (!e.fresh) {
        // The file is as it was; only its play may change.
        if (followPlay(cached.pupil, cached.fileSince, live) && !delta.complete)
            delta.changed.push_back(Row{name, cached.pupil});
        return;
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

// The listing is kept for the next look; a look that brings every row
// brings them in the report's order, sorted here off the interface thread.
void FolderScanner::mergeRows(Listing &listed, ScanDelta &delta) {
    listed_ = std::move(listed);
    if (delta.complete) {
        delta.changed.reserve(size_t(cache_.size()));
        for (auto it = cache_.cbegin(); it != cache_.cend(); ++it) delta.changed.push_back(Row{it.key(), it->pupil});
        std::sort(delta.changed.begin(), delta.changed.end(), rowLess);
    }
    listedOnce_ = true;
}

}  // namespace classfolder
