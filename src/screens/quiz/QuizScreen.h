// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The quiz screen, once for both screens: FirstQuizScreen shows questions
// 1 to 15, SecondQuizScreen questions 16 to 30.  The layout is the same,
// 120 twips further left on the second screen; the few differences in
// behaviour are in QuizLayout.

#include "bank/QuestionBank.h"
#include "platform/Form.h"
#include "screens/Screens.h"
#include "screens/quiz/QuestionBoard.h"

#include <array>
#include <functional>

namespace screens {

struct QuizLayout {
    QString name;  // the window's object name
    int clientWidth;
    int shift;  // added to every control's left edge (twips)
    int first, last;
    std::array<int, 3> blockOpeners;  // questions timed on their first activation
    std::array<int, 3> handOvers;     // questions after which the roulette comes
    bool setUpFirstQuestion;          // whether activation resets the screen for the first question
    // The controls that take the focus, in tab order; the first one has
    // the focus when the screen opens.
    std::function<QList<QWidget *>(const QuestionBoard &)> tabOrder;
};

class QuizScreen : public platform::Form {
    Q_OBJECT
public:
    explicit QuizScreen(const QuizLayout &layout);

    void activate() override;
    void nextClicked();         // 次へ
    void helpClicked();         // HELP
    void quitClicked();         // 終了
    void answerClicked(int k);  // answer button k, 1..8
    void mascotTicked() { board.mascotTicked(); }

    // Draws question n's variant once per run (into the session).
    void pickVariant(int n);
    void enableChoices();
    // After a wrong answer: no answer button works until the tutor was seen.
    void lockChoices();

    const QuizLayout &layout() const { return layout_; }

    // What the learner sees of the question, and its controls by their names.
    QuestionBoard board;

private:
    bool inRange(int n) const { return n >= layout_.first && n <= layout_.last; }
    void questionBlock(int n);
    void showScore();
    // Saves, unloads this screen and shows the next one.
    bool leaveFor(ScreenId screen);

    QuizLayout layout_;
};

class FirstQuizScreen : public QuizScreen {
    Q_OBJECT
public:
    FirstQuizScreen();
    static const QuizLayout &layoutOf();
};

// The second quiz screen, for questions 16 to 30.
class SecondQuizScreen : public QuizScreen {
    Q_OBJECT
public:
    SecondQuizScreen();
    static const QuizLayout &layoutOf();
};

}  // namespace screens
