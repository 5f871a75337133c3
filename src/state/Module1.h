#pragma once
// The variables that every screen shares, one set for the whole run.
// Arrays run 0..30 and are indexed by question number; element 0 is never
// used.  Values read from a progress file are not limited to a range, so
// every access by a question number goes through inRange() first.

#include <QString>

#include <array>

namespace state {

constexpr int kQuestions = 30;

struct Module1 {
    short QuestionNo = 0;     // 1..30; stays 30 after the last question
    short AnsweredRight = 0;  // 1 once the current question is answered right
    double Score = 0;
    QString UserFileStem;  // the user code as typed, or "pm"
    std::array<short, kQuestions + 1> MissCount{};
    short ResumedRun = 0;  // 1 once "前の続きからやる" was chosen
    std::array<QString, kQuestions + 1> MissText;
    // 0, a start reading of the clock, or whole elapsed seconds.
    std::array<float, kQuestions + 1> AnswerTime{};
    std::array<short, kQuestions + 1> TimerStarted{};   // once-only counters
    std::array<short, kQuestions + 1> VariantPicked{};  // once-only counters
    short VariantNo = 0;  // 1..3

    // Whether q may index the per-question arrays (1..30).
    static bool inRange(int q) { return q >= 1 && q <= kQuestions; }
};

// The one shared set.
Module1 &module1();

// Puts every variable back to its value at program start (tests).
void resetModule1();

}  // namespace state
