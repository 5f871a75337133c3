#include "screens/roulette/Form4.h"

#include "platform/Forms.h"
#include "platform/PictureBox.h"
#include "platform/Services.h"
#include "screens/common/SaveProgress.h"
#include "screens/history/Form6.h"
#include "screens/roulette/Wheel.h"
#include "state/Module1.h"
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

Form4::Form4() : Form(QStringLiteral("Form4"), QStringLiteral("  ぽむりん紀行20（ボーナスルーレット）"), 4680, 4065) {
    Command1 = addButton(QStringLiteral("Command1"), QStringLiteral("Start"), 120, 0, 615, 375);
    Command2 = addButton(QStringLiteral("Command2"), QStringLiteral("Stop"), 720, 0, 615, 375);
    Command2->setEnabled(false);
    Command3 = addButton(QStringLiteral("Command3"), QStringLiteral("次へ"), 3960, 0, 615, 375);
    Command3->setEnabled(false);
    addLine(QStringLiteral("Line1"), 120, 360, 4560, 360);
    // The wheel box has no font of its own: it prints in the window's.
    Picture1 = addPicture(QStringLiteral("Picture1"), 120, 480, 4455, 2895, font());
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture1->setScale(0, 0, Picture1->widthTwips() / kUnitX, Picture1->heightTwips() / kUnitY);
    // The print columns of the sector values were laid out for a narrower
    // font than ours; measured at 0.4 of the font size, every value reads
    // inside the sector that scores it.
    Picture1->setColumnWidth(0.4 * Picture1->lineHeight());
    Timer1 = addTimer(QStringLiteral("Timer1"), 500, true);
    Timer2 = addTimer(QStringLiteral("Timer2"), 100, false);
    Timer3 = addTimer(QStringLiteral("Timer3"), 150, false);
    BallPause = addTimer(QStringLiteral("BallPause"), kBallPauseMs, false);
    Image4 = addImage(QStringLiteral("Image4"), QStringLiteral(":/pictures/D.xpm"), 120, 2160, 615, 615, true, false, Picture1);
    Image3 = addImage(QStringLiteral("Image3"), QStringLiteral(":/pictures/C.xpm"), 120, 2160, 615, 615, true, false, Picture1);
    Image2 = addImage(QStringLiteral("Image2"), QStringLiteral(":/pictures/B.xpm"), 3720, 2160, 612, 612, true, false, Picture1);
    Image1 = addImage(QStringLiteral("Image1"), QStringLiteral(":/pictures/A.xpm"), 3720, 2160, 615, 615, true, false, Picture1);
    Label1 = addLabel(QStringLiteral("Label1"), QStringLiteral("ぽむりん得点"), 960, 3600, 1335, 255,
                      makeFont(Face::Gothic, 11.25, true));
    Label2 = addLabel(QStringLiteral("Label2"), QString(), 2280, 3600, 1095, 255, font());
    platform::setSingleBorder(Label2);
    Label2->setAlignment(Qt::AlignCenter);
    mascot_ = std::make_unique<MascotAnimation>(
        Timer1, QList<MascotAnimation::Pair>{{Image1, Image2}, {Image3, Image4}});

    setTabOrder({Picture1, Command1, Command2, Command3});
    setFirstFocus(Picture1);
    // A click or tick that comes while a tick shows the ball waits for its
    // erase; when it runs, its button or timer must still be on.
    const auto queued = [this](auto *source, void (Form4::*handler)()) {
        return [this, source, handler] {
            whenBallErased([this, source, handler] {
                if (source->isEnabled()) (this->*handler)();
            });
        };
    };
    connect(Command1, &QPushButton::clicked, this, queued(Command1, &Form4::Command1Click));
    connect(Command2, &QPushButton::clicked, this, queued(Command2, &Form4::Command2Click));
    connect(Command3, &QPushButton::clicked, this, queued(Command3, &Form4::Command3Click));
    Timer2->onTick = queued(Timer2, &Form4::Timer2Tick);
    Timer3->onTick = queued(Timer3, &Form4::Timer3Tick);
    BallPause->onTick = [this] { endOfPause(); };
}

