// The roulette screen: the fresh wheel, one spin with Start, Stop and the
// run-on, the score, the order of clicks during a tick, and the ways out.
#include "platform/PictureBox.h"
#include "screens/history/Form6.h"
#include "screens/quiz/QuizScreen.h"
#include "screens/roulette/Form4.h"
#include "screens/roulette/Wheel.h"
#include "state/Module1.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QFile>
#include <QPointer>

#include <cmath>

using namespace testing_support;
using screens::Form4;
using screens::Form6;

namespace {

const QStringList kClickChime{"Stop", "Close", "Open pinpon.wav", "Sound"};

class RouletteTest : public ScreenTest {
protected:
    state::Module1 &m = state::module1();

    Form4 *show(double score = 0, int questionNo = 6) {
        m.UserFileStem = "learner";
        m.QuestionNo = static_cast<short>(questionNo);
        m.Score = score;
        platform::forms::show("Form4");
        return open<Form4>("Form4");
    }
    // One tick of the spin or the run-on, with its pause to the erase.
    static void tick(Form4 *f, platform::Timer *timer) {
        timer->fire();
        f->BallPause->fire();
    }
    // Spins `ticks` cells, stops with the given ExtraTurns and runs on to
    // the halt; returns the number of run-on ticks that moved the ball.
    int spin(Form4 *f, int ticks, double extraTurns) {
        click(f->Command1);
        for (int i = 0; i < ticks; ++i) tick(f, f->Timer2);
        random.values = {extraTurns};
        click(f->Command2);
        int moving = 0;
        while (f->Timer3->isEnabled()) {
            f->Timer3->fire();
            if (f->ballShowing()) {
                ++moving;
                f->BallPause->fire();
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
    static QString state(Form4 *f) {
        QStringList on;
        for (QPushButton *b : {f->Command1, f->Command2, f->Command3})
            if (b->isEnabled()) on << b->text();
        if (f->Timer2->isEnabled()) on << "Timer2";
        if (f->Timer3->isEnabled()) on << "Timer3";
        return on.join(' ');
    }
    static int countOf(const platform::ConsoleModel &box, platform::Graphic::Kind kind) {
        int n = 0;
        for (const auto &g : box.graphics()) n += g.kind == kind;
        return n;
    }
};

TEST_F(RouletteTest, FreshWheelMatchesTheDesign) {
    Form4 *f = show(0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->windowTitle(), "  ぽむりん紀行20（ボーナスルーレット）");
    EXPECT_EQ(f->size(), QSize(312, 271));
    EXPECT_EQ(f->Command1->text(), "Start");
    EXPECT_EQ(f->Command2->text(), "Stop");
    EXPECT_EQ(f->Command3->text(), "次へ");
    EXPECT_TRUE(f->Command1->isEnabled());
    EXPECT_FALSE(f->Command2->isEnabled());
    EXPECT_FALSE(f->Command3->isEnabled());
    EXPECT_EQ(f->Picture1->geometry(), QRect(8, 32, 297, 193));
    EXPECT_EQ(f->Image3->parentWidget(), f->Picture1);
    EXPECT_EQ(f->Image3->geometry(), QRect(10, 146, 41, 41));  // inside the box's 2-px frame
    EXPECT_EQ(f->Image1->geometry(), QRect(250, 146, 41, 41));
    EXPECT_EQ(f->Label2->alignment(), Qt::AlignCenter);
    EXPECT_EQ(f->Timer1->interval(), 500);
    EXPECT_TRUE(f->Timer1->isEnabled());
    EXPECT_EQ(f->Timer2->interval(), 100);
    EXPECT_FALSE(f->Timer2->isEnabled());
    EXPECT_EQ(f->Timer3->interval(), 150);
    EXPECT_FALSE(f->Timer3->isEnabled());
    EXPECT_EQ(f->firstFocus(), f->Picture1);
    EXPECT_EQ(focusChain(f->Picture1), QList<QWidget *>({f->Picture1, f->Command1, f->Command2, f->Command3}));

    // One user unit is 6.8671875 twips across and 7.0875 down.
    const QPointF unit = f->Picture1->toTwips(1, 1) - f->Picture1->toTwips(0, 0);
    EXPECT_DOUBLE_EQ(unit.x(), 6.8671875);
    EXPECT_DOUBLE_EQ(unit.y(), 7.0875);

    // The wheel, drawn once: two rings of points, 24 ticks, 8 spokes, and
    // the red ball at 3 o'clock.
    EXPECT_EQ(countOf(*f->Picture1, platform::Graphic::Point), 2 * 629);
    EXPECT_EQ(countOf(*f->Picture1, platform::Graphic::Line), 24 + 8);
    EXPECT_EQ(discAt(*f->Picture1, 480, 200), QColor(255, 0, 0));
    EXPECT_EQ(f->WheelAngle, 0);
    EXPECT_EQ(f->Label2->text(), " 0");
    EXPECT_EQ(f->EraseColor, f->Picture1->palette().color(f->Picture1->backgroundRole()));
    EXPECT_EQ(media.log, QStringList({"Close", "Open Canyon.mid", "Play"}));
}

// Every sector value is printed where it reads inside the sector that
// scores it: its text lies inside the inner ring, between the sector's spokes.
TEST_F(RouletteTest, SectorValuesReadInsideTheirSectors) {
    Form4 *f = show();
    const platform::PictureBox &box = *f->Picture1;
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
    Form4 *f = show(12000);
    media.log.clear();
    EXPECT_EQ(state(f), "Start");  // ready
    click(f->Command1);
    EXPECT_EQ(media.log, kClickChime);
    EXPECT_EQ(state(f), "Stop Timer2");  // spinning
    EXPECT_EQ(discAt(*f->Picture1, 480, 200), f->EraseColor);

    for (int n = 1; n <= 5; ++n) {
        f->Timer2->fire();
        const QPointF at = roulette::ballCentre(n * roulette::kPi / 12);
        EXPECT_TRUE(f->ballShowing());
        EXPECT_EQ(discAt(*f->Picture1, at.x(), at.y()), QColor(255, 0, 0)) << n;
        f->BallPause->fire();
        EXPECT_FALSE(f->ballShowing());
        EXPECT_EQ(discAt(*f->Picture1, at.x(), at.y()), f->EraseColor) << n;
    }

    clock.now = 43210.5f;
    random.values = {0.5};
    media.log.clear();
    click(f->Command2);
    EXPECT_EQ(media.log, kClickChime);
    EXPECT_EQ(random.seeds, QList<float>{43210.5f});
    EXPECT_EQ(f->ExtraTurns, 0.5f);
    EXPECT_EQ(state(f), "Timer3");  // running on

    int moving = 0;
    while (f->Timer3->isEnabled() && moving < 100) {
        f->Timer3->fire();
        if (f->ballShowing()) {
            ++moving;
            f->BallPause->fire();
        }
    }
    EXPECT_EQ(moving, 31);
    EXPECT_EQ(roulette::cellOf(f->WheelAngle), 12);
    EXPECT_EQ(m.Score, 42000);
    EXPECT_EQ(f->Label2->text(), " 42000");
    const QPointF rest = roulette::ballCentre(36 * roulette::kPi / 12);
    EXPECT_EQ(discAt(*f->Picture1, rest.x(), rest.y()), QColor(255, 0, 0));  // stays visible
    EXPECT_EQ(state(f), "次へ");  // settled

    // One spin a visit: "Start" never comes back, and its handler's guard
    // keeps a stray click from spinning again.
    click(f->Command1);
    EXPECT_FALSE(f->Timer2->isEnabled());
    EXPECT_EQ(m.Score, 42000);
}

TEST_F(RouletteTest, ANegativeScoreIsShownWithAMinusSign) {
    Form4 *f = show(-3000);
    EXPECT_EQ(f->Label2->text(), "-3000");
    spin(f, 2, 0.41);  // halts on cell 10: minus ten thousand
    EXPECT_EQ(m.Score, -13000);
    EXPECT_EQ(f->Label2->text(), "-13000");
}

// A click that comes while a tick shows the ball takes effect after that
// tick's erase, and a tick that comes meanwhile waits as well.
TEST_F(RouletteTest, ClicksDuringATickWaitForItsErase) {
    Form4 *f = show();
    click(f->Command1);
    f->Timer2->fire();
    f->Timer2->fire();  // arrives while the first tick shows the ball
    const double during = f->WheelAngle;
    media.log.clear();
    click(f->Command2);
    EXPECT_TRUE(media.log.isEmpty());  // not yet
    EXPECT_TRUE(f->Command2->isEnabled());
    EXPECT_TRUE(f->Timer2->isEnabled());
    EXPECT_EQ(f->WheelAngle, during);

    f->BallPause->fire();  // erase; then the waiting tick shows the ball again
    EXPECT_TRUE(f->ballShowing());
    EXPECT_EQ(roulette::cellOf(f->WheelAngle), 2);
    EXPECT_TRUE(media.log.isEmpty());

    f->BallPause->fire();  // erase; then "Stop"
    EXPECT_EQ(media.log, kClickChime);
    EXPECT_FALSE(f->Command2->isEnabled());
    EXPECT_FALSE(f->Timer2->isEnabled());
    EXPECT_TRUE(f->Timer3->isEnabled());
    EXPECT_EQ(roulette::cellOf(f->WheelAngle), 2);
}

// "次へ" chimes, closes the wheel, saves with the wheel's points and opens
// the next question's screen, or the history after the last question.
TEST_F(RouletteTest, NextGoesOnToTheRightScreenAfterSaving) {
    const QMap<int, QString> target{{6, "Form3"}, {11, "Form3"}, {16, "Form7"}, {21, "Form7"}, {26, "Form7"}, {30, "Form6"}};
    for (auto it = target.begin(); it != target.end(); ++it) {
        SCOPED_TRACE(it.key());
        state::resetModule1();
        Form4 *f = show(3000, it.key());
        spin(f, 1, 0.26);  // halts on cell 7: five thousand
        ASSERT_EQ(m.Score, 8000);
        media.log.clear();
        click(f->Command3);
        EXPECT_EQ(media.log.mid(0, 4), kClickChime);
        ScreenTest::settle();
        EXPECT_EQ(platform::forms::find("Form4"), nullptr);
        EXPECT_NE(platform::forms::find(it.value()), nullptr);
        state::Module1 saved;
        QFile file("learner.ucd");
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        state::progress::parse(file.readAll(), saved);
        EXPECT_EQ(saved.QuestionNo, it.key());
        EXPECT_EQ(saved.Score, 8000);
        if (it.key() == 30) {
            auto *h = open<Form6>("Form6");
            EXPECT_EQ(h->Label3->text(), "あなたは、問題 30 番まで進んでいます。");
            for (int i = 1; i <= 30; ++i) EXPECT_EQ(h->Lab[i]->text(), " 0") << i;
            EXPECT_EQ(h->Label4->text(), " 8000");
        } else {
            EXPECT_EQ(m.QuestionNo, it.key());  // the quiz screen read the file back
        }
        platform::forms::resetForTests();
        QFile::remove("learner.ucd");
    }
}

// The close box closes the wheel without saving or showing anything else,
// and with no window left the program ends.
TEST_F(RouletteTest, CloseBoxEndsTheRunWithoutSaving) {
    Form4 *f = show(5000);
    click(f->Command1);
    f->Timer2->fire();
    QPointer<Form4> wheel(f);
    f->close();
    ScreenTest::settle();
    EXPECT_TRUE(wheel.isNull());
    EXPECT_FALSE(QFile::exists("learner.ucd"));
    EXPECT_EQ(platform::forms::showLog(), QStringList{"Form4"});
    EXPECT_TRUE(platform::forms::programEnded());
}

}  // namespace
