// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/front/TitleScreen.h"

#include "platform/Forms.h"
#include "screens/Screens.h"
#include "screens/common/QuitBox.h"
#include "state/SoundCues.h"

namespace screens {

using platform::Face;
using platform::makeFont;

TitleScreen::TitleScreen()
    : Form(QStringLiteral("titleScreen"), QStringLiteral(" ぽむりん紀行20（√、因数分解、2次方程式・関数の巻）"), 5775,
           3960) {
    quitButton = addButton(QStringLiteral("quitButton"), QStringLiteral("終了"), 120, 0, 735, 375);
    nextButton = addButton(QStringLiteral("nextButton"), QStringLiteral("次へ"), 4920, 0, 735, 375);
    addLine(QStringLiteral("topRule"), 120, 360, 5640, 360);
    addRectangle(QStringLiteral("outerFrame"), 120, 480, 5535, 3255, 2);
    addRectangle(QStringLiteral("innerFrame"), 240, 600, 5295, 3015, 2);
    titleLabel = addLabel(QStringLiteral("titleLabel"), QStringLiteral("ぽむりん紀行20"), 1200, 840, 3615, 375,
                          makeFont(Face::Mincho, 15.75, true));
    addLine(QStringLiteral("titleUnderline"), 1200, 1200, 4680, 1200, 2);
    platformLabel = addLabel(QStringLiteral("platformLabel"), QStringLiteral("for Windows"), 3600, 1320, 1575, 255,
                             makeFont(Face::Mincho, 12, true));
    subtitleLabel = addLabel(QStringLiteral("subtitleLabel"), QStringLiteral("（√、因数分解、２次方程式・関数の巻）"),
                             360, 2520, 5055, 255, makeFont(Face::Mincho, 12, true));
    creditLabel = addLabel(QStringLiteral("creditLabel"), QStringLiteral("作・絵・音　ぽむりん学習室"), 1320, 3000,
                           3015, 255, makeFont(Face::Mincho, 9.75));
    mascotPose1 = addImage(QStringLiteral("mascotPose1"), QStringLiteral(":/pictures/A.xpm"), 2640, 1680, 615, 615);
    mascotPose2 = addImage(QStringLiteral("mascotPose2"), QStringLiteral(":/pictures/B.xpm"), 2640, 1680, 615, 615);
    titlePicture =
        addImage(QStringLiteral("titlePicture"), QStringLiteral(":/pictures/G.xpm"), 4560, 2760, 600, 600, false, true);
    mascotTimer = addTimer(QStringLiteral("mascotTimer"), 500, true);
    mascot_ = std::make_unique<MascotAnimation>(mascotTimer, QList<MascotAnimation::Pair>{{mascotPose1, mascotPose2}});

    setTabOrder({nextButton, quitButton});
    setFirstFocus(nextButton);
    connect(nextButton, &QPushButton::clicked, this, &TitleScreen::nextClicked);
    connect(quitButton, &QPushButton::clicked, this, &TitleScreen::quitClicked);
}

void TitleScreen::activate() { cues::tune(player(), cues::kTitleTune); }

void TitleScreen::nextClicked() {
    cues::chime(player(), cues::kClick);  // feedback first, as on every button
    unload();                             // before the next screen shows: one window at a time
    showScreen(ScreenId::StartMenu);
}

void TitleScreen::quitClicked() {
    if (askToQuit(*this)) {
        unload();
        platform::forms::endProgram();
    }
}

}  // namespace screens
