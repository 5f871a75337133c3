// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The help tutor: the math doctor works an example of the current
// question's kind through, one step per click of "次へ", then hands back
// to the quiz screen.

#include "platform/Form.h"
#include "screens/common/Mascot.h"

#include <functional>
#include <memory>

namespace state {
struct Session;
}

namespace platform {
class PictureBox;
}

namespace screens {

class TutorScreen : public platform::Form {
    Q_OBJECT
public:
    // The game's tutor: explains the shared run's question and hands back
    // to its quiz screen.
    TutorScreen();
    // A tutor over another run, whose question it explains; leave replaces
    // the hand-back to the quiz screen (the last step and "EXIT" call it).
    // The teacher's window shows the explanation this way, over a run of
    // its own with no progress file behind it, and closes it in leave.
    TutorScreen(const state::Session &run, std::function<void()> leave);
    void activate() override;

    void nextClicked();  // 次へ
    void exitClicked();  // EXIT
    void mascotTicked() { mascot_->tick(); }

    QPushButton *nextButton, *exitButton;
    platform::PictureBox *explanationBox, *workingBox, *speechBox;
    platform::ImageBox *mascotPose1, *mascotPose2, *doctorPose1, *doctorPose2;
    platform::Timer *mascotTimer;
    // The explanation step that the next click shows.
    short step = 0;

private:
    void backToQuiz();
    const state::Session &run_;
    std::function<void()> leave_;
    std::unique_ptr<MascotAnimation> mascot_;
};

}  // namespace screens
