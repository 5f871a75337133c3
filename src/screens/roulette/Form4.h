#pragma once
// The bonus roulette: a wheel of eight sectors with points, a red ball on
// its ring, "Start", "Stop" and "次へ".  One spin a visit; the sector where
// the ball halts adds its points to the score.

#include "platform/Form.h"
#include "screens/common/Mascot.h"

#include <deque>
#include <functional>
#include <memory>

namespace platform {
class PictureBox;
}

namespace screens {

class Form4 : public platform::Form {
    Q_OBJECT
public:
    Form4();
    void activate() override;

    void Command1Click();  // Start
    void Command2Click();  // Stop
    void Command3Click();  // 次へ
    void Timer1Tick() { mascot_->tick(); }
    void Timer2Tick();  // spinning
    void Timer3Tick();  // running on after "Stop"

    QPushButton *Command1, *Command2, *Command3;
    platform::PictureBox *Picture1;
    QLabel *Label1, *Label2;
    platform::ImageBox *Image1, *Image2, *Image3, *Image4;
    platform::Timer *Timer1, *Timer2, *Timer3;
    // Holds the ball visible for a moment during a tick, then erases it.
    platform::Timer *BallPause;
    static constexpr int kBallPauseMs = 60;

    double WheelAngle = 0;
    double BallX = 0, BallY = 0;
    float ExtraTurns = 0;
    QColor EraseColor;

    // Whether a tick is holding the ball visible right now.
    bool ballShowing() const { return ballShowing_; }
    MascotAnimation &mascot() { return *mascot_; }

private:
    void drawWheel();
    void drawBall(const QColor &color);
    void moveBall();  // BallX, BallY from WheelAngle
    void showBallForAMoment();
    void endOfPause();
    // Runs an event now, or, while a tick shows the ball, right after that
    // tick's erase, so events keep their order and ticks never overlap.
    void whenBallErased(std::function<void()> event);

    std::unique_ptr<MascotAnimation> mascot_;
    bool ballShowing_ = false;
    std::deque<std::function<void()>> waiting_;
};

}  // namespace screens
