// SPDX-License-Identifier: GPL-3.0-or-later
// Without an audio device, without the sound files and without the
// Japanese fonts the program still starts, plays a question and saves.
//
// Fonts are read once per process and the audio driver is chosen from the
// environment, so each case runs this test program again as a child with
// the environment of the case; the child (DegradedChild) starts the real
// program, clicks its way from the title to a right answer and a wrong one, quits through
// the history screen and checks the saved file.
#include "bank/QuestionBank.h"
#include "platform/DataFolder.h"
#include "platform/Form.h"
#include "platform/PictureBox.h"
#include "platform/SdlMedia.h"
#include "screens/Program.h"
#include "screens/front/TitleScreen.h"
#include "screens/front/StartMenu.h"
#include "screens/history/HistoryScreen.h"
#include "screens/quiz/QuizScreen.h"
#include "state/CodeHold.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QProcess>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

using namespace testing_support;

namespace {

const char kChildFlag[] = "POMURIN_DEGRADED_CHILD";
const char kFolder[] = "POMURIN_DEGRADED_FOLDER";
// A child's run takes about a second (a few under sanitizers on a busy
// machine); the child gives up after this.
constexpr int kChildSeconds = 30;

class DegradedChild : public ScreenTest {
protected:
    // Paints every open window, so text is laid out with whatever fonts
    // there are.
    static void paintAll() {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible()) w->grab();
    }
    // The steps of a short run, each after the last has settled.
    void play() {
        auto *title = open<screens::TitleScreen>(ScreenId::Title);
        ASSERT_NE(title, nullptr);
        paintAll();
        click(title->nextButton);  // 次へ
        settle();
        auto *menu = open<screens::StartMenu>(ScreenId::StartMenu);
        ASSERT_NE(menu, nullptr);
        paintAll();
        dialogs.inputAnswers = {"taro"};
        click(menu->newRunButton);  // 初めからやる
        settle();
        auto *quiz = open<screens::QuizScreen>(screens::ScreenId::FirstQuiz);
        ASSERT_NE(quiz, nullptr);
        paintAll();
        ASSERT_FALSE(quiz->board.questionBox->printed().isEmpty());  // the question is on screen
        state::Session &m = state::session();
        const int right = bank::rightButton(m.question, m.variant);
        ASSERT_GE(right, 1);
        click(quiz->board.answerButtons[right]);
        EXPECT_EQ(m.score, 3000);
        click(quiz->board.nextButton);  // 次へ: question 2
        settle();
        paintAll();
        // A wrong answer to question 2: the hold's next renewal names the question and its miss.
        click(quiz->board.answerButtons[bank::rightButton(m.question, m.variant) == 1 ? 2 : 1]);
        state::codeHold().renewTimer().fire();
        QFile hold("taro.ucd.hold");
        EXPECT_TRUE(hold.open(QIODevice::ReadOnly) && hold.readAll().contains("\nquestion 2\nmisses 1\n"));
        dialogs.yesNoAnswers = {true, true};
        click(quiz->board.quitButton);  // 終了, saves and shows the history
        settle();
        auto *history = open<screens::HistoryScreen>(ScreenId::History);
        ASSERT_NE(history, nullptr);
        paintAll();
        click(history->quitButton);  // 終了: the program ends
        settle();
    }
};

