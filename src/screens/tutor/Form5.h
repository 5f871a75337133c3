#pragma once
// The help tutor: the math doctor works an example of the current
// question's kind through, one step per click of "次へ", then hands back
// to the quiz screen.

#include "platform/Form.h"
#include "screens/common/Mascot.h"

#include <memory>

namespace platform {
class PictureBox;
}

namespace screens {

class Form5 : public platform::Form {
    Q_OBJECT
public:
    Form5();
    void activate() override;

    void Command1Click();  // 次へ
    void Command2Click();  // EXIT
    void Timer1Tick() { mascot_->tick(); }

    QPushButton *Command1, *Command2;
    platform::PictureBox *Picture1, *Picture2, *Picture3;
    platform::ImageBox *Image1, *Image2, *Image3, *Image4;
    platform::Timer *Timer1;
    // The explanation step that the next click shows.
    short PageNo = 0;

private:
    void backToQuiz();
    std::unique_ptr<MascotAnimation> mascot_;
};

}  // namespace screens
