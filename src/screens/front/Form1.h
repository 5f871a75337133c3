#pragma once
// The title screen: the title, a blinking figure, the title tune, and two
// buttons, "次へ" to the start menu and "終了" to leave the program.

#include "platform/Form.h"
#include "screens/common/Mascot.h"

#include <memory>

namespace screens {

class Form1 : public platform::Form {
    Q_OBJECT
public:
    Form1();
    void activate() override;

    void Command1Click();  // 次へ
    void Command2Click();  // 終了
    void Timer1Tick() { mascot_->tick(); }

    QPushButton *Command1, *Command2;
    QLabel *Label1, *Label2, *Label3, *Label4;
    platform::ImageBox *Image1, *Image2, *Image3;
    platform::Timer *Timer1;
    MascotAnimation &mascot() { return *mascot_; }

private:
    std::unique_ptr<MascotAnimation> mascot_;
};

}  // namespace screens
