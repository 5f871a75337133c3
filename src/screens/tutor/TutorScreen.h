// SPDX-License-Identifier: GPL-3.0-or-later
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

class TutorScreen : public platform::Form {
    Q_OBJECT
public:
    TutorScreen();
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
    std::unique_ptr<MascotAnimation> mascot_;
};

}  // namespace screens
