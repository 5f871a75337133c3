// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/review/ReviewRound.h"

#include "bank/QuestionBank.h"
#include "platform/Services.h"

#include <algorithm>

namespace review {

namespace {

// A variant 1..3 at random, other than avoid (0: any).  The generator is
// seeded once a round: seeding it again for each question from a clock
// that reads the same within the moment would give every question the
// same variant.
int drawVariant(int avoid) {
    platform::Random &rnd = platform::random();
    const int choices = avoid ? 2 : 3;
    const int k =
        std::clamp(static_cast<int>(rnd.next() * choices), 0, choices - 1);  // a generator giving 1 stays in range
    return avoid && k + 1 >= avoid ? k + 2 : k + 1;
}

}  // namespace

namespace {
std::vector<int> atMostARound(std::vector<int> questions) {
    if (questions.size() > size_t(kRoundLength)) questions.resize(kRoundLength);
    return questions;
}
}  // namespace

std::vector<int> chooseQuestions(const state::Session &progress, const state::review::Record &record,
                                 const QDate &today) {
    return atMostARound(state::review::dueQuestions(record, progress.misses, progress.question, today));
}

std::vector<int> questionsAhead(const state::Session &progress, const state::review::Record &record,
                                const QDate &today) {
    return atMostARound(state::review::laterQuestions(record, progress.misses, progress.question, today));
}

Round::Round(const std::vector<int> &questions) {
    platform::random().seed(platform::clock().secondsSinceMidnight());
    for (int q : questions)
        if (state::Session::inRange(q)) items_.push_back({q, drawVariant(0), false});
    firstPart_ = items_.size();
}

const Round::Item *Round::current() const { return index_ < items_.size() ? &items_[index_] : nullptr; }

Round::Answer Round::answer(int k) {
    const Item *item = current();
    if (!item || finished_) return Answer::Ignored;
    if (!bank::isRight(item->question, item->variant, k)) {
        missed_ = true;
        if (std::find(tried_.begin(), tried_.end(), k) == tried_.end()) tried_.push_back(k);
        return Answer::Wrong;
    }
    finished_ = true;
    const Item done = *item;  // the push below may move the items
    if (!done.comeback) {
        ++practised_;
        if (!missed_) ++rightFirstTime_;
        practice_ = {done.question, !missed_};
        practices_.push_back(practice_);
        if (missed_) items_.push_back({done.question, drawVariant(done.variant), true});
    }
    return Answer::Right;
}

bool Round::next() {
    if (!finished_ || index_ >= items_.size()) return false;
    ++index_;
    missed_ = finished_ = false;
    tried_.clear();
    practice_ = {};
    return index_ < items_.size();
}

}  // namespace review
