// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drawing a question's text into the question box.

#include "bank/QuestionBank.h"
#include "platform/Console.h"

namespace quiz {

// Draws question n in variant v from the console's current print position
// (the top, after the caller has cleared it): a blank line, the heading, the
// instruction, the problem lines, the closing line and, for questions 6 and
// 8, the red note on fractions.  The path selects the few texts that differ
// between the activation and "次へ".  Prints nothing when n is outside 1..30
// or v outside 1..3.
void printQuestion(platform::Console &picture1, int n, int v, bank::Path path);

}  // namespace quiz