TEST_F(DegradedChild, StartsPlaysAQuestionAndSaves) {
    if (qgetenv(kChildFlag).isEmpty()) GTEST_SKIP() << "run as a child of the Degraded tests";
    // The folder the parent prepared (with or without the sound files).
    ASSERT_TRUE(QDir::setCurrent(QString::fromLocal8Bit(qgetenv(kFolder))));
    // The child's own watchdogs, so that a fault fails in seconds: a step
    // that fails leaves the event loop at once; a run that hangs in an
    // event loop is ended by the timer, one blocked outside any by SIGALRM.
    ::alarm(kChildSeconds + 10);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        std::fprintf(stderr, "watchdog: the child still runs after %d s\n", kChildSeconds);
        std::_Exit(3);
    });
    watchdog.start(kChildSeconds * 1000);
    bool played = false;
    const int rc = screens::runProgram(*qApp, [&](QWidget *) {
        QTimer::singleShot(0, [&] {
            play();
            played = true;
            if (!platform::forms::programEnded()) {
                ADD_FAILURE() << "the program still runs after the last step";
                QCoreApplication::exit(1);
            }
        });
    });
    ::alarm(0);
    EXPECT_TRUE(played);
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(platform::forms::programEnded());
    state::Session saved;
    ASSERT_NO_THROW(state::progress::loadFrom("taro.ucd", saved));
    EXPECT_EQ(saved.question, 2);
    EXPECT_EQ(saved.score, 0);

    // The case really is as degraded as it claims.
    const QByteArray missing = qgetenv(kChildFlag);
    if (missing.contains("audio")) {
        platform::SdlMedia sdl;
        sdl.start();
        sdl.drain();
        EXPECT_FALSE(sdl.deviceOpen());
    }
    if (missing.contains("sounds")) EXPECT_FALSE(QFile::exists(platform::soundFile("pinpon.wav")));
    else EXPECT_TRUE(QFile::exists(platform::soundFile("pinpon.wav")));
    if (missing.contains("fonts")) {
        EXPECT_FALSE(QFontDatabase::families().contains("IPAPGothic")) << QFontDatabase::families().join(",").toStdString();
    }
}

// Runs the child with what the case takes away and returns its output.
class Degraded : public ::testing::Test {
protected:
    static void runChild(const QString &missing) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kChildFlag, missing);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("SDL_AUDIODRIVER", missing.contains("audio") ? "no-such-driver" : "dummy");
        const QString work = QDir::currentPath();
        env.insert(kFolder, work);
        if (!missing.contains("sounds")) {
            for (const char *name : {"pinpon.wav", "endpinpon.wav", "Chimes.wav", "Chimes2.wav", "passport.mid",
                                     "Canyon.mid", "bahha.rmi"})
                QFile::copy(QStringLiteral(POMURIN_SOUND_DIR "/") + name, QDir(work).filePath(name));
        }
        if (missing.contains("fonts")) {
            // A fontconfig that knows one empty folder: no font at all.
            QDir().mkdir("nofonts");
            QDir().mkdir("fccache");
            QFile conf("fonts.conf");
            ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
            conf.write("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig><dir>" +
                       QDir("nofonts").absolutePath().toUtf8() + "</dir><cachedir>" +
                       QDir("fccache").absolutePath().toUtf8() + "</cachedir></fontconfig>\n");
            conf.close();
            env.insert("FONTCONFIG_FILE", QDir(work).absoluteFilePath("fonts.conf"));
            env.remove("FONTCONFIG_PATH");
            env.insert("QT_QPA_FONTDIR", QDir("nofonts").absolutePath());
        }
        QProcess child;
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(work);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=DegradedChild.StartsPlaysAQuestionAndSaves"});
        // The parent's watchdog, beyond the child's own.
        if (!child.waitForFinished((kChildSeconds + 20) * 1000)) {
            child.kill();
            child.waitForFinished(5000);
            FAIL() << "the child hangs: " << child.readAll().toStdString();
        }
        const QString out = QString::fromUtf8(child.readAll());
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << out.toStdString();
        EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
        EXPECT_TRUE(out.contains("[  PASSED  ] 1 test")) << out.toStdString();
        EXPECT_FALSE(out.contains("SKIPPED")) << out.toStdString();
    }
};

TEST_F(Degraded, NoAudioDevice) { runChild("audio"); }
TEST_F(Degraded, NoSoundFiles) { runChild("sounds"); }
TEST_F(Degraded, NoJapaneseFonts) { runChild("fonts"); }
TEST_F(Degraded, NothingAtAll) { runChild("audio sounds fonts"); }

}  // namespace
