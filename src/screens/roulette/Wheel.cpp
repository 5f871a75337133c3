// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/roulette/Wheel.h"

#include "screens/common/NumberText.h"

#include <cmath>

namespace roulette {

QPointF ballCentre(double angle) {
    return {kCentreX + kBallPath * std::cos(angle), kCentreY - kBallPath * std::sin(angle)};
}

double spinStep(double angle) { return angle < 2 * kPi - 0.5 ? angle + kPi / 12 : 0; }

bool runsOn(double angle, float extraTurns) {
    // 1 + ExtraTurns is single-precision arithmetic, as the turn count has
    // always been computed.
    const float turns = 1.0f + extraTurns;
    return angle < 2 * kPi * turns - 0.001;
}

double runOnStep(double angle) { return angle + kPi / 12; }

Halt halt(double angle) {
    if (angle >= 2 * kPi) angle -= 2 * kPi;  // once
    for (int j = 0; j <= 7; ++j) {
        if (j * kPi / 4 - kPi / 24 <= angle && angle <= (j + 1) * kPi / 4 - kPi / 24)
            return {angle, j, kSectorPoints[j]};
    }
    // Above 2π − π/24: the ball stands on cell 0, which belongs to sector 0.
    return {angle, -1, kSectorPoints[0]};
}

int cellOf(double angle) {
    const long n = std::lround(angle / (kPi / 12));
    return static_cast<int>(((n % 24) + 24) % 24);
}

QString scoreText(double score) { return screens::signedText(score, 15); }

}  // namespace roulette