void Form4::activate() {
    EraseColor = Picture1->palette().color(Picture1->backgroundRole());
    // The sector values, printed where they read inside their sectors.
    Picture1->newLine();
    Picture1->newLine();
    Picture1->newLine();
    Picture1->printAtColumn(26, QStringLiteral("5000"));
    Picture1->printAtColumn(33, QString());
    Picture1->newLine();
    Picture1->printAtColumn(19, QStringLiteral("-10000"));
    Picture1->printAtColumn(35, QStringLiteral("10000"));
    Picture1->printAtColumn(20, QStringLiteral("30000"));
    Picture1->newLine();
    Picture1->newLine();
    Picture1->printAtColumn(22, QString());
    Picture1->printAtColumn(30, QStringLiteral(" 8000"));
    platform::setCaption(Label2, scoreText(state::module1().Score));
    drawWheel();
    WheelAngle = 0;
    BallX = 480;
    BallY = 200;
    drawBall(kBallColor);
    cues::tune(MMControl1(), cues::kRouletteTune, QStringLiteral("close"));
}

void Form4::drawWheel() {
    const QColor black(Qt::black);
    for (double r : {kInnerRadius, kOuterRadius})
        for (double t = 0; t <= 6.283184; t += 0.01)
            Picture1->point(kCentreX + r * std::cos(t), kCentreY + r * std::sin(t), black);
    for (int i = 0; i <= 23; ++i) {
        const double t = kPi / 24 + i * kPi / 12;
        Picture1->line(kCentreX + kInnerRadius * std::cos(t), kCentreY + kInnerRadius * std::sin(t),
                       kCentreX + kOuterRadius * std::cos(t), kCentreY + kOuterRadius * std::sin(t), black);
    }
    for (int i = 0; i <= 7; ++i) {
        const double t = kPi / 24 + i * kPi / 4;
        Picture1->line(kCentreX, kCentreY, kCentreX + kInnerRadius * std::cos(t),
                       kCentreY + kInnerRadius * std::sin(t), black);
    }
}

void Form4::drawBall(const QColor &color) { Picture1->disc(BallX, BallY, kBallRadius, color); }

void Form4::moveBall() {
    const QPointF c = ballCentre(WheelAngle);
    BallX = c.x();
    BallY = c.y();
}

void Form4::whenBallErased(std::function<void()> event) {
    if (ballShowing_) {
        waiting_.push_back(std::move(event));
        return;
    }
    event();
}

void Form4::showBallForAMoment() {
    drawBall(kBallColor);
    ballShowing_ = true;
    BallPause->setEnabled(true);
}

void Form4::endOfPause() {
    BallPause->setEnabled(false);
    if (!ballShowing_) return;
    ballShowing_ = false;
    drawBall(EraseColor);
    // Events that came meanwhile, in order, until one shows the ball again.
    while (!waiting_.empty() && !ballShowing_) {
        auto event = std::move(waiting_.front());
        waiting_.pop_front();
        event();
    }
}

void Form4::Command1Click() {
    cues::chime(MMControl1(), cues::kClick);
    Command1->setEnabled(false);
    Command2->setEnabled(true);
    drawBall(EraseColor);
    Timer2->setEnabled(true);
    WheelAngle = 0;
    moveBall();
    drawBall(EraseColor);
}

void Form4::Timer2Tick() {
    WheelAngle = spinStep(WheelAngle);
    moveBall();
    showBallForAMoment();
}

void Form4::Command2Click() {
    cues::chime(MMControl1(), cues::kClick);
    Command2->setEnabled(false);
    drawBall(kBallColor);
    Timer2->setEnabled(false);
    drawBall(EraseColor);
    platform::Random &rnd = platform::random();
    rnd.seed(platform::clock().secondsSinceMidnight());
    // Uniform in [0, 1), kept below 1 when rounding to single precision.
    ExtraTurns = std::min(static_cast<float>(rnd.next()), std::nextafter(1.0f, 0.0f));
    if (!(ExtraTurns >= 0)) ExtraTurns = 0;
    Timer3->setEnabled(true);
}

void Form4::Timer3Tick() {
    if (runsOn(WheelAngle, ExtraTurns)) {
        WheelAngle = runOnStep(WheelAngle);
        moveBall();
        showBallForAMoment();
        return;
    }
    const Halt h = halt(WheelAngle);
    WheelAngle = h.angle;
    state::Module1 &m = state::module1();
    m.Score += h.points;
    platform::setCaption(Label2, scoreText(m.Score));
    drawBall(kBallColor);
    Timer3->setEnabled(false);
    Command3->setEnabled(true);
}

void Form4::Command3Click() {
    cues::chime(MMControl1(), cues::kClick);
    unload();
    if (!saveProgressOrFail()) return;
    const state::Module1 &m = state::module1();
    if (m.QuestionNo <= 15)
        platform::forms::show(QStringLiteral("Form3"));
    else if (m.QuestionNo < 30)
        platform::forms::show(QStringLiteral("Form7"));
    else
        history::showAndFill(scoreText(m.Score));
}

}  // namespace screens
