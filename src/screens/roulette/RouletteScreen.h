// SPDX-License-Identifier: GPL-3.0-or-later
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

class RouletteScreen : public platform::Form {
    Q_OBJECT
public:
    RouletteScreen();
    void activate() override;

    void startClicked();  // Start
    void stopClicked();   // Stop
    void nextClicked();   // 次へ
    void mascotTicked() { mascot_->tick(); }
    void spinTicked();   // the ball goes round while the wheel spins
    void runOnTicked();  // the ball runs on after "Stop", then halts and scores

    QPushButton *startButton, *stopButton, *nextButton;
    platform::PictureBox *wheelBox;
    QLabel *scoreCaption, *scoreLabel;
    platform::ImageBox *mascotPose1, *mascotPose2, *friendPose1, *friendPose2;
    platform::Timer *mascotTimer, *spinTimer, *runOnTimer;
    // Holds the ball visible for a moment during a tick, then erases it.
    platform::Timer *ballPauseTimer;
    static constexpr int kBallPauseMs = 60;

    double wheelAngle = 0;        // the ball's angle on the ring, radians
    double ballX = 0, ballY = 0;  // the ball's centre, in the wheel box's units
    float extraTurns = 0;         // drawn at "Stop": how far the ball runs on
    QColor eraseColor;            // the wheel box's background, to erase the ball

    // Whether a tick is holding the ball visible right now.
    bool ballShowing() const { return ballShowing_; }
    MascotAnimation &mascot() { return *mascot_; }

private:
    void drawWheel();
    void drawBall(const QColor &color);
    void moveBall();  // ballX, ballY from wheelAngle
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
