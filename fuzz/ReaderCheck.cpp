// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReaderCheck.h"

#include "state/ProgressFile.h"
#include "state/ReviewRecord.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace fuzzcheck {

namespace {

using state::kQuestions;
using state::Session;

// Variables that no file sets, to see that a refusal changes nothing.
Session sentinel() {
    Session m;
    m.question = -7;
    m.score = -12.25;
    for (int i = 1; i <= kQuestions; ++i) {
        m.misses[i] = static_cast<short>(-i);
        m.answerTimes[i] = -0.5f * i;
    }
    return m;
}

bool sameStored(const Session &a, const Session &b) {
    return a.question == b.question && a.misses == b.misses && std::memcmp(&a.score, &b.score, sizeof a.score) == 0 &&
           a.answerTimes == b.answerTimes;
}

// |b - a| within the rounding to the given significant digits.
bool closeTo(double a, double b, double relative, double smallest) {
    return std::fabs(b - a) <= relative * std::fabs(a) + smallest;
}

}  // namespace

QString checkReader(const QByteArray &content) {
    Session m = sentinel();
    try {
        state::progress::parse(content, m);
    } catch (const state::ProgressError &) {
        return sameStored(m, sentinel()) ? QString() : QStringLiteral("a refused file changed the variables");
    } catch (const std::exception &e) {
        return QStringLiteral("the reader threw something else: ") + QString::fromUtf8(e.what());
    }

    if (!Session::inRange(m.question)) return QStringLiteral("accepted question %1").arg(m.question);
    if (!std::isfinite(m.score)) return QStringLiteral("accepted a score that is not finite");
    for (int i = 1; i <= kQuestions; ++i) {
        if (m.misses[i] < 0) return QStringLiteral("accepted a negative miss count");
        if (!std::isfinite(m.answerTimes[i])) return QStringLiteral("accepted a time that is not finite");
    }

    const QByteArray written = state::progress::render(m);
    Session back = sentinel();
    try {
        state::progress::parse(written, back);
    } catch (const std::exception &e) {
        return QStringLiteral("the reader refuses what the writer wrote (%1): %2")
            .arg(QString::fromUtf8(e.what()), QString::fromLatin1(written.left(200)));
    }
    if (state::progress::render(back) != written) return QStringLiteral("a second write differs from the first");
    if (back.question != m.question || back.misses != m.misses)
        return QStringLiteral("an integer changed on the way through the file");
    if (!closeTo(m.score, back.score, 1e-14, DBL_TRUE_MIN))
        return QStringLiteral("the score moved beyond rounding: %1 -> %2")
            .arg(m.score, 0, 'g', 17)
            .arg(back.score, 0, 'g', 17);
    for (int i = 1; i <= kQuestions; ++i)
        if (!closeTo(m.answerTimes[i], back.answerTimes[i], 1e-6, FLT_TRUE_MIN))
            return QStringLiteral("time %1 moved beyond rounding").arg(i);
    return {};
}

QString checkReviewReader(const QByteArray &content) {
    namespace review = state::review;
    review::Record sentinel;
    sentinel.entries[7] = {3, 2, 1, QDate(2001, 2, 3), QDate(2001, 2, 4), 5};
    review::Record r = sentinel;
    try {
        review::parse(content, r);
    } catch (const state::ProgressError &) {
        return r == sentinel ? QString() : QStringLiteral("a refused record changed the record");
    } catch (const std::exception &e) {
        return QStringLiteral("the record's reader threw something else: ") + QString::fromUtf8(e.what());
    }
    for (int q = 1; q <= kQuestions; ++q) {
        const review::Entry &e = r.entries[q];
        if (e.firstTry > e.practised || e.practised < 0 ||
            (e.practised > 0) != (e.step >= 1 && e.step <= review::kLearnt))
            return QStringLiteral("accepted counts that disagree for question %1").arg(q);
        if (e.practised > 0 && (!e.last.isValid() || e.due.isValid() == (e.step == review::kLearnt)))
            return QStringLiteral("accepted a practice without its dates");
    }
    // A record of the first form does not know the course's misses: the
    // review takes them as seen before it writes.
    review::adoptCourseMisses(r, {});
    const QByteArray written = review::render(r);
    review::Record back;
    try {
        review::parse(written, back);
    } catch (const std::exception &e) {
        return QStringLiteral("the record's reader refuses what its writer wrote: ") + QString::fromUtf8(e.what());
    }
    if (!(back == r) || review::render(back) != written)
        return QStringLiteral("the record changed on the way through the file");
    return {};
}

}  // namespace fuzzcheck
