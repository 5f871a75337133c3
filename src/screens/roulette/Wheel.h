// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The roulette's arithmetic, without a window: where the ball stands for
// an angle, how the angle moves while the wheel spins and while it runs on
// after "Stop", and which sector a halted ball scores.
//
// Angles are in radians, anticlockwise on the screen from 3 o'clock, in
// the wheel box's user coordinates (centre (320, 200), ring radius 160).

#include <QPointF>
#include <QString>

#include <array>

namespace roulette {

// The pi the wheel has always used; the sector ranges and the halting
// rule depend on its exact value.
constexpr double kPi = 3.141592;
constexpr double kCentreX = 320, kCentreY = 200;
constexpr double kInnerRadius = 140, kOuterRadius = 180, kBallPath = 160, kBallRadius = 10;

// Points of sectors 0..7 (three cells of 15° each, from 3 o'clock on).
constexpr std::array<int, 8> kSectorPoints{10000, 0, 5000, -10000, 30000, 0, 8000, 0};

// The ball's centre for an angle.
QPointF ballCentre(double angle);

// One tick of the spin: a cell on, or back to 0 after the last cell.
double spinStep(double angle);

// Whether the ball still runs on after "Stop" (one cell a tick, no wrap).
bool runsOn(double angle, float extraTurns);
// One cell on while running on.
double runOnStep(double angle);

struct Halt {
    double angle;  // after taking off one full turn if needed
    int sector;    // 0..7, or -1: above the last sector's range (scored as sector 0)
    int points;
};
// Where a ball that stopped running on at this angle lies, and what it scores.
Halt halt(double angle);

// The cell (0..23) whose centre an angle is nearest to.
int cellOf(double angle);

// The score as the roulette shows it: a leading blank when zero or more,
// a minus sign when negative.
QString scoreText(double score);

}  // namespace roulette
