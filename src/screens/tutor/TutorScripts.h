// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The math doctor's worked examples: for each question 1..30 an example
// problem and a script of explanation steps, one per click of "次へ",
// printed through the text-console interface so that they can be played
// into a picture box or into a model in tests.

#include "platform/Console.h"

namespace tutor {

// Number of clicks of "次へ" that question q's explanation takes, the
// closing click included (N(q)); 0 for q outside 1..30.
int clickCount(int q);

// What the tutor prints into the explanation box when it opens: a blank
// line, " 【例題】", the example lines (with their y=N steps) and, except
// for questions 18 and 27, the prompt "  [次へ]をクリックするんじゃ！".
// Nothing for q outside 1..30.
void printExample(platform::Console &picture1, int q);

// The doctor's three greeting lines into the speech box.
void printGreeting(platform::Console &picture3);

// Explanation step k (1..clickCount(q)-1) of question q, printed into the
// explanation box (picture1) or the working box (picture2) as the script
// says. Out of range: nothing.
void performStep(platform::Console &picture1, platform::Console &picture2, int q, int k);

}  // namespace tutor
