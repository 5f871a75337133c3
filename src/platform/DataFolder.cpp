// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/DataFolder.h"

#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

// Set by the build from the install layout; the defaults fit a /usr/local
// installation.
#ifndef POMURIN_DATADIR_FROM_BINDIR
#define POMURIN_DATADIR_FROM_BINDIR "../share/pomurin20"
#endif
#ifndef POMURIN_INSTALL_DATADIR
#define POMURIN_INSTALL_DATADIR "/usr/local/share/pomurin20"
#endif

namespace platform {

namespace {

const char kFolderName[] = "pomurin20";

QString homeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    if (QDir::isAbsolutePath(home)) return home;
    if (const passwd *pw = getpwuid(getuid()); pw && pw->pw_dir) return QFile::decodeName(pw->pw_dir);
    return QDir::rootPath();
}

QString errnoText(int code) { return systemErrorText(code); }

// mkdir -p with mode 0700 for every folder it has to make.
bool makeFolders(const QString &path, QString *error) {
    const QByteArray p = QFile::encodeName(QDir::cleanPath(path));
    for (qsizetype i = 1; i <= p.size(); ++i) {
        if (i < p.size() && p[i] != '/') continue;
        const QByteArray part = p.left(i);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST) {
            *error = QStringLiteral("%1: %2").arg(QFile::decodeName(part), errnoText(errno));
            return false;
        }
    }
    return true;
}

}  // namespace

QString xdgConfigHome() {
    const QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    return QDir::isAbsolutePath(base) ? base : homeFolder() + QStringLiteral("/.config");
}

QStringList xdgConfigDirs() {
    QStringList dirs;
    for (const QString &d : qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(d)) dirs << d;
    if (dirs.isEmpty()) dirs << QStringLiteral("/etc/xdg");
    return dirs;
}

QString xdgDataHome() {
    const QString base = qEnvironmentVariable("XDG_DATA_HOME");
    return QDir::isAbsolutePath(base) ? base : homeFolder() + QStringLiteral("/.local/share");
}

QString xdgCacheHome() {
    const QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    return QDir::isAbsolutePath(base) ? base : homeFolder() + QStringLiteral("/.cache");
}

QString userFolderPath() { return QDir::cleanPath(xdgDataHome() + QLatin1Char('/') + QLatin1String(kFolderName)); }

bool enterUserFolder(QString *error) {
    const QString folder = userFolderPath();
    QString why;
    if (!makeFolders(folder, &why)) {
        *error = why;
        return false;
    }
    if (::chdir(QFile::encodeName(folder).constData()) != 0) {
        *error = QStringLiteral("%1: %2").arg(folder, errnoText(errno));
        return false;
    }
    return true;
}

QStringList installedDataFolders() {
    QStringList candidates;
    // The running program's own file, symbolic links resolved, so that an
    // installation unpacked anywhere finds its own data.
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString program = self.canonicalFilePath();
    if (!program.isEmpty())
        candidates << QDir::cleanPath(QFileInfo(program).path() + QLatin1Char('/') +
                                      QLatin1String(POMURIN_DATADIR_FROM_BINDIR));
    candidates << QDir::cleanPath(QLatin1String(POMURIN_INSTALL_DATADIR));
    QStringList found;
    for (const QString &c : candidates)
        if (!found.contains(c) && QFileInfo(c).isDir()) found << c;
    return found;
}

QString findSoundFile(const QString &name, const QString &workFolder, const QStringList &dataFolders) {
    const QString here = QDir(workFolder).absoluteFilePath(name);
    if (QFileInfo(here).isFile()) return here;
    for (const QString &folder : dataFolders) {
        const QString there = QDir(folder).absoluteFilePath(name);
        if (QFileInfo(there).isFile()) return there;
    }
    return here;
}

QString soundFile(const QString &name) { return findSoundFile(name, QDir::currentPath(), installedDataFolders()); }

}  // namespace platform
