// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/FolderNames.h"

#include <QRegularExpression>

namespace state::names {

namespace {

const QByteArrayView kProgress(kProgressEnding), kHold(kHoldEnding), kReview(kReviewEnding);

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

// What stands before ending in name, at the end or followed by "-" and
// the digits of a name beside it; empty when name is neither.
QByteArrayView stemBefore(QByteArrayView name, QByteArrayView ending) {
    if (name.endsWith(ending)) return name.chopped(ending.size());
    const qsizetype dash = name.size() - kBesideDigits - 1;
    if (dash < ending.size() || name[dash] != '-' || name.sliced(dash - ending.size(), ending.size()) != ending)
        return {};
    for (qsizetype i = dash + 1; i < name.size(); ++i)
        if (!isHexDigit(name[i])) return {};
    return name.first(dash - ending.size());
}

}  // namespace

QString progressFile(const QString &code) { return code + QLatin1String(kProgressEnding); }
QString reviewFile(const QString &code) { return code + QLatin1String(kReviewEnding); }
QString holdFile(const QString &progressFile) { return progressFile + QLatin1String(kHoldEnding); }
QString assignmentFile() { return QStringLiteral("課題.txt"); }

bool isProgressFile(QByteArrayView name) { return name.endsWith(kProgress); }

QString codeOf(const QString &progressFile) { return progressFile.chopped(kProgress.size()); }

QByteArray progressOfHold(const QByteArray &holdName) { return stemBefore(holdName, kHold).toByteArray(); }

QByteArray progressOfReview(const QByteArray &recordName) {
    const QByteArrayView stem = stemBefore(recordName, kReview);
    return stem.isEmpty() ? QByteArray() : stem.toByteArray() + kProgressEnding;
}

bool isAssignmentFile(const QString &name) {
    return name.section(QLatin1Char('/'), -1).compare(assignmentFile(), Qt::CaseInsensitive) == 0;
}

Kind kindOf(QByteArrayView name) {
    if (isProgressFile(name)) return Kind::Progress;
    if (name.contains(kReview) && !stemBefore(name, kReview).isEmpty()) return Kind::Review;
    if (name.contains(".ucd.hold")) {
        const QByteArrayView of = stemBefore(name, kHold);
        if (of.size() > kProgress.size() && of.endsWith(kProgress)) return Kind::Hold;
    }
    return Kind::Other;
}

bool isReviewFile(const QString &name) { return name.endsWith(QLatin1String(kReviewEnding), Qt::CaseInsensitive); }

bool isClassFolderFile(const QString &name) {
    static const QRegularExpression beside(QStringLiteral("\\.ucd\\.hold-[0-9a-f]+$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return name.endsWith(QLatin1String(kProgressEnding), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".ucd.hold"), Qt::CaseInsensitive) || name.contains(beside) ||
           isReviewFile(name) || isAssignmentFile(name);
}

}  // namespace state::names
