// SPDX-License-Identifier: GPL-3.0-or-later
// The roulette screen: the fresh wheel, one spin with Start, Stop and the
// run-on, the score, the order of clicks during a tick, and the ways out.
#include "platform/PictureBox.h"
#include "screens/history/HistoryScreen.h"
#include "screens/quiz/QuizScreen.h"
#include "screens/roulette/RouletteScreen.h"
#include "screens/roulette/Wheel.h"
#include "state/Session.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QFile>
#include <QPointer>

#include <cmath>

using namespace testing_support;
using screens::RouletteScreen;
using screens::HistoryScreen;

namespace {

const QStringList kClickChime{"Stop", "Close", "Open pinpon.wav", "Sound"};

class RouletteTest : public ScreenTest {
protected:
    state::Session &m = state::session();

    RouletteScreen *show(double score = 0, int questionNo = 6) {
        m.userCode = "learner";
        m.question = static_cast<short>(questionNo);
        m.score = score;
        screens::showScreen(screens::ScreenId::Roulette);
        return open<RouletteScreen>(ScreenId::Roulette);
    }
    // One tick of the spin or the run-on, with its pause to the erase.
    static void tick(RouletteScreen *f, platform::Timer *timer) {
        timer->fire();
        f->ballPauseTimer->fire();
    }
    // Spins `ticks` cells, stops with the given extraTurns and runs on to
    // the halt; returns the number of run-on ticks that moved the ball.
    int spin(RouletteScreen *f, int ticks, double extraTurns) {
        click(f->startButton);
        for (int i = 0; i < ticks; ++i) tick(f, f->spinTimer);
        random.values = {extraTurns};
        click(f->stopButton);
        int moving = 0;
        while (f->runOnTimer->isEnabled()) {
            f->runOnTimer->fire();
            if (f->ballShowing()) {
                ++moving;
                f->ballPauseTimer->fire();
            }
        }
        return moving;
    }
    // The last disc drawn at a place, and its colour.
    static QColor discAt(const platform::ConsoleModel &box, double x, double y) {
        QColor c;
        for (const auto &g : box.graphics())
            if (g.kind == platform::Graphic::Disc && std::abs(g.x1 - x) < 1e-9 && std::abs(g.y1 - y) < 1e-9) c = g.color;
        return c;
    }
    // The captions of the enabled buttons, and which wheel timer runs.
    static QString state(RouletteScreen *f) {
        QStringList on;
        for (QPushButton *b : {f->startButton, f->stopButton, f->nextButton})
            if (b->isEnabled()) on << b->text();
        if (f->spinTimer->isEnabled()) on << "spinTimer";
        if (f->runOnTimer->isEnabled()) on << "runOnTimer";
        return on.join(' ');
    }
    static int countOf(const platform::ConsoleModel &box, platform::Graphic::Kind kind) {
        int n = 0;
        for (const auto &g : box.graphics()) n += g.kind == kind;
        return n;
    }
};

TEST_F(RouletteTest, FreshWheelMatchesTheDesign) {
    RouletteScreen *f = show(0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), "  ぽむりん紀行20（ボーナスルーレット）");
    EXPECT_EQ(f->size(), QSize(312, 271));
    EXPECT_EQ(f->startButton->text(), "Start");
    EXPECT_EQ(f->stopButton->text(), "Stop");
    EXPECT_EQ(f->nextButton->text(), "次へ");
    EXPECT_TRUE(f->startButton->isEnabled());
    EXPECT_FALSE(f->stopButton->isEnabled());
    EXPECT_FALSE(f->nextButton->isEnabled());
    EXPECT_EQ(f->wheelBox->geometry(), QRect(8, 32, 297, 193));
    EXPECT_EQ(f->friendPose1->parentWidget(), f->wheelBox);
    EXPECT_EQ(f->friendPose1->geometry(), QRect(10, 146, 41, 41));  // inside the box's 2-px frame
    EXPECT_EQ(f->mascotPose1->geometry(), QRect(250, 146, 41, 41));
    EXPECT_EQ(f->scoreLabel->alignment(), Qt::AlignCenter);
    EXPECT_EQ(f->mascotTimer->interval(), 500);
    EXPECT_TRUE(f->mascotTimer->isEnabled());
    EXPECT_EQ(f->spinTimer->interval(), 100);
    EXPECT_FALSE(f->spinTimer->isEnabled());
    EXPECT_EQ(f->runOnTimer->interval(), 150);
    EXPECT_FALSE(f->runOnTimer->isEnabled());
    EXPECT_EQ(f->firstFocus(), f->wheelBox);
    EXPECT_EQ(focusChain(f->wheelBox), QList<QWidget *>({f->wheelBox, f->startButton, f->stopButton, f->nextButton}));

    // One user unit is 6.8671875 twips across and 7.0875 down.
    const QPointF unit = f->wheelBox->toTwips(1, 1) - f->wheelBox->toTwips(0, 0);
    EXPECT_DOUBLE_EQ(unit.x(), 6.8671875);
    EXPECT_DOUBLE_EQ(unit.y(), 7.0875);

