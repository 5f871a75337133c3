// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The title screen: the title, a blinking figure, the title tune, and two
// buttons, "次へ" to the start menu and "終了" to leave the program.

#include "platform/Form.h"
#include "screens/common/Mascot.h"

#include <memory>

namespace screens {

class TitleScreen : public platform::Form {
    Q_OBJECT
public:
    TitleScreen();
    void activate() override;

    void nextClicked();  // 次へ
    void quitClicked();  // 終了
    void mascotTicked() { mascot_->tick(); }

    QPushButton *nextButton, *quitButton;
    QLabel *titleLabel, *subtitleLabel, *platformLabel, *creditLabel;
    platform::ImageBox *mascotPose1, *titlePicture, *mascotPose2;
    platform::Timer *mascotTimer;
    MascotAnimation &mascot() { return *mascot_; }

private:
    std::unique_ptr<MascotAnimation> mascot_;
};

}  // namespace screens
