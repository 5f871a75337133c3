// SPDX-License-Identifier: GPL-3.0-or-later
// The program: the title screen first; the run ends when no window is left.
//
//   pomurin20                 works in the folder it is started in
//   pomurin20 --user-folder   works in the class folder when the
//                             configuration names one, else in the
//                             learner's own folder (the menu entry starts
//                             it this way)
//   pomurin20 --folder DIR    works in DIR, as in a class folder
//   pomurin20 --scale VALUE   draws at that display scale (auto, 1 to 3)
//   pomurin20 --no-sound      plays no chime or tune
//   pomurin20 --review        the review of the questions a learner
//                             missed, in the same folder (combines with
//                             the options above)
//   pomurin20 --help | --version
#include "platform/ClassFolder.h"
#include "platform/DataFolder.h"
#include "platform/Media.h"
#include "platform/Services.h"
#include "platform/Settings.h"
#include "screens/Screens.h"
#include "screens/Program.h"
#include "state/SaveFiles.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>
#include <cstring>
#include <optional>

#ifndef POMURIN_VERSION
#define POMURIN_VERSION "unknown"
#endif
#ifndef POMURIN_APP_ID
#define POMURIN_APP_ID "pomurin20"
#endif

namespace {

void printHelp() {
    const QStringList data = platform::installedDataFolders();
    std::printf(
        "Usage: pomurin20 [--user-folder | --folder DIR] [--scale VALUE] [--no-sound] [--review]\n"
        "A maths drill game in Japanese.\n\n"
        "  --user-folder  work in the class folder named in pomurin20/pomurin20.conf\n"
        "                 of the XDG configuration folders (section [class], key\n"
        "                 folder; searched: %s),\n"
        "                 else in %s\n"
        "                 (created if missing) instead of the current folder\n"
        "  --folder DIR   work in DIR, a class folder, whatever the setting says\n"
        "  --scale VALUE  display scale: auto (the default: as large as fits the\n"
        "                 screen well) or a number from 1 to 3 (1, 1.25, 1.5, 2,\n"
        "                 2.5, 3); overrides [display] scale of the setting file\n"
        "  --no-sound     play no chime or tune (as [sound] enabled = false)\n"
        "  --review       practise the questions a code missed, on the days they are due\n"
        "                 (reads <code>.ucd, never writes it; keeps <code>.review)\n"
        "  --help         show this help and exit\n"
        "  --version      show the version and exit\n\n"
        "Progress files (<code>.ucd) are written in the working folder.  Sound files\n"
        "missing from it are taken from: %s\n"
        "A scale set for Qt in the environment (QT_SCALE_FACTOR) is used as it is when\n"
        "it is a number from 1 to 3; another value is named and not used.\n",
        qPrintable(platform::classFolderSettingFiles().join(QStringLiteral(", "))),
        qPrintable(platform::userFolderPath()),
        data.isEmpty() ? "(no installed data folder found)" : qPrintable(data.join(QStringLiteral(", "))));
}

}  // namespace

