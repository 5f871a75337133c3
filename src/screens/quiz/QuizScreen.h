#pragma once
// The quiz screen, once for both screens: Form3 shows questions 1 to 15,
// Form7 questions 16 to 30.  The layout is the same, 120 twips further
// left on the second screen; the few differences in behaviour are in
// QuizLayout.

#include "bank/QuestionBank.h"
#include "platform/Form.h"
#include "screens/common/Mascot.h"

#include <array>
#include <functional>
#include <memory>

namespace platform {
class PictureBox;
}

namespace screens {

class QuizScreen;

struct QuizLayout {
    QString name;
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
    void Command11Click();             // 次へ
    void Command9Click();              // HELP
    void Command10Click();             // 終了
    void AnswerClick(int k);           // Command1..Command8
    void Timer1Tick() { mascot_->tick(); }

    void PickVariant(int n);
    void ShowQuestion(int n, int v, bank::Path path);
    void EnableChoices();
    void LockChoices();

    std::array<QPushButton *, 9> Command{};  // Command[1..8]: the answer buttons
    QPushButton *Command9, *Command10, *Command11;
    platform::PictureBox *Picture1, *Picture2, *Picture3;
    QLabel *Label1, *Label2, *Label3, *Label4;
    platform::ImageBox *Image1, *Image2, *Image3, *Image4;
    platform::Timer *Timer1;
    const QuizLayout &layout() const { return layout_; }

private:
    bool inRange(int n) const { return n >= layout_.first && n <= layout_.last; }
    void questionBlock(int n);
    void showScore();
    // Saves, unloads this screen and shows the next one.
    bool leaveFor(const QString &screen);

    QuizLayout layout_;
    std::unique_ptr<MascotAnimation> mascot_;
};

class Form3 : public QuizScreen {
    Q_OBJECT
public:
    Form3();
    static const QuizLayout &layoutOf();
};

// The second quiz screen, for questions 16 to 30.
class Form7 : public QuizScreen {
    Q_OBJECT
public:
    Form7();
    static const QuizLayout &layoutOf();
};

}  // namespace screens
