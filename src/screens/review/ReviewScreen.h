// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The review's question window: the quiz screen's own window and drawing,
// with the review's handling of the clicks.  No points, no roulette, no
// time: in place of the score it shows how far the round is.

#include "screens/quiz/QuizScreen.h"

namespace screens {

class ReviewScreen : public QuizScreen {
    Q_OBJECT
public:
    ReviewScreen();
    static const QuizLayout &layoutOf();

    void activate() override;
    void nextClicked() override;       // 次へ: the next question, or the summary
    void helpClicked() override;       // HELP: the tutor for this question
    void quitClicked() override;       // 終了: ends the review after asking
    void answerClicked(int k) override;

private:
    void showItem();
    void say(const QStringList &lines, int color);
};

}  // namespace screens
