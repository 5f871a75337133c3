// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/OutputFile.h"

#include "state/FolderNames.h"

#include "platform/Files.h"
#include "platform/SystemError.h"

#include <QFile>

#include <cerrno>

#include <sys/stat.h>

namespace report {

namespace {

using platform::files::FileError;

// The folder part and the last part of a name, as the system sees them:
// "a/b.csv" -> "a", "b.csv"; "b.csv" -> ".", "b.csv"; "a/" -> "a", "".
struct Place {
    QByteArray folder, base;
};

Place placeOf(const QString &name) {
    const QByteArray native = QFile::encodeName(name);
    return {platform::files::folderOf(native), native.mid(native.lastIndexOf('/') + 1)};
}

bool sameInode(const struct stat &a, const struct stat &b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A failed write in the teacher's words; a file that stood there is said
// to be kept.
QString failureText(const FileError &e, const QString &name) {
    const QString kept = e.existed ? QStringLiteral("前のファイルはそのままです。") : QString();
    const QString reason = systemReason(e.error);
    if (e.kind != 0)
        return QStringLiteral("「%1」は%2なので、書き込みません。").arg(name, platform::files::kindOf(e.kind));
    switch (e.step) {
    case FileError::Step::OpenFolder: return QStringLiteral("「%1」に書き込めません（%2）。").arg(name, reason);
    case FileError::Step::Inspect: return QStringLiteral("「%1」を調べられません（%2）。").arg(name, reason);
    case FileError::Step::Recheck: return QStringLiteral("「%1」を調べられません（%2）。%3").arg(name, reason, kept);
    case FileError::Step::Create: return QStringLiteral("「%1」を作れません（%2）。%3").arg(name, reason, kept);
    case FileError::Step::CopyMode: return QStringLiteral("「%1」の許可を写せません（%2）。%3").arg(name, reason, kept);
    case FileError::Step::SyncFolder:
        return QStringLiteral("「%1」のフォルダーを保存できません（%2）。").arg(name, reason);
    default: return QStringLiteral("「%1」に書き込めません（%2）。%3").arg(name, reason, kept);
    }
}

}  // namespace

QString pupilFileRefusal(const QString &name) {
    if (state::names::isReviewFile(name))
        return QStringLiteral("「%1」は復習の記録の名前です。そこには書き込みません。").arg(name);
    if (state::names::isAssignmentFile(name))
        return QStringLiteral("「%1」はクラスの課題の名前です。そこには書き込みません。").arg(name);
    if (state::names::isClassFolderFile(name))
        return QStringLiteral("「%1」は進み具合のファイルの名前です。そこには書き込みません。").arg(name);
    return QString();
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
    if (state::names::isClassFolderFile(QFile::decodeName(place.base))) return pupilFileRefusal(name);

    // Only a regular file is replaced, keeping its permissions without
    // set-id bits and the group this account gives it.
    platform::files::ReplaceOptions options;
    options.keptModeBits = 0777;
    options.keepGroup = false;
    try {
        platform::files::replace(name, bytes, options);
    } catch (const FileError &e) {
        return failureText(e, name);
    }
    return QString();
}

bool sameOutputFile(const QString &a, const QString &b) {
    if (a == b) return true;
    const Place pa = placeOf(a), pb = placeOf(b);
    struct stat fa {
    }, fb{};
    if (pa.base == pb.base && ::stat(pa.folder.constData(), &fa) == 0 && ::stat(pb.folder.constData(), &fb) == 0 &&
        sameInode(fa, fb))
        return true;
    return ::stat(QFile::encodeName(a).constData(), &fa) == 0 && ::stat(QFile::encodeName(b).constData(), &fb) == 0 &&
           sameInode(fa, fb);
}

}  // namespace report
