// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Files.h"

#include "platform/SystemError.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace platform::files {

namespace {

bool gGroupShared = false;

// Closes a file descriptor when the scope ends.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    explicit Descriptor(int f) : fd(f) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() { close(); }
    int close() {
        const int result = fd >= 0 ? ::close(fd) : 0;
        fd = -1;
        return result;
    }
};

bool isAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The folder part and the last part of a path, as the system sees them.
struct Place {
    QByteArray folder, base;
};

Place placeOf(const QByteArray &path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return {QByteArray("."), path};
    return {slash == 0 ? QByteArray("/") : path.left(slash), path.mid(slash + 1)};
}

// Reads at most limit bytes of an open file; false on a read error.
bool readUpTo(int fd, qint64 limit, QByteArray *content) {
    content->resize(static_cast<qsizetype>(std::min<qint64>(limit, 4096)));
    qsizetype got = 0;
    while (got < limit) {
        if (got == content->size())
            content->resize(static_cast<qsizetype>(std::min<qint64>(content->size() * 2, limit)));
        const ssize_t n = ::read(fd, content->data() + got, static_cast<size_t>(content->size() - got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        got += n;
    }
    content->truncate(got);
    return true;
}

QString sentence(const QString &what, const QString &path, int err) {
    return QStringLiteral("「%1」%2（%3）。").arg(path, what, reasonOf(err));
}

QString errorText(FileError::Step step, int err, mode_t kind, const QString &path) {
    using Step = FileError::Step;
    if (kind != 0) return QStringLiteral("「%1」は%2なので、保存できません。").arg(path, kindOf(kind));
    switch (step) {
    case Step::OpenFolder:
    case Step::Inspect:
    case Step::Recheck: return sentence(QStringLiteral("を調べられません"), path, err);
    case Step::Create: return sentence(QStringLiteral("を作れません"), path, err);
    case Step::CopyMode: return sentence(QStringLiteral("の許可を写せません"), path, err);
    case Step::SetMode: return sentence(QStringLiteral("の許可を決められません"), path, err);
    case Step::Write: return sentence(QStringLiteral("に書き込めません"), path, err);
    case Step::Changed:
        return QStringLiteral("「%1」は、このプログラムが読んだあとでほかのところから書き換えられました。").arg(path);
    case Step::SyncFolder: return sentence(QStringLiteral("のフォルダーを保存できません"), path, err);
    case Step::Sync:
    case Step::Place: break;
    }
    return sentence(QStringLiteral("を保存できません"), path, err);
}

// A temporary being written beside a file, removed unless it was placed.
struct Temporary {
    int folder = -1;
    QByteArray name;
    Descriptor file;
    bool placed = false;
    ~Temporary() {
        file.close();
        if (!name.isEmpty() && !placed) ::unlinkat(folder, name.constData(), 0);
    }
};

// Makes a fresh temporary for base in folder and writes bytes to it,
// synced.  An existing file (old) gives its mode and group; a new one gets
// the folder's mode for new files.  *written is its status once written.
void writeTemporary(Temporary &t, const Place &at, const QByteArray &bytes, const struct stat *old,
                    const ReplaceOptions &options, const QString &path, struct stat *written) {
    const unsigned newMode = old ? 0 : newFileMode(at.folder);
    const auto fail = [&](FileError::Step step, int err) { throw FileError(step, err, 0, old != nullptr, path); };
    QByteArray name;
    for (int attempt = 0; attempt < 100 && t.file.fd < 0; ++attempt) {
        name = tempNameFor(options.temporaryOf.isEmpty() ? at.base : options.temporaryOf);
        // Private until its mode is given, unless it takes the umask's.
        t.file.fd = ::openat(t.folder, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                             old || newMode ? 0600 : 0666);
        if (t.file.fd < 0 && errno != EEXIST) fail(FileError::Step::Create, errno);
    }
    if (t.file.fd < 0) fail(FileError::Step::Create, EEXIST);
    t.name = name;  // made here: removed unless placed
    // The group first, since changing it may clear the set-group-ID bit.
    if (old) {
        struct stat made {};
        if (options.keepGroup && ::fstat(t.file.fd, &made) == 0 && made.st_gid != old->st_gid)
            (void)::fchown(t.file.fd, (uid_t)-1, old->st_gid);
        if (::fchmod(t.file.fd, old->st_mode & options.keptModeBits) != 0) fail(FileError::Step::CopyMode, errno);
    } else if (newMode != 0 && ::fchmod(t.file.fd, newMode) != 0) {
        fail(FileError::Step::SetMode, errno);
    }
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(t.file.fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail(FileError::Step::Write, errno);
        done += n;
    }
    if (::fsync(t.file.fd) != 0) fail(FileError::Step::Sync, errno);
    if (::fstat(t.file.fd, written) != 0) fail(FileError::Step::Sync, errno);
    if (t.file.close() != 0) fail(FileError::Step::Sync, errno);
}

// Whether what stands at base now is still what was seen, read again
// without following a link; false for another file, another kind of file,
// or other bytes.
bool stillAsSeen(const Place &at, const struct stat &now, const Seen &seen) {
    if (!S_ISREG(now.st_mode) || !(identityOf(now) == seen.identity)) return false;
    // The times of some file systems are coarse (whole seconds), and some
    // number their files anew: the content tells what they cannot.
    const ReadResult again =
        read(QFile::decodeName(at.folder + '/' + at.base), {seen.bytes.size() + 1, Longer::Cut, Links::Refused});
    return again.outcome == ReadResult::Outcome::Read && again.bytes == seen.bytes;
}

}  // namespace

bool Identity::operator==(const Identity &o) const {
    return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
           modified.tv_nsec == o.modified.tv_nsec;
}

Identity identityOf(const struct stat &st) { return {st.st_dev, st.st_ino, st.st_size, st.st_mtim}; }

QString kindOf(mode_t mode) {
    if (S_ISLNK(mode)) return QStringLiteral("シンボリックリンク");
    if (S_ISDIR(mode)) return QStringLiteral("フォルダー");
    if (S_ISFIFO(mode)) return QStringLiteral("FIFO（名前付きパイプ）");
    if (S_ISSOCK(mode)) return QStringLiteral("ソケット");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("デバイス");
    return QStringLiteral("普通のファイルでないもの");
}

QString reasonOf(int err) {
    switch (err) {
    case ENOENT: return QStringLiteral("ファイルがありません");
    case ELOOP: return QStringLiteral("シンボリックリンクは使えません");
    default: return systemErrorText(err);
    }
}

QString ReadResult::text(const QString &path, const QString &kind) const {
    switch (reason) {
    case Reason::None:
        return outcome == Outcome::Missing ? sentence(QStringLiteral("を開けません"), path, error) : QString();
    case Reason::Open: return sentence(QStringLiteral("を開けません"), path, error);
    case Reason::Inspect: return sentence(QStringLiteral("を調べられません"), path, error);
    case Reason::NotRegular:
        return QStringLiteral("「%1」は%2で、%3ではありません。").arg(path, kindOf(status.st_mode), kind);
    case Reason::TooLarge: return QStringLiteral("「%1」は%2としては大きすぎます。").arg(path, kind);
    case Reason::NotOwned:
        return QStringLiteral("「%1」はほかのアカウントのファイルなので、%2として読みません。").arg(path, kind);
    case Reason::Read: break;
    }
    return sentence(QStringLiteral("を読めません"), path, error);
}

namespace {

// Whether the file at path (whose status is st) may count beside the file
// at partner (ReadLimits::sameOwnerAs).
bool ownedAlike(const QString &path, const QString *partner, const struct stat &st) {
    if (!partner || !stickyFolder(folderOf(QFile::encodeName(path)))) return true;
    struct stat other {};
    return ::lstat(QFile::encodeName(*partner).constData(), &other) != 0 || other.st_uid == st.st_uid;
}

}  // namespace

ReadResult read(const QString &path, const ReadLimits &limits) {
    ReadResult r;
    r.outcome = ReadResult::Outcome::Refused;
    // O_NOFOLLOW: a link in the file's place is refused, not followed;
    // O_NONBLOCK: opening a FIFO returns at once instead of waiting for a
    // writer (it is then refused as no regular file).
    const int follow = limits.links == Links::Followed ? 0 : O_NOFOLLOW;
    Descriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | follow));
    if (file.fd < 0) {
        r.error = errno;
        if (r.error == ENOENT || r.error == ENOTDIR)
            r.outcome = ReadResult::Outcome::Missing;
        else
            r.reason = ReadResult::Reason::Open;
        return r;
    }
    if (::fstat(file.fd, &r.status) != 0) {
        r.error = errno;
        r.reason = ReadResult::Reason::Inspect;
    } else if (!S_ISREG(r.status.st_mode)) {
        r.reason = ReadResult::Reason::NotRegular;
    } else if (!readUpTo(file.fd, limits.maxBytes + 1, &r.bytes)) {
        // One byte more than the limit tells a longer file.
        r.error = errno;
        r.reason = ReadResult::Reason::Read;
        r.bytes.clear();
    } else if (r.bytes.size() > limits.maxBytes && limits.longer == Longer::Refused) {
        r.reason = ReadResult::Reason::TooLarge;
        r.bytes.clear();
    } else if (!ownedAlike(path, limits.sameOwnerAs, r.status)) {
        r.outcome = ReadResult::Outcome::Missing;  // another account's file: as if there were none
        r.reason = ReadResult::Reason::NotOwned;
        r.bytes.clear();
    } else {
        r.bytes.truncate(static_cast<qsizetype>(std::min<qint64>(r.bytes.size(), limits.maxBytes)));
        r.outcome = ReadResult::Outcome::Read;
    }
    return r;
}

