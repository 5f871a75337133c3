// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/review/ReviewRound.h"

#include "bank/QuestionBank.h"
#include "bank/Topics.h"
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
    const int k = std::clamp(static_cast<int>(rnd.next() * choices), 0, choices - 1);  // a generator giving 1 stays in range
    return avoid && k + 1 >= avoid ? k + 2 : k + 1;
}

}  // namespace

std::vector<int> chooseQuestions(const state::Session &progress, const state::review::Record &record) {
    std::vector<int> chosen;
    const int reached = std::clamp<int>(progress.question, 0, state::kQuestions);
    for (int q = 1; q <= reached; ++q)
        if (progress.misses[q] > 0 && !state::review::learnt(record, q)) chosen.push_back(q);
    std::stable_sort(chosen.begin(), chosen.end(),
                     [&](int a, int b) { return progress.misses[a] > progress.misses[b]; });
    if (chosen.size() > size_t(kRoundLength)) chosen.resize(kRoundLength);
    return chosen;
}

Round::Round(const std::vector<int> &questions) {
    platform::random().seed(platform::clock().secondsSinceMidnight());
    for (int q : questions)
        if (state::Session::inRange(q)) items_.push_back({q, drawVariant(0), false});
}

const Round::Item *Round::current() const { return index_ < items_.size() ? &items_[index_] : nullptr; }

Round::Answer Round::answer(int k) {
    const Item *item = current();
    if (!item || finished_) return Answer::Ignored;
    if (!bank::isRight(item->question, item->variant, k)) {
        missed_ = true;
        return Answer::Wrong;
    }
    finished_ = true;
    const Item done = *item;  // the push below may move the items
    if (!done.comeback) {
        ++practised_;
        if (!missed_) ++rightFirstTime_;
        practice_ = {done.question, !missed_};
        if (missed_) items_.push_back({done.question, drawVariant(done.variant), true});
    }
    lastShowing_.erase(std::remove_if(lastShowing_.begin(), lastShowing_.end(),
                                      [&](const auto &p) { return p.first == done.question; }),
                       lastShowing_.end());
    lastShowing_.emplace_back(done.question, !missed_);
    return Answer::Right;
}

bool Round::next() {
    if (!finished_ || index_ >= items_.size()) return false;
    ++index_;
    missed_ = finished_ = false;
    practice_ = {};
    return index_ < items_.size();
}

std::vector<int> Round::stillMissed() const {
    std::vector<int> out;
    for (const auto &[q, right] : lastShowing_)
        if (!right) out.push_back(q);
    std::sort(out.begin(), out.end());
    return out;
}

QString questionTitle(int q) {
    const char *title = bank::titleOf(q);
    return QStringLiteral("問%1　%2").arg(q).arg(title ? QString::fromUtf8(title) : QString());
}

}  // namespace review