    // The wheel, drawn once: two rings of points, 24 ticks, 8 spokes, and
    // the red ball at 3 o'clock.
    EXPECT_EQ(countOf(*f->wheelBox, platform::Graphic::Point), 2 * 629);
    EXPECT_EQ(countOf(*f->wheelBox, platform::Graphic::Line), 24 + 8);
    EXPECT_EQ(discAt(*f->wheelBox, 480, 200), QColor(255, 0, 0));
    EXPECT_EQ(f->wheelAngle, 0);
    EXPECT_EQ(f->scoreLabel->text(), " 0");
    EXPECT_EQ(f->eraseColor, f->wheelBox->palette().color(f->wheelBox->backgroundRole()));
    EXPECT_EQ(media.log, QStringList({"Close", "Open Canyon.mid", "Play"}));
}

// Every sector value is printed where it reads inside the sector that
// scores it: its text lies inside the inner ring, between the sector's spokes.
TEST_F(RouletteTest, SectorValuesReadInsideTheirSectors) {
    RouletteScreen *f = show();
    const platform::PictureBox &box = *f->wheelBox;
    QStringList texts;
    const QPointF origin = box.toTwips(0, 0), unit = box.toTwips(1, 1) - origin;
    const QMap<QString, int> sectorOf{{"5000", 2}, {"-10000", 3}, {"10000", 0}, {"30000", 4}, {"8000", 6}};
    for (const auto &p : box.printed()) {
        const QString value = p.text.trimmed();
        texts << value;
        ASSERT_TRUE(sectorOf.contains(value)) << value.toStdString();
        const double lead = box.textWidth(p.text) - box.textWidth(value);
        // The ink of the digits: from the left of the first to the right of
        // the last, in the middle part of the line's height.
        const double left = p.x + lead, right = p.x + box.textWidth(p.text);
        const double top = p.y + 0.25 * box.lineHeight(), bottom = p.y + 0.85 * box.lineHeight();
        for (QPointF corner : {QPointF(left, top), QPointF(right, top), QPointF(left, bottom), QPointF(right, bottom)}) {
            const double ux = (corner.x() - origin.x()) / unit.x() - roulette::kCentreX;
            const double uy = roulette::kCentreY - (corner.y() - origin.y()) / unit.y();
            EXPECT_LT(std::hypot(ux, uy), roulette::kInnerRadius) << value.toStdString();
            double degrees = std::atan2(uy, ux) * 180 / M_PI;
            const double low = 45.0 * sectorOf[value] - 7.5;
            while (degrees < low) degrees += 360;
            EXPECT_LE(degrees, low + 45) << value.toStdString();
        }
    }
    EXPECT_EQ(texts, QStringList({"5000", "-10000", "10000", "30000", "8000"}));
}

// Start, five ticks, Stop with half a turn to go on: 31 moving ticks, the
// halt on cell 12 and thirty thousand points; only "次へ" is left.
TEST_F(RouletteTest, OneSpinFromStartToTheHalt) {
    RouletteScreen *f = show(12000);
    media.log.clear();
    EXPECT_EQ(state(f), "Start");  // ready
    click(f->startButton);
    EXPECT_EQ(media.log, kClickChime);
    EXPECT_EQ(state(f), "Stop spinTimer");  // spinning
    EXPECT_EQ(discAt(*f->wheelBox, 480, 200), f->eraseColor);

    for (int n = 1; n <= 5; ++n) {
        f->spinTimer->fire();
        const QPointF at = roulette::ballCentre(n * roulette::kPi / 12);
        EXPECT_TRUE(f->ballShowing());
        EXPECT_EQ(discAt(*f->wheelBox, at.x(), at.y()), QColor(255, 0, 0)) << n;
        f->ballPauseTimer->fire();
        EXPECT_FALSE(f->ballShowing());
        EXPECT_EQ(discAt(*f->wheelBox, at.x(), at.y()), f->eraseColor) << n;
    }

    clock.now = 43210.5f;
    random.values = {0.5};
    media.log.clear();
    click(f->stopButton);
    EXPECT_EQ(media.log, kClickChime);
    EXPECT_EQ(random.seeds, QList<float>{43210.5f});
    EXPECT_EQ(f->extraTurns, 0.5f);
    EXPECT_EQ(state(f), "runOnTimer");  // running on

    int moving = 0;
    while (f->runOnTimer->isEnabled() && moving < 100) {
        f->runOnTimer->fire();
        if (f->ballShowing()) {
            ++moving;
            f->ballPauseTimer->fire();
        }
    }
    EXPECT_EQ(moving, 31);
    EXPECT_EQ(roulette::cellOf(f->wheelAngle), 12);
    EXPECT_EQ(m.score, 42000);
    EXPECT_EQ(f->scoreLabel->text(), " 42000");
    const QPointF rest = roulette::ballCentre(36 * roulette::kPi / 12);
    EXPECT_EQ(discAt(*f->wheelBox, rest.x(), rest.y()), QColor(255, 0, 0));  // stays visible
    EXPECT_EQ(state(f), "次へ");  // settled

    // One spin a visit: "Start" never comes back, and its handler's guard
    // keeps a stray click from spinning again.
    click(f->startButton);
    EXPECT_FALSE(f->spinTimer->isEnabled());
    EXPECT_EQ(m.score, 42000);
}

