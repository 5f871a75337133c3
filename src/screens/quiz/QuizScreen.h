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

namespace platform {
class PictureBox;
}

namespace screens {

class QuizScreen;

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
    std::function<QList<QWidget *>(QuizScreen &)> tabOrder;
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
    void mascotTicked() { board_.mascotTicked(); }

    // Draws question n's variant once per run (into the session).
    void pickVariant(int n);
    // Prints question n in variant v and puts the captions on the answer buttons.
    void showQuestion(int n, int v, bank::Path path);
    void enableChoices();
    // After a wrong answer: no answer button works until the tutor was seen.
    void lockChoices();

    // The board's controls, by their names.
    std::array<QPushButton *, 9> answerButtons{};  // [1..8]; [8] is "その他"
    QPushButton *helpButton, *quitButton, *nextButton;
    platform::PictureBox *questionBox;  // the question's text
    platform::PictureBox *choicesBox;   // "解答群" and the answer buttons
    platform::PictureBox *speechBox;    // what the mascot says
    QLabel *scoreCaption, *scoreLabel, *verdictCaption, *verdictLabel;
    platform::ImageBox *mascotPose1, *mascotPose2, *friendPose1, *friendPose2;
    platform::Timer *mascotTimer;
    const QuizLayout &layout() const { return layout_; }

private:
    bool inRange(int n) const { return n >= layout_.first && n <= layout_.last; }
    void questionBlock(int n);
    void showScore();
    // Saves, unloads this screen and shows the next one.
    bool leaveFor(ScreenId screen);

    QuizLayout layout_;
    QuestionBoard board_;
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
