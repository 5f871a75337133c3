// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/MissSteps.h"

#include <algorithm>

namespace report {

int missStep(const Pupil &p, int q) {
    if (p.state != Pupil::State::Readable || q < 1 || q > p.reached()) return kNotReached;
    return std::clamp<int>(p.missCount[q], 0, kMissSteps - 1);
}

const StepColours &stepColours(int step) {
    static constexpr StepColours colours[kMissSteps] = {
        {"#cde8c6", "#1f3a1a"},
        {"#f0a040", "#2a1800"},
        {"#d9482f", "#ffffff"},
        {"#6e1a3a", "#ffffff"},
    };
    return colours[std::clamp(step, 0, kMissSteps - 1)];
}

QString stepLabel(int step) {
    switch (step) {
    case 0: return QStringLiteral("ミスなし");
    case 1: return QStringLiteral("ミス 1 回");
    case 2: return QStringLiteral("ミス 2 回");
    default: return QStringLiteral("ミス 3 回以上");
    }
}

}  // namespace report
