// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/OutputFile.h"

#include "platform/SystemError.h"
#include "state/ProgressFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace report {

namespace {

struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};


// The folder part and the last part of a name, as the system sees them:
// "a/b.csv" -> "a", "b.csv"; "b.csv" -> ".", "b.csv"; "a/" -> "a", "".
struct Place {
    QByteArray folder, base;
};

Place placeOf(const QString &name) {
    const QByteArray native = QFile::encodeName(name);
    const qsizetype slash = native.lastIndexOf('/');
    if (slash < 0) return {QByteArray("."), native};
    return {slash == 0 ? QByteArray("/") : native.left(slash), native.mid(slash + 1)};
}

bool sameInode(const struct stat &a, const struct stat &b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

QByteArray randomSuffix() {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray s(".");
    for (int i = 0; i < 6; ++i) s += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return s;
}

}  // namespace

bool isProgressFileName(const QString &name) {
    return name.endsWith(QLatin1String(".ucd"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".ucd.hold"), Qt::CaseInsensitive);
}

QString systemReason(int err) {
    switch (err) {
    case ENOENT: return QStringLiteral("フォルダーがありません");
    case ELOOP: return QStringLiteral("リンクが多すぎます");
    default: return platform::systemErrorText(err);
    }
}

QString writeOutputFile(const QString &name, const QByteArray &bytes) {
    const Place place = placeOf(name);
    if (place.base.isEmpty() || place.base == "." || place.base == "..")
        return QStringLiteral("「%1」はフォルダーの名前なので、書き込みません。").arg(name);
    if (isProgressFileName(QFile::decodeName(place.base)))
        return QStringLiteral("「%1」は進み具合のファイルの名前です。そこには書き込みません。").arg(name);

    // Everything below is done relative to the folder, so that the checks
    // and the rename concern the same folder even if its path changes.
    Descriptor folder;
    folder.fd = ::open(place.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder.fd < 0)
        return QStringLiteral("「%1」に書き込めません（%2）。").arg(name, systemReason(errno));

    // Only a regular file may be replaced: a link is never followed (the
    // report would land where it points), and a device, FIFO, socket or
    // folder is never replaced by a plain file.
    struct stat old {};
    bool exists = false;
    if (::fstatat(folder.fd, place.base.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(old.st_mode))
            return QStringLiteral("「%1」は%2なので、書き込みません。").arg(name, state::progress::kindOf(old.st_mode));
        exists = true;
    } else if (errno != ENOENT) {
        return QStringLiteral("「%1」を調べられません（%2）。").arg(name, systemReason(errno));
    }
    const QString kept = exists ? QStringLiteral("前のファイルはそのままです。") : QString();

    // A new temporary file beside it (O_EXCL, O_NOFOLLOW: never one that
    // was there before), written whole and synced before it takes the name.
    Descriptor file;
    QByteArray temp;
    for (int attempt = 0; attempt < 100 && file.fd < 0; ++attempt) {
        temp = place.base + randomSuffix();
        file.fd = ::openat(folder.fd, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                           exists ? 0600 : 0666);
        if (file.fd < 0 && errno != EEXIST)
            return QStringLiteral("「%1」を作れません（%2）。%3").arg(name, systemReason(errno), kept);
    }
    if (file.fd < 0) return QStringLiteral("「%1」を作れません（%2）。%3").arg(name, systemReason(EEXIST), kept);
    const auto fail = [&](const QString &what, int err) {
        if (file.fd >= 0) ::close(file.fd);
        file.fd = -1;
        ::unlinkat(folder.fd, temp.constData(), 0);
        return QStringLiteral("「%1」%2（%3）。%4").arg(name, what, systemReason(err), kept);
    };
    if (exists && ::fchmod(file.fd, old.st_mode & 0777) != 0) return fail(QStringLiteral("の許可を写せません"), errno);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(file.fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(QStringLiteral("に書き込めません"), errno);
        done += n;
    }
    if (::fsync(file.fd) != 0) return fail(QStringLiteral("に書き込めません"), errno);
    const int closed = ::close(file.fd);
    file.fd = -1;
    if (closed != 0) return fail(QStringLiteral("に書き込めません"), errno);

    // Look again: what took the name while the file was written must also
    // be a regular file (rename replaces a link itself, never its target,
    // but a device or folder planted meanwhile is not to be replaced).
    struct stat now {};
    if (::fstatat(folder.fd, place.base.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(now.st_mode)) {
            ::unlinkat(folder.fd, temp.constData(), 0);
            return QStringLiteral("「%1」は%2なので、書き込みません。").arg(name, state::progress::kindOf(now.st_mode));
        }
    } else if (errno != ENOENT) {
        return fail(QStringLiteral("を調べられません"), errno);
    }
    if (::renameat(folder.fd, temp.constData(), folder.fd, place.base.constData()) != 0)
        return fail(QStringLiteral("に書き込めません"), errno);
    // The rename itself is made durable; a folder that cannot be synced
    // (EINVAL) leaves it as good as the file system makes it.
    if (::fsync(folder.fd) != 0 && errno == EIO)
        return QStringLiteral("「%1」のフォルダーを保存できません（%2）。").arg(name, systemReason(EIO));
    return QString();
}

bool sameOutputFile(const QString &a, const QString &b) {
    if (a == b) return true;
    const Place pa = placeOf(a), pb = placeOf(b);
    struct stat fa {}, fb {};
    if (pa.base == pb.base && ::stat(pa.folder.constData(), &fa) == 0 && ::stat(pb.folder.constData(), &fb) == 0 &&
        sameInode(fa, fb))
        return true;
    return ::stat(QFile::encodeName(a).constData(), &fa) == 0 && ::stat(QFile::encodeName(b).constData(), &fb) == 0 &&
           sameInode(fa, fb);
}

}  // namespace report
