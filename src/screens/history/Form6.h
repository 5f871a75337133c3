#pragma once
// The learning history: the last screen of a run.  For each of the thirty
// questions it shows the misses and the seconds taken, with how far the
// learner got and the score.  Its only way out is its own "終了".

#include "platform/Form.h"
#include "screens/common/Mascot.h"

#include <array>
#include <memory>

namespace screens {

class Form6 : public platform::Form {
    Q_OBJECT
public:
    Form6();
    void activate() override;

    void Command1Click();  // 終了
    void Timer1Tick() { mascot_->tick(); }

    QPushButton *Command1;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5;
    std::array<QLabel *, 31> QuestionName{};  // Label6..Label35 for questions 1..30
    std::array<QLabel *, 31> Lab{};           // Lab(1..30): misses
    std::array<QLabel *, 31> zik{};           // zik(1..30): seconds
    platform::ImageBox *Image1, *Image2;
    platform::Timer *Timer1;
    MascotAnimation &mascot() { return *mascot_; }

private:
    std::unique_ptr<MascotAnimation> mascot_;
};

namespace history {

// "あなたは、問題 ## 番まで進んでいます。" with ## replaced by the number's
// digits, however many, without leading zeros or blanks.
QString progressMessage(int questionNo);
// A miss count as the history shows it: " 2", " 0".
QString missText(int count);
// A time box: empty for 0, else the seconds with a leading blank.
QString timeText(double seconds);

// Shows the history screen and fills what the screen that opens it fills:
// the progress line from QuestionNo, the miss texts (MissText) of
// questions 1..QuestionNo and empty after, the thirty miss boxes, and the
// score label with the given text.  Returns the screen, or null when it
// could not be shown.
Form6 *showAndFill(const QString &scoreText);

}  // namespace history
}  // namespace screens
