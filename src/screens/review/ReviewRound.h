// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The review of missed questions, without a window: which questions a
// round asks and in what order, and the round itself (each question in a
// random variant; one answered wrongly comes back once at the end in
// another variant).  The screens in this folder show it.

#include "state/ReviewRecord.h"
#include "state/Session.h"

#include <QDate>
#include <QString>

#include <vector>

namespace review {

// The most questions a round asks (their comebacks not counted).
constexpr int kRoundLength = 10;

// The questions of the next round: every question the pupil has reached
// (1 up to the question of the progress file) with one or more misses,
// leaving out those the record counts as learnt, most misses first, ties
// in course order, at most kRoundLength.
std::vector<int> chooseQuestions(const state::Session &progress, const state::review::Record &record);

class Round {
public:
    struct Item {
        int question = 0;
        int variant = 0;        // 1..3
        bool comeback = false;  // the second showing of a question missed in this round
    };
    enum class Answer { Right, Wrong, Ignored };

    // A round over questions (see chooseQuestions); variants are drawn
    // with platform::random().
    explicit Round(const std::vector<int> &questions);

    // The item on show, or null once the round is over.
    const Item *current() const;
    // 1-based position of the current item and the number of items so far
    // (comebacks join the end as they arise).
    int position() const { return int(index_) + 1; }
    int length() const { return int(items_.size()); }

    // Judges answer button k (1..8) on the current item.  The first right
    // answer finishes the item: a question answered wrongly before then
    // comes back at the end (once).  A right answer to a finished item, or
    // any answer once the round is over, is Ignored.
    Answer answer(int k);
    // Whether the current item has been answered right.
    bool finished() const { return finished_; }
    // Whether the current item has had a wrong answer.
    bool missedNow() const { return missed_; }
    // Moves to the next item once the current one is finished; false when
    // the round is over (or the item is not finished yet).
    bool next();

    // For the summary: how many questions were practised, how many of
    // them were right at the first try on their first showing, and the
    // questions whose last showing was not right at the first try.
    int practised() const { return practised_; }
    int rightFirstTime() const { return rightFirstTime_; }
    std::vector<int> stillMissed() const;

    // The outcome of a question's first showing, once it is finished:
    // what the record counts (practised once, right at the first try or not).
    struct Practice {
        int question = 0;
        bool rightFirstTime = false;
    };
    // Set by the answer that finished a first showing; cleared by next().
    const Practice *newPractice() const { return practice_.question ? &practice_ : nullptr; }

private:
    std::vector<Item> items_;
    size_t index_ = 0;
    bool missed_ = false, finished_ = false;
    int practised_ = 0, rightFirstTime_ = 0;
    std::vector<std::pair<int, bool>> lastShowing_;  // question, right at the first try
    Practice practice_;
};

// "問12　√をふくむ式の展開": a question with its title, as the summary lists it.
QString questionTitle(int q);

}  // namespace review
