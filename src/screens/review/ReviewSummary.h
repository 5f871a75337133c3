// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The end of a review round: the questions practised in a table (number,
// title, right at the first try or not), a word to the pupil that fits
// the result, and the day the next review is due; 「もう一度」 begins the
// next round, 「終了」 ends the review.

#include "platform/Form.h"
#include "screens/review/ReviewRound.h"

#include <array>

namespace screens {

class ReviewSummary : public platform::Form {
    Q_OBJECT
public:
    ReviewSummary();
    void activate() override;

    void againClicked();  // もう一度
    void endClicked();    // 終了

    // One row per question of the round, up to its length.
    std::array<QLabel *, review::kRoundLength> numberLabels{}, titleLabels{}, resultLabels{};
    QLabel *wordLabel, *nextDueLabel;
    QPushButton *againButton, *endButton;
};

}  // namespace screens