TEST_F(RouletteTest, ANegativeScoreIsShownWithAMinusSign) {
    RouletteScreen *f = show(-3000);
    EXPECT_EQ(f->scoreLabel->text(), "-3000");
    spin(f, 2, 0.41);  // halts on cell 10: minus ten thousand
    EXPECT_EQ(m.score, -13000);
    EXPECT_EQ(f->scoreLabel->text(), "-13000");
}

// A click that comes while a tick shows the ball takes effect after that
// tick's erase, and a tick that comes meanwhile waits as well.
TEST_F(RouletteTest, ClicksDuringATickWaitForItsErase) {
    RouletteScreen *f = show();
    click(f->startButton);
    f->spinTimer->fire();
    f->spinTimer->fire();  // arrives while the first tick shows the ball
    const double during = f->wheelAngle;
    media.log.clear();
    click(f->stopButton);
    EXPECT_TRUE(media.log.isEmpty());  // not yet
    EXPECT_TRUE(f->stopButton->isEnabled());
    EXPECT_TRUE(f->spinTimer->isEnabled());
    EXPECT_EQ(f->wheelAngle, during);

    f->ballPauseTimer->fire();  // erase; then the waiting tick shows the ball again
    EXPECT_TRUE(f->ballShowing());
    EXPECT_EQ(roulette::cellOf(f->wheelAngle), 2);
    EXPECT_TRUE(media.log.isEmpty());

    f->ballPauseTimer->fire();  // erase; then "Stop"
    EXPECT_EQ(media.log, kClickChime);
    EXPECT_FALSE(f->stopButton->isEnabled());
    EXPECT_FALSE(f->spinTimer->isEnabled());
    EXPECT_TRUE(f->runOnTimer->isEnabled());
    EXPECT_EQ(roulette::cellOf(f->wheelAngle), 2);
}

// "次へ" chimes, closes the wheel, saves with the wheel's points and opens
// the next question's screen, or the history after the last question.
TEST_F(RouletteTest, NextGoesOnToTheRightScreenAfterSaving) {
    const QMap<int, ScreenId> target{{6, ScreenId::FirstQuiz},   {11, ScreenId::FirstQuiz},  {16, ScreenId::SecondQuiz},
                                     {21, ScreenId::SecondQuiz}, {26, ScreenId::SecondQuiz}, {30, ScreenId::History}};
    for (auto it = target.begin(); it != target.end(); ++it) {
        SCOPED_TRACE(it.key());
        state::resetSession();
        RouletteScreen *f = show(3000, it.key());
        spin(f, 1, 0.26);  // halts on cell 7: five thousand
        ASSERT_EQ(m.score, 8000);
        media.log.clear();
        click(f->nextButton);
        EXPECT_EQ(media.log.mid(0, 4), kClickChime);
        ScreenTest::settle();
        EXPECT_EQ(screens::findScreen(ScreenId::Roulette), nullptr);
        ASSERT_NE(screens::findScreen(it.value()), nullptr);
        state::Session saved;
        QFile file("learner.ucd");
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        state::progress::parse(file.readAll(), saved);
        EXPECT_EQ(saved.question, it.key());
        EXPECT_EQ(saved.score, 8000);
        if (it.key() == 30) {
            auto *h = open<HistoryScreen>(ScreenId::History);
            ASSERT_NE(h, nullptr);
            EXPECT_EQ(h->progressLabel->text(), "あなたは、問題 30 番まで進んでいます。");
            for (int i = 1; i <= 30; ++i) EXPECT_EQ(h->missLabels[i]->text(), " 0") << i;
            EXPECT_EQ(h->scoreLabel->text(), " 8000");
        } else {
            EXPECT_EQ(m.question, it.key());  // the quiz screen read the file back
        }
        platform::forms::resetForTests();
        QFile::remove("learner.ucd");
    }
}

// The close box closes the wheel without saving or showing anything else,
// and with no window left the program ends.
TEST_F(RouletteTest, CloseBoxEndsTheRunWithoutSaving) {
    RouletteScreen *f = show(5000);
    click(f->startButton);
    f->spinTimer->fire();
    QPointer<RouletteScreen> wheel(f);
    f->close();
    ScreenTest::settle();
    EXPECT_TRUE(wheel.isNull());
    EXPECT_FALSE(QFile::exists("learner.ucd"));
    EXPECT_EQ(platform::forms::showLog(), QStringList{"rouletteScreen"});
    EXPECT_TRUE(platform::forms::programEnded());
}

}  // namespace
