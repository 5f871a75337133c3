// SPDX-License-Identifier: GPL-3.0-or-later
// The display scale and the sound switch: what auto chooses for a screen,
// which of the environment, the option and the two setting files wins, what
// a wrong value does, and the scale as really applied to the largest window.
#include "platform/Form.h"
#include "platform/Settings.h"
#include "report/WindowEntry.h"
#include "report/window/ClassWindow.h"
#include "screens/Screens.h"
#include "support/EnvVar.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

using testing_support::EnvVar;

namespace {

// The history screen, 6855 × 6015 twips: the largest window.
const QSize kHistory(457, 401);

TEST(AutoScale, LargestStepAtWhichTheHistoryFitsTwoThirdsOfTheScreen) {
    struct Row {
        int width, height;  // the screen's available area in device pixels
        double desktop;     // the desktop's own scale
        double chosen;
    };
    const Row rows[] = {
        {1366, 768, 1, 1}, {1920, 1048, 1, 1.5}, {1920, 1080, 1, 1.5}, {2560, 1440, 1, 2}, {3840, 2160, 1, 3},
        {3200, 1800, 1, 2.5},  // each of the six steps is chosen on some screen
        {1600, 900, 1, 1.25}, {1920, 1200, 1, 1.5}, {1080, 1920, 1, 1.5},  // upright: the width decides
        {800, 600, 1, 1},  // too small even at 1: never below it
        // A desktop that scales already: ours on top where the logical screen is still large.
        {3840, 2160, 2, 1.5}, {2560, 1440, 2, 1}, {2880, 1800, 2, 1.25},
    };
    for (const Row &r : rows)
        EXPECT_EQ(platform::autoScale(QSizeF(r.width / r.desktop, r.height / r.desktop), kHistory), r.chosen)
            << r.width << "x" << r.height << " at " << r.desktop;
    EXPECT_EQ(screens::largestScreenSize(), kHistory);
}

// A home and one system configuration folder inside the test's folder.
class Settings : public ::testing::Test {
protected:
    const QString root = QDir::currentPath();
    const EnvVar configHome{"XDG_CONFIG_HOME", (root + "/home").toUtf8()};
    const EnvVar configDirs{"XDG_CONFIG_DIRS", (root + "/etc").toUtf8()};
    const EnvVar qtScreens{"QT_SCREEN_SCALE_FACTORS", QByteArray()};
    const QString user = root + "/home/pomurin20/pomurin20.conf";
    const QString system = root + "/etc/pomurin20/pomurin20.conf";

