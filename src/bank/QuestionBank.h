// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The thirty questions of the course, three variants each, as constant data.
//
// Texts are UTF-8 literals exactly as drawn.  Problem lines are stored as
// whole lines, indentation included, so that lines with an indentation of
// their own need no special case in the drawing routine.

#include <array>

namespace bank {

// Which handler draws the question: the quiz screen's activation or its
// "次へ" button.  A few texts differ between the two.
enum class Path { Activation, Next };

// One drawn line of a problem.  When setY is 0 or more, the print position
// of the question area is first set to that many twips from its top: this is
// how a base line is moved back up under its exponent line.
struct ProblemLine {
    const char *text = nullptr;  // nullptr: no line
    int setY = -1;
};

struct Variant {
    // The instruction when it differs per variant (questions 1 to 4);
    // nullptr means the question's own instruction.
    const char *instruction = nullptr;
    // Up to four problem lines, drawn after the instruction.
    std::array<ProblemLine, 4> problem{};
    // Captions of answer buttons 1..7 (button 8 is always "その他").
    std::array<const char *, 7> captions{};
    // The one right button, 1..7.
    int right = 0;
    // The closing line with eight ASCII blanks instead of four ideographic
    // spaces, on both paths / on the "次へ" path only.
    bool blankClosing = false;
    bool blankClosingOnNext = false;
};

struct Question {
    int number = 0;
    const char *heading = nullptr;            // "　【問題１】"
    const char *instruction = nullptr;        // nullptr: no instruction line
    const char *instructionOnNext = nullptr;  // nullptr: same as instruction
    bool fractionNote = false;                // the red b/a note (questions 6, 8)
    std::array<Variant, 3> variants{};
};

constexpr int kFirstQuestion = 1;
constexpr int kLastQuestion = 30;
constexpr const char *kOtherCaption = "その他";

// The record of question n, or nullptr when n is outside 1..30.
const Question *question(int n);

// The right button (1..7) of question n in variant v, 0 when either is out
// of range.
int rightButton(int n, int v);

// Whether answer button k (1..8) is right for question n, variant v.
// Button 8 and anything out of range is never right.
bool isRight(int n, int v, int k);

}  // namespace bank
