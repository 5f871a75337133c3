// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ClassReport.h"

#include "classfolder/Listing.h"
#include "platform/Services.h"

#include <QFile>

#include <algorithm>

namespace report {

ClassReport readFolder(const QString &folder) {
    ClassReport report;
    report.folder = folder;
    report.readAt = QDateTime::currentDateTime();
    const classfolder::OpenFolder open(folder);
    if (!open.isOpen()) throw FolderError(folderFailure(folder, open.error()).toStdString());
    classfolder::Listing listed;
    if (const int error = classfolder::list(open, listed); error != 0)
        throw FolderError(folderFailure(folder, error).toStdString());

    report.assignment = state::assignment::read(folder);
    report.pupils.reserve(size_t(listed.progressFiles));
    const QDate today = platform::clock().today();
    for (size_t i = 0; i < listed.entries.size(); ++i) {
        if (listed.entries[i].review) continue;
        const QByteArray bytes = listed.nameBytes(i);
        const QString name = QFile::decodeName(bytes);
        // A name whose bytes are not UTF-8 cannot be reached by its path.
        report.pupils.push_back(
            readEntry(open.prefix(), name, listed.entries[i].type, QFile::encodeName(name) == bytes, today));
    }
    std::sort(report.pupils.begin(), report.pupils.end(),
              [](const Pupil &a, const Pupil &b) { return codeLess(a.code, b.code); });
    return report;
}

void count(ClassSummary &s, const Pupil &p, int sign) {
    s.files += sign;
    switch (p.state) {
    case Pupil::State::Unreadable: s.unreadable += sign; return;
    case Pupil::State::OddQuestion: s.odd += sign; return;
    case Pupil::State::Readable: s.readable += sign; break;
    }
    for (int q = 1; q <= p.reached(); ++q) {
        s.reachedBy[q] += sign;
        s.missesOn[q] += sign * long(p.missCount[q]);
    }
}

void average(ClassSummary &s) {
    for (int q = 1; q <= state::kQuestions; ++q)
        s.averageMisses[q] = s.reachedBy[q] ? double(s.missesOn[q]) / s.reachedBy[q] : 0;
}

ClassSummary summarise(const ClassReport &report) {
    ClassSummary s;
    for (const Pupil &p : report.pupils) count(s, p, 1);
    average(s);
    return s;
}

TopicFigures topicFigures(const ClassSummary &s, int first, int last) {
    TopicFigures f;
    first = std::max(first, 1);
    last = std::min(last, state::kQuestions);
    if (first > last) return f;
    f.pupils = s.reachedBy[first];
    long misses = 0, reached = 0;
    for (int q = first; q <= last; ++q) {
        misses += s.missesOn[q];
        reached += s.reachedBy[q];
    }
    f.averageMisses = reached ? double(misses) / double(reached) : 0;
    return f;
}

}  // namespace report
