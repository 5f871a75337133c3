// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The end of a review round: how many questions were practised, how many
// were right at the first try, and the questions still missed; 「もう一度」
// begins the next round, 「終了」 ends the review.

#include "platform/Form.h"

namespace screens {

class ReviewSummary : public platform::Form {
    Q_OBJECT
public:
    ReviewSummary();
    void activate() override;

    void againClicked();  // もう一度
    void endClicked();    // 終了

    QLabel *practisedLabel, *firstTryLabel, *missedCaption, *missedList;
    QPushButton *againButton, *endButton;
};

}  // namespace screens
