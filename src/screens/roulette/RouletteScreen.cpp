// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/roulette/RouletteScreen.h"

#include "platform/Forms.h"
#include "platform/PictureBox.h"
#include "platform/Services.h"
#include "screens/Screens.h"
#include "screens/common/SaveProgress.h"
#include "screens/history/HistoryScreen.h"
#include "screens/roulette/Wheel.h"
#include "state/Session.h"
#include "state/SoundCues.h"

#include <cmath>

namespace screens {

using platform::Face;
using platform::makeFont;
using namespace roulette;

namespace {
// The wheel box's user unit, in twips.
constexpr double kUnitX = 6.8671875, kUnitY = 7.0875;
const QColor kBallColor(255, 0, 0);
}  // namespace

RouletteScreen::RouletteScreen()
    : Form(QStringLiteral("rouletteScreen"), QStringLiteral("  ぽむりん紀行20（ボーナスルーレット）"), 4680, 4065) {
    startButton = addButton(QStringLiteral("startButton"), QStringLiteral("Start"), 120, 0, 615, 375);
    stopButton = addButton(QStringLiteral("stopButton"), QStringLiteral("Stop"), 720, 0, 615, 375);
    stopButton->setEnabled(false);
    nextButton = addButton(QStringLiteral("nextButton"), QStringLiteral("次へ"), 3960, 0, 615, 375);
    nextButton->setEnabled(false);
    addLine(QStringLiteral("topRule"), 120, 360, 4560, 360);
    // The wheel box has no font of its own: it prints in the window's.
    wheelBox = addPicture(QStringLiteral("wheelBox"), 120, 480, 4455, 2895, font());
    wheelBox->setFocusPolicy(Qt::StrongFocus);
    wheelBox->setScale(0, 0, wheelBox->widthTwips() / kUnitX, wheelBox->heightTwips() / kUnitY);
    // The print columns of the sector values were laid out for a narrower
    // font than ours; measured at 0.4 of the font size, every value reads
    // inside the sector that scores it.
    wheelBox->setColumnWidth(0.4 * wheelBox->lineHeight());
    mascotTimer = addTimer(QStringLiteral("mascotTimer"), 500, true);
    spinTimer = addTimer(QStringLiteral("spinTimer"), 100, false);
    runOnTimer = addTimer(QStringLiteral("runOnTimer"), 150, false);
    ballPauseTimer = addTimer(QStringLiteral("ballPauseTimer"), kBallPauseMs, false);
    friendPose2 = addImage(QStringLiteral("friendPose2"), QStringLiteral(":/pictures/D.xpm"), 120, 2160, 615, 615, true,
                           false, wheelBox);
    friendPose1 = addImage(QStringLiteral("friendPose1"), QStringLiteral(":/pictures/C.xpm"), 120, 2160, 615, 615, true,
                           false, wheelBox);
    mascotPose2 = addImage(QStringLiteral("mascotPose2"), QStringLiteral(":/pictures/B.xpm"), 3720, 2160, 612, 612,
                           true, false, wheelBox);
    mascotPose1 = addImage(QStringLiteral("mascotPose1"), QStringLiteral(":/pictures/A.xpm"), 3720, 2160, 615, 615,
                           true, false, wheelBox);
    scoreCaption = addLabel(QStringLiteral("scoreCaption"), QStringLiteral("ぽむりん得点"), 960, 3600, 1335, 255,
                            makeFont(Face::Gothic, 11.25, true));
    scoreLabel = addLabel(QStringLiteral("scoreLabel"), QString(), 2280, 3600, 1095, 255, font());
    platform::setSingleBorder(scoreLabel);
    scoreLabel->setAlignment(Qt::AlignCenter);
    mascot_ = std::make_unique<MascotAnimation>(
        mascotTimer, QList<MascotAnimation::Pair>{{mascotPose1, mascotPose2}, {friendPose1, friendPose2}});

    setTabOrder({wheelBox, startButton, stopButton, nextButton});
    setFirstFocus(wheelBox);
    // A click or tick that comes while a tick shows the ball waits for its
    // erase; when it runs, its button or timer must still be on.
    const auto queued = [this](auto *source, void (RouletteScreen::*handler)()) {
        return [this, source, handler] {
            whenBallErased([this, source, handler] {
                if (source->isEnabled()) (this->*handler)();
            });
        };
    };
    connect(startButton, &QPushButton::clicked, this, queued(startButton, &RouletteScreen::startClicked));
    connect(stopButton, &QPushButton::clicked, this, queued(stopButton, &RouletteScreen::stopClicked));
    connect(nextButton, &QPushButton::clicked, this, queued(nextButton, &RouletteScreen::nextClicked));
    spinTimer->onTick = queued(spinTimer, &RouletteScreen::spinTicked);
    runOnTimer->onTick = queued(runOnTimer, &RouletteScreen::runOnTicked);
    ballPauseTimer->onTick = [this] { endOfPause(); };
}

void RouletteScreen::activate() {
    eraseColor = wheelBox->palette().color(wheelBox->backgroundRole());
    // The sector values, printed where they read inside their sectors.
    wheelBox->newLine();
    wheelBox->newLine();
    wheelBox->newLine();
    wheelBox->printAtColumn(26, QStringLiteral("5000"));
    wheelBox->printAtColumn(33, QString());
    wheelBox->newLine();
    wheelBox->printAtColumn(19, QStringLiteral("-10000"));
    wheelBox->printAtColumn(35, QStringLiteral("10000"));
    wheelBox->printAtColumn(20, QStringLiteral("30000"));
    wheelBox->newLine();
    wheelBox->newLine();
    wheelBox->printAtColumn(22, QString());
    wheelBox->printAtColumn(30, QStringLiteral(" 8000"));
    platform::setCaption(scoreLabel, scoreText(state::session().score));
    drawWheel();
    wheelAngle = 0;
    ballX = 480;
    ballY = 200;
    drawBall(kBallColor);
    cues::tune(player(), cues::kRouletteTune, QStringLiteral("close"));
}

void RouletteScreen::drawWheel() {
    const QColor black(Qt::black);
    for (double r : {kInnerRadius, kOuterRadius})
        for (double t = 0; t <= 6.283184; t += 0.01)
            wheelBox->point(kCentreX + r * std::cos(t), kCentreY + r * std::sin(t), black);
    for (int i = 0; i <= 23; ++i) {
        const double t = kPi / 24 + i * kPi / 12;
        wheelBox->line(kCentreX + kInnerRadius * std::cos(t), kCentreY + kInnerRadius * std::sin(t),
                       kCentreX + kOuterRadius * std::cos(t), kCentreY + kOuterRadius * std::sin(t), black);
    }
    for (int i = 0; i <= 7; ++i) {
        const double t = kPi / 24 + i * kPi / 4;
        wheelBox->line(kCentreX, kCentreY, kCentreX + kInnerRadius * std::cos(t), kCentreY + kInnerRadius * std::sin(t),
                       black);
    }
}

void RouletteScreen::drawBall(const QColor &color) { wheelBox->disc(ballX, ballY, kBallRadius, color); }

void RouletteScreen::moveBall() {
    const QPointF c = ballCentre(wheelAngle);
    ballX = c.x();
    ballY = c.y();
}

void RouletteScreen::whenBallErased(std::function<void()> event) {
    if (ballShowing_) {
        waiting_.push_back(std::move(event));
        return;
    }
    event();
}

void RouletteScreen::showBallForAMoment() {
    drawBall(kBallColor);
    ballShowing_ = true;
    ballPauseTimer->setEnabled(true);
}

void RouletteScreen::endOfPause() {
    ballPauseTimer->setEnabled(false);
    if (!ballShowing_) return;
    ballShowing_ = false;
    drawBall(eraseColor);
    // Events that came meanwhile, in order, until one shows the ball again.
    while (!waiting_.empty() && !ballShowing_) {
        auto event = std::move(waiting_.front());
        waiting_.pop_front();
        event();
    }
}

void RouletteScreen::startClicked() {
    cues::chime(player(), cues::kClick);
    startButton->setEnabled(false);
    stopButton->setEnabled(true);
    drawBall(eraseColor);
    spinTimer->setEnabled(true);
    wheelAngle = 0;
    moveBall();
    drawBall(eraseColor);
}

void RouletteScreen::spinTicked() {
    wheelAngle = spinStep(wheelAngle);
    moveBall();
    showBallForAMoment();
}

void RouletteScreen::stopClicked() {
    cues::chime(player(), cues::kClick);
    stopButton->setEnabled(false);
    drawBall(kBallColor);
    spinTimer->setEnabled(false);
    drawBall(eraseColor);
    platform::Random &rnd = platform::random();
    rnd.seed(platform::clock().secondsSinceMidnight());
    // Uniform in [0, 1), kept below 1 when rounding to single precision.
    extraTurns = std::min(static_cast<float>(rnd.next()), std::nextafter(1.0f, 0.0f));
    if (!(extraTurns >= 0)) extraTurns = 0;
    runOnTimer->setEnabled(true);
}

void RouletteScreen::runOnTicked() {
    if (runsOn(wheelAngle, extraTurns)) {
        wheelAngle = runOnStep(wheelAngle);
        moveBall();
        showBallForAMoment();
        return;
    }
    const Halt h = halt(wheelAngle);
    wheelAngle = h.angle;
    state::Session &m = state::session();
    m.score += h.points;
    platform::setCaption(scoreLabel, scoreText(m.score));
    drawBall(kBallColor);
    runOnTimer->setEnabled(false);
    nextButton->setEnabled(true);
}

void RouletteScreen::nextClicked() {
    cues::chime(player(), cues::kClick);
    // The wheel goes before the save; a failed save's message then stands
    // alone and the program ends only once it is dismissed.
    unload();
    if (!saveProgressOrFail()) return;  // saved with the wheel's points before the next screen reads it
    const state::Session &m = state::session();
    if (m.question <= 15)
        showScreen(ScreenId::FirstQuiz);
    else if (m.question < 30)
        showScreen(ScreenId::SecondQuiz);
    else
        history::showAndFill(scoreText(m.score));
}

}  // namespace screens