    void files(const char *userText, const char *systemText) {
        for (const auto &[path, text] : {std::pair(user, userText), std::pair(system, systemText)}) {
            QFile::remove(path);
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            ASSERT_TRUE(!text || (f.open(QIODevice::WriteOnly) && f.write(text) >= 0)) << qPrintable(path);
        }
    }
    // The warnings with "<user>" and "<system>" put for the files' paths.
    QStringList paths(QStringList warnings) const {
        return warnings.replaceInStrings("<user>", user).replaceInStrings("<system>", system);
    }
};

TEST_F(Settings, ScaleComesFromTheEnvironmentTheOptionTheUsersFileTheSystemsFileOrAuto) {
    using O = platform::ScaleOrigin;
    struct Row {
        const char *qtScale, *option, *userFile, *systemFile;
        double factor;
        O origin;
        char settingFile;  // 'u'ser's, 's'ystem's or none
        QStringList warnings;
    };
    const Row rows[] = {
        {nullptr, nullptr, nullptr, nullptr, 1.5, O::Auto, 0, {}},
        {nullptr, nullptr, nullptr, "[display]\nscale = 2\n", 2, O::Setting, 's', {}},
        {nullptr, nullptr, "[display]\nscale=1.25\n", "[display]\nscale = 2\n", 1.25, O::Setting, 'u', {}},
        {nullptr, nullptr, "[display]\nscale = AUTO\n", "[display]\nscale = 2\n", 1.5, O::Auto, 0, {}},
        {nullptr, nullptr, "[display]\n# scale = 3\nscale =\n", "[display]\nscale = 2.5\n", 2.5, O::Setting, 's', {}},
        {nullptr, nullptr, "[class]\nscale = 3\n", nullptr, 1.5, O::Auto, 0, {}},
        {nullptr, nullptr, "[display] ; 教室の大画面\nscale = 2\n", nullptr, 2, O::Setting, 'u', {}},
        {nullptr, "1", "[display]\nscale = 2\n", nullptr, 1, O::Option, 0, {}},
        {nullptr, "auto", "[display]\nscale = 2\n", nullptr, 1.5, O::Auto, 0, {}},
        {nullptr, "4", "[display]\nscale = 2\n", nullptr, 1.5, O::Auto, 0,
         {"--scale \"4\" is not auto or a number from 1 to 3; auto is used"}},
        {nullptr, "nan", nullptr, nullptr, 1.5, O::Auto, 0,
         {"--scale \"nan\" is not auto or a number from 1 to 3; auto is used"}},
        {nullptr, nullptr, "[display]\nscale = 1,5\n", "[display]\nscale = 2\n", 1.5, O::Auto, 0,
         {"<user>: [display] scale = \"1,5\" is not auto or a number from 1 to 3; auto is used"}},
        // Qt's own scale from the environment stands, and ours is not put on top.
        {"1.25", nullptr, "[display]\nscale = 2\n", nullptr, 1.25, O::Environment, 0, {}},
        {"2", "3", nullptr, nullptr, 2, O::Environment, 0,
         {"--scale 3 is not used: the scale set for Qt in the environment (QT_SCALE_FACTOR or "
          "QT_SCREEN_SCALE_FACTORS) applies"}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(testing::Message() << "row " << (&r - rows));
        files(r.userFile, r.systemFile);
        const EnvVar env("QT_SCALE_FACTOR", QByteArray(r.qtScale));
        const QString option = QString::fromUtf8(r.option);
        QStringList warnings;
        const platform::DisplayScale s = platform::chooseDisplayScale(
            r.option ? &option : nullptr, [] { return QSizeF(1920, 1080); }, kHistory, &warnings);
        EXPECT_EQ(s.factor, r.factor);
        EXPECT_EQ(s.origin, r.origin);
        EXPECT_EQ(s.settingFile, r.settingFile == 'u' ? user : r.settingFile == 's' ? system : "");
        EXPECT_EQ(warnings, paths(r.warnings));
    }
}

// Qt's scale from the environment outside 1 to 3 (one crashed, others left
// no window or one far larger than the screen) is named and taken away
// before Qt reads it; 1 to 3 stays.
TEST(EnvironmentScale, OutsideOneToThreeIsNamedAndNotUsed) {
    for (const char *value : {"-1", "0", "nan", "inf", "1e308", "20", "2x", "0.99", "1", "3", "1.5"}) {
        const EnvVar env("QT_SCALE_FACTOR", value);
        const bool usable = QByteArray("1 3 1.5").split(' ').contains(QByteArray(value));
        EXPECT_EQ(platform::dropUnusableEnvironmentScale(),
                  usable ? "" : QString("QT_SCALE_FACTOR \"%1\" is not a number from 1 to 3; it is not used").arg(value));
        EXPECT_EQ(qgetenv("QT_SCALE_FACTOR"), usable ? QByteArray(value) : QByteArray()) << value;
    }
}

TEST_F(Settings, SoundIsOffByTheOptionOrTheFirstFileThatSaysSo) {
    // --no-sound, the user's and the system's file; the sound on, the warnings.
    const std::tuple<bool, const char *, const char *, bool, QStringList> rows[] = {
        {false, nullptr, nullptr, true, {}},
        {false, nullptr, "[sound]\nenabled = false\n", false, {}},
        {false, "[sound]\nenabled = true\n", "[sound]\nenabled = false\n", true, {}},
        {false, "[sound]\n enabled = Off \n", "[sound]\nenabled = yes\n", false, {}},
        {false, "[sound]\nenabled =\n[display]\nenabled = false\n", "[sound]\nenabled = on\n", true, {}},
        {true, "[sound]\nenabled = true\n", nullptr, false, {}},
        {false, "[sound] ; 授業中は消す\nenabled = false\n", nullptr, false, {}},
        {false, "[sound]\nenabled = Quiet\n", "[sound]\nenabled = false\n", true,
         {"<user>: [sound] enabled = \"Quiet\" is not true or false; the sound stays on"}},
    };
    for (const auto &[noSound, userFile, systemFile, on, warned] : rows) {
        SCOPED_TRACE(testing::Message() << noSound << " " << (userFile ? userFile : "") << " / " << (systemFile ? systemFile : ""));
        files(userFile, systemFile);
        QStringList warnings;
        EXPECT_EQ(platform::soundWanted(noSound, &warnings), on);
        EXPECT_EQ(warnings, paths(warned));
    }
}

// The child: chooses and applies the scale as the program does on the
// screen its parent described, shows the largest window and prints the
// device pixel ratio it is drawn at.
TEST(DisplayScaleChild, PrintsTheRatioOfTheLargestWindow) {
    if (qEnvironmentVariableIsEmpty("POMURIN_SCALE_CHILD")) GTEST_SKIP() << "run as a child of DisplayScale";
    if (qgetenv("POMURIN_SCALE_CHILD") == "report") {  // the teacher's window, its place kept here
        report::window::QtWindowDialogs dialogs;
        const auto window = report::showWindow(dialogs, nullptr, qEnvironmentVariable("POMURIN_DATA"));
        const QImage shot = window->grab().toImage();
        std::printf("ratio %.4g window %dx%d\n", window->devicePixelRatioF(), shot.width(), shot.height());
        if (qEnvironmentVariableIsSet("POMURIN_GIVE_PLACE")) window->setGeometry(40, 30, 700, 500);
        QCoreApplication::processEvents();
        window->close();
        return;
    }
    QStringList warnings;
    platform::applyDisplayScale(platform::chooseDisplayScale(
        nullptr, [] { return QSizeF(QGuiApplication::primaryScreen()->availableGeometry().size()); },
        screens::largestScreenSize(), &warnings));
    platform::Form *history = screens::showScreen(screens::ScreenId::History);
    ASSERT_NE(history, nullptr);
    const QImage shot = history->grab().toImage();
    std::printf("ratio %.4g window %dx%d\n", history->devicePixelRatioF(), shot.width(), shot.height());
}

TEST(DisplayScale, AppliedBeforeTheFirstWindowOnScreensOfEachSizeAndDesktopScale) {
    // The screen (dpi 192: a desktop that scales by two), Qt's own scale, and
    // the history screen's ratio and size in device pixels; then the
    // teacher's window at the same scale over the whole screen, until the
    // teacher gives it a size (700 × 500), kept for the next start.
    const std::tuple<int, int, int, const char *, const char *, const char *> rows[] = {
        {1920, 1080, 96, nullptr, "1", "ratio 1.5 window 686x602"},
        {3840, 2160, 192, nullptr, "1", "ratio 3 window 1371x1203"},
        {1920, 1080, 96, "1.25", "1", "ratio 1.25 window 571x501"},
        {1024, 768, 96, nullptr, "report", "ratio 1 window 1020x764"},  // the screen less the frame
        {1920, 1080, 96, nullptr, "report", "ratio 1.5 window 1917x1077"},
        {2560, 1440, 96, nullptr, "report", "ratio 2 window 2556x1436"},
        {1920, 1080, 96, "1.25", "give", "ratio 1.25 window 1915x1075"},
        {1920, 1080, 96, nullptr, "report", "ratio 1.5 window 1050x750"},
        {1920, 1080, 96, nullptr, "old", "ratio 1.5 window 1050x750"},  // kept only where an earlier version kept it
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("POMURIN_SCALE_CHILD", "1");
    env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + QDir::current().absoluteFilePath("screen.json"));
    env.insert("XDG_CONFIG_HOME", QDir::currentPath());  // no setting file
    env.insert("POMURIN_DATA", QDir::currentPath());  // the teacher's data folder
    env.insert("XDG_CONFIG_DIRS", QDir::currentPath());
    env.remove("QT_SCREEN_SCALE_FACTORS");
    for (const auto &[width, height, dpi, qtScale, program, printed] : rows) {
        QFile config("screen.json");
        ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
        config.write(QStringLiteral("{\"screens\": [{\"name\": \"S\", \"x\": 0, \"y\": 0, \"width\": %1, \"height\": %2, "
                                    "\"logicalDpi\": %3, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                         .arg(width).arg(height).arg(dpi).toUtf8());
        config.close();
        qtScale ? env.insert("QT_SCALE_FACTOR", qtScale) : env.remove("QT_SCALE_FACTOR");
        QFile dat("窓の大きさと位置.dat");  // old: the place only as an earlier version kept it, in the data folder
        ASSERT_TRUE(program != QLatin1String("old") || (dat.open(QIODevice::WriteOnly) && dat.write(QByteArray::fromBase64(platform::readSetting(
            "pomurin20/pomurin20-report.conf", "window", "place").toLatin1())) > 9 && dat.flush() && QFile::remove("pomurin20/pomurin20-report.conf")));
        env.insert("POMURIN_SCALE_CHILD", QByteArray(program) == "give" || QByteArray(program) == "old" ? "report" : program);
        program == QLatin1String("give") ? env.insert("POMURIN_GIVE_PLACE", "1") : env.remove("POMURIN_GIVE_PLACE");
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=DisplayScaleChild.*"});
        ASSERT_TRUE(child.waitForFinished(20000)) << "the child hangs";  // and is ended with its QProcess
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
        EXPECT_TRUE(out.contains(QString::fromLatin1(printed))) << out.toStdString();
    }
}

}  // namespace
