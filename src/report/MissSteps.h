// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The misses grid: pupils by questions, each cell one of four steps of a
// pupil's misses on a question, shared by the teacher's window and page.

#include "report/ClassReport.h"

#include <QString>

namespace report {

// No cell: the pupil has not reached the question, or the file was not
// read (or holds a question number outside 1..30).
constexpr int kNotReached = -1;
constexpr int kMissSteps = 4;  // 0, 1, 2, 3 or more misses

// The step of pupil p's misses on question q (1..30): kNotReached, or
// 0..3 where 3 stands for three or more.  The question the pupil is on
// counts as reached: its misses so far are shown.
int missStep(const Pupil &p, int q);

// The colours of the steps, chosen so that their lightness falls in even
// steps (CIE L* about 89, 72, 51 and 25 against the white of an empty
// cell), so that they read apart in grey as well as in colour.
struct StepColours {
    const char *fill;  // "#rrggbb"
    const char *text;  // legible on fill
};
const StepColours &stepColours(int step);

// The legend's words for a step: "ミスなし", "ミス 1 回", "ミス 2 回", "ミス 3 回以上".
QString stepLabel(int step);

}  // namespace report