int main(int argc, char **argv) {
    // Help and version need no display, so they are answered before Qt
    // starts.
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            printHelp();
            return 0;
        }
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("pomurin20 %s\n", POMURIN_VERSION);
            return 0;
        }
    }

    // A scale for Qt in the environment that Qt cannot draw with (-1, 0,
    // nan, 20) is named and dropped before Qt reads it.
    if (const QString warning = platform::dropUnusableEnvironmentScale(); !warning.isEmpty())
        std::fprintf(stderr, "pomurin20: %s\n", qPrintable(warning));

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(POMURIN_APP_ID));
    // Qt has taken its own options (-platform, -display, ...); what is left
    // is ours.
    bool userFolder = false, noSound = false, review = false;
    std::optional<QString> folderOption, scaleOption;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        // An option with a value, as "NAME VALUE" or "NAME=VALUE": false
        // when it is not this one; a missing value ends the start with 2,
        // and so does an option in the value's place ("--folder --no-sound";
        // a value beginning with "-" is given as NAME=VALUE).
        bool missing = false;
        const auto valued = [&](QLatin1String name, std::optional<QString> *value) {
            if (arg == name && i + 1 < args.size() && !args[i + 1].startsWith(QLatin1Char('-'))) *value = args[++i];
            else if (arg.startsWith(name + QLatin1Char('='))) *value = arg.mid(name.size() + 1);
            else if (arg == name) missing = true;
            else return false;
            return true;
        };
        if (arg == QLatin1String("--user-folder")) {
            userFolder = true;
        } else if (valued(QLatin1String("--folder"), &folderOption)) {
            if (missing) {
                std::fprintf(stderr, "pomurin20: --folder needs a folder (try --help)\n");
                return 2;
            }
        } else if (valued(QLatin1String("--scale"), &scaleOption)) {
            if (missing) {
                std::fprintf(stderr, "pomurin20: --scale needs a value, auto or a number from 1 to 3 (try --help)\n");
                return 2;
            }
        } else if (arg == QLatin1String("--no-sound")) {
            noSound = true;
        } else if (arg == QLatin1String("--review")) {
            review = true;
        } else {
            std::fprintf(stderr, "pomurin20: unknown argument '%s' (try --help)\n", qPrintable(platform::visibleText(arg)));
            return 2;
        }
    }

    // The display scale, before any window (the class folder's message
    // too) is made; and the sound switch.  Wrong values are named and
    // never stop the game.
    QStringList warnings;
    platform::setDisplayScaleForScreen(scaleOption ? &*scaleOption : nullptr, screens::largestScreenSize(), &warnings);
    platform::setSoundEnabled(platform::soundWanted(noSound, &warnings));
    for (const QString &warning : warnings)
        std::fprintf(stderr, "pomurin20: %s\n", qPrintable(platform::visibleText(warning)));

    // The class folder, when one is named: used as it is, or the start ends
    // with a message for the teacher; never a silent fall-back elsewhere.
    QString source, settingProblem;
    const QString classFolder =
        platform::classFolderFor(userFolder, folderOption ? &*folderOption : nullptr, &source, &settingProblem);
    if (!settingProblem.isEmpty()) {
        // A setting that means a class folder but names none usable: never
        // the per-user folder instead, where the teacher would not see it.
        const QString message = platform::settingProblemMessage(source, settingProblem);
        std::fprintf(stderr, "pomurin20: the setting file %s names no usable class folder\n%s\n",
                     qPrintable(platform::visibleText(source)), qPrintable(platform::visibleText(message, true)));
        platform::installJapaneseTranslations();
        platform::dialogs().showError(nullptr, message, QStringLiteral("ぽむりん紀行20"));
        return 1;
    }
    if (folderOption || !classFolder.isEmpty()) {
        QString message;
        if (!platform::enterClassFolder(classFolder, source, &message)) {
            std::fprintf(stderr, "pomurin20: cannot use the class folder %s\n%s\n",
                         qPrintable(platform::visibleText(classFolder)), qPrintable(platform::visibleText(message, true)));
            platform::installJapaneseTranslations();
            platform::dialogs().showError(nullptr, message, QStringLiteral("ぽむりん紀行20"));
            return 1;
        }
        state::files::setGroupShared(true);
        // A folder that works but lets others in or would hide new files
        // from the teacher: said at every start until it is put right.
        if (const QString warning = platform::classFolderWarning(classFolder); !warning.isEmpty()) {
            std::fprintf(stderr, "pomurin20: the class folder %s is set up wrongly\n%s\n",
                         qPrintable(platform::visibleText(classFolder)), qPrintable(platform::visibleText(warning, true)));
            platform::installJapaneseTranslations();
            platform::dialogs().showError(nullptr, warning, QStringLiteral("ぽむりん紀行20"));
        }
    } else if (userFolder) {
        QString error;
        if (!platform::enterUserFolder(&error)) {
            std::fprintf(stderr, "pomurin20: cannot use the folder %s\n",
                         qPrintable(platform::visibleText(error, true)));
            platform::installJapaneseTranslations();
            platform::dialogs().showError(
                nullptr, QStringLiteral("学習記録のフォルダーを用意できません。\n%1").arg(error),
                QStringLiteral("ぽむりん紀行20"));
            return 1;
        }
    }
    return review ? screens::runReview(app) : screens::runProgram(app);
}