FileError::FileError(Step s, int err, mode_t k, bool e, const QString &path)
    : std::runtime_error(errorText(s, err, k, path).toStdString()), step(s), error(err), kind(k), existed(e) {}

Written replace(const QString &path, const QByteArray &bytes, const ReplaceOptions &options) {
    const Place at = placeOf(QFile::encodeName(path));
    // Everything is done relative to the folder, so that the looks and the
    // rename concern one folder even if its path changes meanwhile.
    Descriptor folder(::open(at.folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd < 0) throw FileError(FileError::Step::OpenFolder, errno, 0, false, path);
    Temporary t;  // after the folder: removed while the folder is still open
    t.folder = folder.fd;

    // Only a regular file may stand in the file's place: a link is never
    // followed (the write would land where it points), and a FIFO, device
    // or folder is never replaced by a plain file.
    struct stat old {};
    bool exists = false;
    if (::fstatat(folder.fd, at.base.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(old.st_mode)) throw FileError(FileError::Step::Inspect, 0, old.st_mode, true, path);
        exists = true;
    } else if (errno != ENOENT) {
        throw FileError(FileError::Step::Inspect, errno, 0, false, path);
    }

    struct stat written {};
    writeTemporary(t, at, bytes, exists ? &old : nullptr, options, path, &written);

    // Looked at again as late as possible: what took the name meanwhile
    // must be a regular file too, and, when asked, still what was seen.
    struct stat now {};
    if (::fstatat(folder.fd, at.base.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0) {
        if (options.unchangedSince && !stillAsSeen(at, now, *options.unchangedSince))
            throw FileError(FileError::Step::Changed, 0, 0, exists, path);
        if (!S_ISREG(now.st_mode)) throw FileError(FileError::Step::Recheck, 0, now.st_mode, exists, path);
    } else if (errno != ENOENT) {
        throw FileError(FileError::Step::Recheck, errno, 0, exists, path);
    }
    if (::renameat(folder.fd, t.name.constData(), folder.fd, at.base.constData()) != 0)
        throw FileError(FileError::Step::Place, errno, 0, exists, path);
    t.placed = true;

    // What was written, as the file system shows it after the rename.
    Written result{identityOf(written), written.st_ctim};
    if (struct stat placed{}; ::fstatat(folder.fd, at.base.constData(), &placed, AT_SYMLINK_NOFOLLOW) == 0 &&
                              placed.st_dev == written.st_dev && placed.st_ino == written.st_ino)
        result.identity = identityOf(placed);

    // Temporaries that a write killed mid-way (here or on another machine)
    // go once they are clearly stale.
    QList<QByteArray> targets{at.base};
    for (const QByteArray &ending : options.alsoSweep) targets << at.base + ending;
    removeStaleTemporaries(at.folder, targets, written.st_mtim);

    // The rename itself is made durable.  A folder that cannot be opened or
    // does not support syncing (EINVAL) leaves the write as good as the file
    // system makes it; a disk error is reported.
    Descriptor sync(::open(at.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (sync.fd >= 0 && ::fsync(sync.fd) != 0 && errno == EIO)
        throw FileError(FileError::Step::SyncFolder, EIO, 0, exists, path);
    return result;
}

Written createNew(const QString &path, const QByteArray &bytes, const QByteArray &temporaryOf) {
    const Place at = placeOf(QFile::encodeName(path));
    Descriptor folder(::open(at.folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd < 0) throw FileError(FileError::Step::OpenFolder, errno, 0, false, path);
    Temporary t;  // after the folder: removed while the folder is still open
    t.folder = folder.fd;
    struct stat written {};
    ReplaceOptions options;
    options.temporaryOf = temporaryOf;
    writeTemporary(t, at, bytes, nullptr, options, path, &written);
    const auto taken = [&](int err) {
        FileError e(FileError::Step::Place, err, 0, err == EEXIST, path);
        e.written = written.st_ctim;
        return e;
    };
    // A hard link is refused atomically when the name exists.
    if (::linkat(folder.fd, t.name.constData(), folder.fd, at.base.constData(), 0) != 0) {
        const int err = errno;
        if (err != EPERM && err != ENOSYS && err != EOPNOTSUPP && err != EMLINK) throw taken(err);
        struct stat st {};
        if (::fstatat(folder.fd, at.base.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) throw taken(EEXIST);
        if (errno != ENOENT) throw taken(errno);
        if (::renameat(folder.fd, t.name.constData(), folder.fd, at.base.constData()) != 0) throw taken(errno);
        t.placed = true;
    }
    return {identityOf(written), written.st_ctim};
}

QByteArray moveAside(const QByteArray &path, int *error) {
    const QByteArray aside = tempNameFor(path);
    if (::rename(path.constData(), aside.constData()) == 0) return aside;
    *error = errno;
    return {};
}

bool linkBack(const QByteArray &aside, const QByteArray &path) {
    return ::link(aside.constData(), path.constData()) == 0;
}

QByteArray tempNameFor(const QByteArray &target) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    char pid[9];
    std::snprintf(pid, sizeof pid, "%08x", static_cast<unsigned>(::getpid()));
    QByteArray name = target + '.' + pid;
    for (int i = 0; i < 6; ++i) name += kAlphabet[QRandomGenerator::global()->bounded(62)];
    return name;
}

bool isTempOf(const QByteArray &entry, const QByteArray &target) {
    if (entry.size() != target.size() + kTempSuffix) return false;
    if (!entry.startsWith(target) || entry[target.size()] != '.') return false;
    const qsizetype pid = target.size() + 1, random = pid + 8;
    for (qsizetype i = pid; i < random; ++i)
        if (!((entry[i] >= '0' && entry[i] <= '9') || (entry[i] >= 'a' && entry[i] <= 'f'))) return false;
    for (qsizetype i = random; i < entry.size(); ++i)
        if (!isAlnum(entry[i])) return false;
    return true;
}

void removeStaleTemporaries(const QByteArray &folder, const QList<QByteArray> &targets, const timespec &now) {
    DIR *dir = ::opendir(folder.constData());
    if (!dir) return;
    while (const dirent *e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        bool ours = false;
        for (const QByteArray &t : targets) ours = ours || isTempOf(name, t);
        if (!ours) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (static_cast<long long>(now.tv_sec) - static_cast<long long>(st.st_mtim.tv_sec) <= kStaleTempSeconds)
            continue;
        ::unlinkat(::dirfd(dir), e->d_name, 0);
    }
    ::closedir(dir);
}

QList<QByteArray> namesStartingWith(const QByteArray &folder, const QByteArray &start) {
    QList<QByteArray> names;
    DIR *dir = ::opendir(folder.constData());
    if (!dir) return names;
    while (const dirent *e = ::readdir(dir))
        if (std::strncmp(e->d_name, start.constData(), size_t(start.size())) == 0) names << QByteArray(e->d_name);
    ::closedir(dir);
    return names;
}

void setGroupShared(bool shared) { gGroupShared = shared; }
bool groupShared() { return gGroupShared; }

bool stickyFolder(const QByteArray &folder) {
    struct stat st {};
    return ::stat(folder.constData(), &st) == 0 && (st.st_mode & S_ISVTX);
}

unsigned newFileMode(const QByteArray &folder) {
    if (!gGroupShared) return 0;
    return stickyFolder(folder) ? kOwnedFileMode : kSharedFileMode;
}

QByteArray folderOf(const QByteArray &path) { return placeOf(path).folder; }

}  // namespace platform::files
