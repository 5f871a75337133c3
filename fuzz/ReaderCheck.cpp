#include "ReaderCheck.h"

#include "state/ProgressFile.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace fuzzcheck {

namespace {

using state::Module1;
using state::kQuestions;

// Variables that no file sets, to see that a refusal changes nothing.
Module1 sentinel() {
    Module1 m;
    m.QuestionNo = -7;
    m.Score = -12.25;
    for (int i = 1; i <= kQuestions; ++i) {
        m.MissCount[i] = static_cast<short>(-i);
        m.AnswerTime[i] = -0.5f * i;
    }
    return m;
}

bool sameStored(const Module1 &a, const Module1 &b) {
    return a.QuestionNo == b.QuestionNo && a.MissCount == b.MissCount &&
           std::memcmp(&a.Score, &b.Score, sizeof a.Score) == 0 && a.AnswerTime == b.AnswerTime;
}

// |b - a| within the rounding to the given significant digits.
bool closeTo(double a, double b, double relative, double smallest) {
    return std::fabs(b - a) <= relative * std::fabs(a) + smallest;
}

}  // namespace

QString checkReader(const QByteArray &content) {
    Module1 m = sentinel();
    try {
        state::progress::parse(content, m);
    } catch (const state::ProgressError &) {
        return sameStored(m, sentinel()) ? QString() : QStringLiteral("a refused file changed the variables");
    } catch (const std::exception &e) {
        return QStringLiteral("the reader threw something else: ") + QString::fromUtf8(e.what());
    }

    if (!Module1::inRange(m.QuestionNo)) return QStringLiteral("accepted QuestionNo %1").arg(m.QuestionNo);
    if (!std::isfinite(m.Score)) return QStringLiteral("accepted a score that is not finite");
    for (int i = 1; i <= kQuestions; ++i) {
        if (m.MissCount[i] < 0) return QStringLiteral("accepted a negative miss count");
        if (!std::isfinite(m.AnswerTime[i])) return QStringLiteral("accepted a time that is not finite");
    }

    const QByteArray written = state::progress::render(m);
    Module1 back = sentinel();
    try {
        state::progress::parse(written, back);
    } catch (const std::exception &e) {
        return QStringLiteral("the reader refuses what the writer wrote (%1): %2")
            .arg(QString::fromUtf8(e.what()), QString::fromLatin1(written.left(200)));
    }
    if (state::progress::render(back) != written) return QStringLiteral("a second write differs from the first");
    if (back.QuestionNo != m.QuestionNo || back.MissCount != m.MissCount)
        return QStringLiteral("an integer changed on the way through the file");
    if (!closeTo(m.Score, back.Score, 1e-14, DBL_TRUE_MIN))
        return QStringLiteral("the score moved beyond rounding: %1 -> %2").arg(m.Score, 0, 'g', 17).arg(back.Score, 0, 'g', 17);
    for (int i = 1; i <= kQuestions; ++i)
        if (!closeTo(m.AnswerTime[i], back.AnswerTime[i], 1e-6, FLT_TRUE_MIN))
            return QStringLiteral("time %1 moved beyond rounding").arg(i);
    return {};
}

}  // namespace fuzzcheck
