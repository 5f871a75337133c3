// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/tutor/TutorScreen.h"

#include "platform/Forms.h"
#include "platform/PictureBox.h"
#include "screens/Screens.h"
#include "screens/tutor/TutorScripts.h"
#include "state/Session.h"
#include "state/SoundCues.h"

namespace screens {

using platform::Face;
using platform::makeFont;

TutorScreen::TutorScreen() : TutorScreen(state::session(), {}) {}

TutorScreen::TutorScreen(const state::Session &run, std::function<void()> leave)
    : Form(QStringLiteral("tutorScreen"),
           QStringLiteral("  ぽむりん紀行20(√、因数分解、２次方程式・関数の巻) for Windows"), 7095, 4905),
      run_(run), leave_(std::move(leave)) {
    const QFont gothic = makeFont(Face::Gothic, 11.25);
    exitButton = addButton(QStringLiteral("exitButton"), QStringLiteral("EXIT"), 120, 0, 855, 375);
    nextButton = addButton(QStringLiteral("nextButton"), QStringLiteral("次へ"), 6120, 0, 855, 375);
    addLine(QStringLiteral("topRule"), 120, 360, 6960, 360);
    explanationBox = addPicture(QStringLiteral("explanationBox"), 120, 480, 3375, 3375, gothic);
    workingBox = addPicture(QStringLiteral("workingBox"), 3600, 480, 3375, 3375, gothic);
    speechBox = addPicture(QStringLiteral("speechBox"), 1320, 4080, 4455, 615, makeFont(Face::Mincho, 9));
    doctorPose2 = addImage(QStringLiteral("doctorPose2"), QStringLiteral(":/pictures/F.xpm"), 360, 4080, 615, 645);
    doctorPose1 = addImage(QStringLiteral("doctorPose1"), QStringLiteral(":/pictures/E.xpm"), 360, 4080, 615, 645);
    mascotPose2 = addImage(QStringLiteral("mascotPose2"), QStringLiteral(":/pictures/B.xpm"), 6120, 4080, 615, 615);
    mascotPose1 = addImage(QStringLiteral("mascotPose1"), QStringLiteral(":/pictures/A.xpm"), 6120, 4080, 615, 615);
    mascotTimer = addTimer(QStringLiteral("mascotTimer"), 300, true);
    mascot_ = std::make_unique<MascotAnimation>(
        mascotTimer, QList<MascotAnimation::Pair>{{mascotPose1, mascotPose2}, {doctorPose1, doctorPose2}});
    setTabOrder({nextButton, exitButton});
    setFirstFocus(nextButton);
    connect(nextButton, &QPushButton::clicked, this, &TutorScreen::nextClicked);
    connect(exitButton, &QPushButton::clicked, this, &TutorScreen::exitClicked);
}

void TutorScreen::activate() {
    const int q = run_.question;
    if (!state::Session::inRange(q)) return;
    tutor::printExample(*explanationBox, q);
    tutor::printGreeting(*speechBox);
}

void TutorScreen::backToQuiz() {
    if (leave_) {
        leave_();
        return;
    }
    unload();  // before the quiz screen shows: one window at a time
    showScreen(quizScreenFor(run_.question));
}

void TutorScreen::nextClicked() {
    const int q = run_.question;
    if (!state::Session::inRange(q)) return;  // nothing to explain: the click does nothing
    const int clicks = tutor::clickCount(q);
    step = static_cast<short>(step % clicks);
    if (step < clicks - 1) {
        tutor::performStep(*explanationBox, *workingBox, q, step + 1);
    } else if (step == clicks - 1) {
        backToQuiz();
        step = -1;
    }
    step = static_cast<short>(step + 1);
}

void TutorScreen::exitClicked() {
    cues::chime(player(), cues::kClick);
    step = 0;
    backToQuiz();
}

}  // namespace screens
