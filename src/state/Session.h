// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The learner's run: where the learner is in the course, the score, the
// misses and times of each question, and the run's once-only flags.  One
// object for the whole program, reached by every screen.  Arrays run
// 0..30 and are indexed by question number; element 0 is never used.
// Values read from a progress file are not limited to a range, so every
// access by a question number goes through inRange() first.

#include <QString>

#include <array>

namespace state {

constexpr int kQuestions = 30;

struct Session {
    short question = 0;          // the current question, 1..30; stays 30 after the last one
    bool answeredRight = false;  // the current question has been answered right
    double score = 0;
    QString userCode;                            // names the progress file: the code as typed, or "pm"
    std::array<short, kQuestions + 1> misses{};  // wrong answers per question
    bool resumed = false;                        // the run continues a saved one ("前の続きからやる")
    // The miss counts as the history screen shows them, up to the question reached.
    std::array<QString, kQuestions + 1> missTexts;
    // Per question: 0, the clock reading at its start, or the whole seconds it took.
    std::array<float, kQuestions + 1> answerTimes{};
    // Once per run and question: whether its clock was started and its variant drawn.
    std::array<bool, kQuestions + 1> clockStarted{};
    std::array<bool, kQuestions + 1> variantDrawn{};
    short variant = 0;  // the current question's variant, 1..3

    // Whether q may index the per-question arrays (1..30).
    static bool inRange(int q) { return q >= 1 && q <= kQuestions; }
};

// The one shared run.
Session &session();

// Puts every field back to its value at program start (tests).
void resetSession();

}  // namespace state
