// SPDX-License-Identifier: GPL-3.0-or-later
// The roulette's arithmetic: the spin, the run-on after "Stop", where the
// ball halts and what it scores.
#include "screens/roulette/Wheel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace roulette;

namespace {

// The angle of the ball after c ticks of the spin from "Start".
double spinTo(int cell) {
    double a = 0;
    for (int i = 0; i < cell; ++i) a = spinStep(a);
    return a;
}

struct RunOn {
    int movingTicks;
    Halt halt;
};

// Runs on from the angle until the ball halts.
RunOn runOn(double angle, float extraTurns) {
    int ticks = 0;
    while (runsOn(angle, extraTurns)) {
        angle = runOnStep(angle);
        ++ticks;
    }
    return {ticks, halt(angle)};
}

int expectedCell(float extraTurns) {
    return static_cast<int>(std::ceil(24.0 * (1.0 + double(extraTurns)) - 0.0038)) % 24;
}

int pointsOfCell(int cell) { return kSectorPoints[cell / 3]; }

TEST(Wheel, SpinGoesRoundOneCellATickAndWrapsAfterTheLastCell) {
    double a = 0;
    for (int n = 1; n <= 23; ++n) {
        a = spinStep(a);
        EXPECT_EQ(cellOf(a), n);
    }
    EXPECT_EQ(spinStep(a), 0.0);
    const QPointF start = ballCentre(0);
    EXPECT_DOUBLE_EQ(start.x(), 480);
    EXPECT_DOUBLE_EQ(start.y(), 200);
    const QPointF top = ballCentre(6 * kPi / 12);  // cell 6, straight up
    EXPECT_NEAR(top.x(), 320, 1e-3);
    EXPECT_NEAR(top.y(), 40, 1e-9);
}

// The halting cell depends only on ExtraTurns, never on where "Stop" was
// pressed, and each halt scores the points of its sector.
TEST(Wheel, HaltingCellFollowsExtraTurnsFromEveryStartingCell) {
    std::vector<float> sweep{0.0f, 1e-6f, 0.0001f, 0.00015f, 0.00017f, 0.5f, 0.99999f};
    for (int k = 0; k < 1000; ++k) sweep.push_back(static_cast<float>(k) / 1000.0f + 0.0003f);
    for (float e : sweep) {
        for (int c = 0; c <= 23; ++c) {
            const RunOn r = runOn(spinTo(c), e);
            const int cell = expectedCell(e);
            ASSERT_EQ(cellOf(r.halt.angle), cell) << "ExtraTurns " << e << " from cell " << c;
            ASSERT_EQ(r.halt.points, pointsOfCell(cell)) << "ExtraTurns " << e << " from cell " << c;
            // The ball completes the current turn before it can halt.
            ASSERT_GE(c + r.movingTicks, 24);
        }
    }
}

TEST(Wheel, StoppingOnCell5WithHalfATurnRunsOn31TicksToThirtyThousand) {
    const RunOn r = runOn(spinTo(5), 0.5f);
    EXPECT_EQ(r.movingTicks, 31);
    EXPECT_EQ(cellOf(r.halt.angle), 12);
    EXPECT_EQ(r.halt.sector, 4);
    EXPECT_EQ(r.halt.points, 30000);
}

// A ball halting on cell 0 (after 24 or 48 cells) lies just below 2π, above
// the last sector's range: only that case scores it, and no other cell
// reaches that case.
TEST(Wheel, CellZeroIsScoredOnlyByTheCaseAboveTheLastSector) {
    for (float e : {0.0f, 0.0001f, 0.00015f, 0.9999f}) {
        const RunOn r = runOn(spinTo(3), e);
        ASSERT_EQ(cellOf(r.halt.angle), 0) << e;
        EXPECT_EQ(r.halt.sector, -1) << e;
        EXPECT_GT(r.halt.angle, 2 * kPi - kPi / 24) << e;
        EXPECT_EQ(r.halt.points, 10000) << e;
    }
    for (int m = 25; m <= 47; ++m) {
        double a = 0;
        for (int i = 0; i < m; ++i) a = runOnStep(a);
        const Halt h = halt(a);
        EXPECT_EQ(h.sector, (m % 24) / 3) << m;
        EXPECT_EQ(h.points, kSectorPoints[(m % 24) / 3]) << m;
    }
}

TEST(Wheel, EachSectorScoresItsPoints) {
    const int points[8] = {10000, 0, 5000, -10000, 30000, 0, 8000, 0};
    for (int cell = 1; cell <= 23; ++cell) {
        double a = 0;
        for (int i = 0; i < 24 + cell; ++i) a = runOnStep(a);  // one full turn and on
        EXPECT_EQ(halt(a).points, points[cell / 3]) << cell;
    }
}

TEST(Wheel, ScoreTextKeepsASignColumn) {
    EXPECT_EQ(scoreText(0), " 0");
    EXPECT_EQ(scoreText(12000), " 12000");
    EXPECT_EQ(scoreText(-3000), "-3000");
    EXPECT_EQ(scoreText(123456789012.0), " 123456789012");
}

}  // namespace
