// SPDX-License-Identifier: GPL-3.0-or-later
// Forms: fresh instances on show, activation once, unloading, the close
// box, the end of the program, timers, and the real program's end on
// SIGTERM.
#include "platform/Form.h"
#include "platform/Forms.h"
#include "platform/Timer.h"
#include "support/Fakes.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

using namespace testing_support;

namespace {

int gCreated = 0;
int gActivated = 0;

class Sample : public platform::Form {
public:
    Sample() : Form("Sample", "サンプル", 1500, 750) {
        ++gCreated;
        next = addButton("nextButton", "次へ", 0, 0, 735, 375);
    }
    void activate() override { ++gActivated; }
    QPushButton *next;
};

class Forms : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        gCreated = gActivated = 0;
    }
    static platform::Form *showSample() {
        return platform::forms::show("Sample", [] { return new Sample; });
    }
};

TEST_F(Forms, ShowMakesAFreshInstanceAndActivatesItOnce) {
    auto *a = showSample();
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->isVisible());
    EXPECT_EQ(a->size(), QSize(100, 50));  // 1500 x 750 twips
    EXPECT_EQ(a->windowTitle(), "サンプル");
    a->unload();
    auto *b = showSample();
    EXPECT_EQ(gCreated, 2);
    EXPECT_EQ(gActivated, 2);
    EXPECT_EQ(platform::forms::open(), QList<platform::Form *>{b});
    EXPECT_EQ(platform::forms::showLog(), QStringList({"Sample", "Sample"}));
}

TEST_F(Forms, OpenCentredKeepTheirSizeAndOfferNoMaximiseButton) {
    auto *a = showSample();
    // Placed by the program where the platform lets it (not Wayland).
    const QPoint off = a->frameGeometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE(off.manhattanLength(), 4);  // the frame's width aside
    EXPECT_EQ(a->minimumSize(), QSize(100, 50));
    EXPECT_EQ(a->maximumSize(), QSize(100, 50));
    const Qt::WindowFlags flags = a->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    // A maximise asked for all the same (Wayland's decoration has the
    // button) is turned back.
    a->setWindowState(Qt::WindowMaximized);
    EXPECT_EQ(a->windowState(), Qt::WindowNoState);
    EXPECT_EQ(a->size(), QSize(100, 50));
}

TEST_F(Forms, UnloadHidesAtOnceDeletesLaterAndEndsWhenNothingIsLeft) {
    QPointer<platform::Form> a = showSample();
    a->unload();
    EXPECT_FALSE(a->isVisible());
    EXPECT_FALSE(a.isNull());  // the handler may go on using it
    EXPECT_FALSE(platform::forms::programEnded());
    settle();
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(platform::forms::programEnded());
}

TEST_F(Forms, HandOverWithinAHandlerKeepsTheProgramRunning) {
    auto *a = showSample();
    a->unload();
    showSample();
    settle();
    EXPECT_FALSE(platform::forms::programEnded());
    EXPECT_EQ(platform::forms::open().size(), 1);
}

TEST_F(Forms, CloseBoxUnloadsWithoutHandOverAndTheProgramEnds) {
    auto *a = showSample();
    a->close();
    settle();
    EXPECT_TRUE(platform::forms::open().isEmpty());
    EXPECT_TRUE(platform::forms::programEnded());
    EXPECT_EQ(platform::forms::showLog().size(), 1);
}

TEST_F(Forms, EndProgramDropsEveryWindowAndNothingShowsAfterwards) {
    showSample();
    showSample();
    platform::forms::endProgram();
    EXPECT_TRUE(platform::forms::open().isEmpty());
    EXPECT_EQ(showSample(), nullptr);
    EXPECT_EQ(gCreated, 2);
    EXPECT_EQ(platform::forms::showLog().size(), 3);  // the late request is still recorded
}

TEST_F(Forms, FailureOutsideATrapNamesItAndEnds) {
    showSample();
    platform::forms::fail("保存できません");
    EXPECT_EQ(dialogs.calls, QStringList{"error|保存できません|ぽむりん紀行20"});
    EXPECT_TRUE(platform::forms::programEnded());
}

TEST_F(Forms, TimersTickOnlyWhenEnabledAndStopWithTheirForm) {
    auto *a = showSample();
    auto *t = a->addTimer("mascotTimer", 500, true);
    int ticks = 0;
    t->onTick = [&] { ++ticks; };
    t->fire();
    t->setEnabled(false);
    t->fire();
    t->setEnabled(true);
    a->unload();
    t->fire();
    EXPECT_EQ(ticks, 1);
}

// Every other test fires ticks by hand; this one lets a timer made enabled,
// as the mascots' blinking is on every screen, run on the real clock.
TEST_F(Forms, ATimerMadeEnabledStartsByItselfAndTicksInTheEventLoop) {
    platform::Timer::setManualMode(false);
    auto *t = showSample()->addTimer("mascotTimer", 20, true);
    int ticks = 0;
    t->onTick = [&] { ++ticks; };
    EXPECT_TRUE(t->running());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, 5000));
    t->setEnabled(false);
    EXPECT_FALSE(t->running());
    platform::Timer::setManualMode(true);
}

TEST_F(Forms, ControlsArePlacedInTwipsAndNamed) {
    auto *a = showSample();
    auto *l = a->addLabel("scoreLabel", "得点", 2280, 4320, 855, 255, platform::makeFont(platform::Face::Gothic, 11.25));
    EXPECT_EQ(l->geometry(), QRect(152, 288, 57, 17));
    EXPECT_EQ(l->accessibleName(), "得点");
    EXPECT_EQ(l->textFormat(), Qt::PlainText);  // a caption is never markup
    EXPECT_EQ(l->font().pixelSize(), 15);
    EXPECT_EQ(a->findChild<QPushButton *>("nextButton")->accessibleName(), "次へ");
}

// Options as NAME=VALUE (a class folder set up as a teacher should, so that
// no message stops the start), and the end on SIGTERM.
TEST(Program, TakesNameEqualsValueOptionsAndEndsOnSigterm) {
    ASSERT_TRUE(QDir().mkdir("class"));
    ASSERT_EQ(::chmod("class", 02770), 0);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    for (const char *qt : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS"}) env.remove(qt);  // else Qt's, not --scale
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(QDir::currentPath());
    p.start(QStringLiteral(POMURIN_PROGRAM), {"--scale=4", "--folder=" + QDir::current().absoluteFilePath("class")});
    ASSERT_TRUE(p.waitForStarted(10000));
    QTest::qWait(1500);  // long enough for the sound thread to set up SDL
    ASSERT_EQ(p.state(), QProcess::Running);
    EXPECT_EQ(QFileInfo(QStringLiteral("/proc/%1/cwd").arg(p.processId())).symLinkTarget(), QFileInfo("class").canonicalFilePath());
    ::kill(pid_t(p.processId()), SIGTERM);
    EXPECT_TRUE(p.waitForFinished(5000));
    if (p.state() != QProcess::NotRunning) p.kill();
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains("--scale \"4\" is not auto or a number from 1 to 3"));
}

}  // namespace
