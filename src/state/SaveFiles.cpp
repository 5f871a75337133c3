// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/SaveFiles.h"

#include <QRandomGenerator>

#include <cstdio>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace state::files {

namespace {
bool gGroupShared = false;

bool isAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Seconds from then to now, whole seconds are enough here.
long long secondsBetween(const timespec &then, const timespec &now) {
    return static_cast<long long>(now.tv_sec) - static_cast<long long>(then.tv_sec);
}
}  // namespace

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

int removeStaleTemporaries(const QByteArray &folder, const QList<QByteArray> &targets, const timespec &now) {
    DIR *dir = ::opendir(folder.constData());
    if (!dir) return 0;
    int removed = 0;
    while (const dirent *e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        bool ours = false;
        for (const QByteArray &t : targets) ours = ours || isTempOf(name, t);
        if (!ours) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (secondsBetween(st.st_mtim, now) <= kStaleTempSeconds) continue;
        if (::unlinkat(::dirfd(dir), e->d_name, 0) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
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

QByteArray folderOf(const QByteArray &path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArray(".");
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

}  // namespace state::files
