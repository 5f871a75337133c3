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

// The questions of a round on day today: those due, most misses first,
// ties in course order, at most kRoundLength (see state::review).
std::vector<int> chooseQuestions(const state::Session &progress, const state::review::Record &record,
                                 const QDate &today);
// The questions to practise ahead of time when none is due: the soonest
// due first, at most kRoundLength.
std::vector<int> questionsAhead(const state::Session &progress, const state::review::Record &record,
                                const QDate &today);

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
    // Where the round stands, counted apart for its two parts: the
    // questions it began with (a number fixed at its start), then the
    // comebacks (all known once the first part is over).  1-based
    // position within the part and the part's size.
    bool inComebacks() const { return index_ >= firstPart_; }
    int position() const { return int(inComebacks() ? index_ - firstPart_ : index_) + 1; }
    int length() const { return int(inComebacks() ? items_.size() - firstPart_ : firstPart_); }
    // The last item of the round is on show (so far as is known now).
    bool onLast() const { return index_ + 1 >= items_.size(); }

    // Judges answer button k (1..8) on the current item.  The first right
    // answer finishes the item: a question answered wrongly before then
    // comes back at the end (once).  A right answer to a finished item, or
    // any answer once the round is over, is Ignored.
    Answer answer(int k);
    // Whether the current item has been answered right.
    bool finished() const { return finished_; }
    // Whether the current item has had a wrong answer, and which buttons.
    bool missedNow() const { return missed_; }
    const std::vector<int> &wrongTried() const { return tried_; }
    // Moves to the next item once the current one is finished; false when
    // the round is over (or the item is not finished yet).
    bool next();

    // For the summary: how many questions were practised, and how many of
    // them were right at the first try on their first showing.
    int practised() const { return practised_; }
    int rightFirstTime() const { return rightFirstTime_; }

    // The outcome of a question's first showing, once it is finished:
    // what the record counts (practised once, right at the first try or not).
    struct Practice {
        int question = 0;
        bool rightFirstTime = false;
    };
    // Set by the answer that finished a first showing; cleared by next().
    const Practice *newPractice() const { return practice_.question ? &practice_ : nullptr; }
    // Every first showing finished so far, in the round's order.
    const std::vector<Practice> &practices() const { return practices_; }

private:
    std::vector<Item> items_;
    size_t index_ = 0, firstPart_ = 0;
    std::vector<int> tried_;
    bool missed_ = false, finished_ = false;
    int practised_ = 0, rightFirstTime_ = 0;
    Practice practice_;
    std::vector<Practice> practices_;
};

}  // namespace review
