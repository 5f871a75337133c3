// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The review's question window: a question board of its own, driven by the
// review's rules.  No points, no roulette, no time: in the tally it shows
// how far the round is (「復習 3／10」, then 「もう一度 1／2」 for the
// questions that come back at its end), and the bubble has a word for
// every step: the prompt, a wrong answer, a right one.

#include "platform/Form.h"
#include "screens/quiz/QuestionBoard.h"

namespace screens {

class ReviewScreen : public platform::Form {
    Q_OBJECT
public:
    ReviewScreen();

    void activate() override;
    void nextClicked();  // 次へ: the next question, or the summary
    void helpClicked();  // HELP: the tutor for this question
    void quitClicked();  // 終了: ends the review after asking
    void answerClicked(int k);

    QuestionBoard board;

private:
    void showItem();
    void showTally();
};

}  // namespace screens
