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
#include "platform/Options.h"
#include "platform/Services.h"
#include "platform/Settings.h"
#include "screens/Program.h"
#include "screens/Screens.h"
#include "state/SaveFiles.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>

#include <cstdio>
#include <map>
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
        qPrintable(platform::settingFiles().join(QStringLiteral(", "))), qPrintable(platform::userFolderPath()),
        data.isEmpty() ? "(no installed data folder found)" : qPrintable(data.join(QStringLiteral(", "))));
}

// What the command line asks for.
struct Options {
    bool help = false, version = false;
    bool userFolder = false, noSound = false, review = false;
    std::optional<QString> folder, scale;
};

// Qt's own options, which the application object takes for itself: they
// are accepted here and left to it.
const char *const kQtValued[] = {"platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
                                 "qwindowicon", "qwindowtitle",       "display",       "session", "geometry",
                                 "style",       "stylesheet",         "name",          "title",   "qmljsdebugger"};
const char *const kQtFlags[] = {"reverse", "nograb", "dograb", "widgetcount", "testability"};

// Reads the command line once, before Qt starts (help and version need no
// display).  A wrong one is named on stderr and gives nothing.
std::optional<Options> parseCommandLine(int argc, char **argv) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")}),
        version(QStringLiteral("version")), userFolder(QStringLiteral("user-folder")),
        noSound(QStringLiteral("no-sound")), review(QStringLiteral("review")),
        folder(QStringLiteral("folder"), {}, QStringLiteral("DIR")),
        scale(QStringLiteral("scale"), {}, QStringLiteral("VALUE"));
    parser.addOptions({help, version, userFolder, noSound, review, folder, scale});
    for (const char *name : kQtValued)
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), {}, QStringLiteral("value")));
    for (const char *name : kQtFlags) parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const bool parsed = parser.parse(args);

    // The first wrong argument is named, as the order of the line has it.
    std::map<qsizetype, QString> wrong;
    const platform::OptionSlip slip =
        platform::firstOptionSlip(args, parser, {QStringLiteral("--folder"), QStringLiteral("--scale")});
    if (slip.kind == platform::OptionSlip::Unknown)
        wrong.emplace(slip.index, QStringLiteral("unknown argument '%1'").arg(platform::visibleText(slip.argument)));
    else if (slip.kind == platform::OptionSlip::NoValue)
        wrong.emplace(slip.index, slip.argument == QLatin1String("--folder")
                                      ? QStringLiteral("--folder needs a folder")
                                      : QStringLiteral("--scale needs a value, auto or a number from 1 to 3"));
    if (const QStringList extra = parser.positionalArguments(); !extra.isEmpty())
        wrong.emplace(args.indexOf(extra.first(), 1),
                      QStringLiteral("unknown argument '%1'").arg(platform::visibleText(extra.first())));
    if (wrong.empty() && !parsed) wrong.emplace(0, parser.errorText());
    if (!wrong.empty()) {
        std::fprintf(stderr, "pomurin20: %s (try --help)\n", qPrintable(wrong.begin()->second));
        return std::nullopt;
    }
    Options o;
    o.help = parser.isSet(help);
    o.version = parser.isSet(version);
    o.userFolder = parser.isSet(userFolder);
    o.noSound = parser.isSet(noSound);
    o.review = parser.isSet(review);
    if (parser.isSet(folder)) o.folder = parser.value(folder);
    if (parser.isSet(scale)) o.scale = parser.value(scale);
    return o;
}

void tell(const char *log, const QString &subject, const QString &message);

// The display scale, before any window (the class folder's message too)
// is made; and the sound switch.  Wrong values are named and never stop
// the game.
void chooseScaleAndSound(const Options &o) {
    QStringList warnings;
    platform::setDisplayScaleForScreen(o.scale ? &*o.scale : nullptr, screens::largestScreenSize(), &warnings);
    platform::setSoundEnabled(platform::soundWanted(o.noSound, &warnings));
    for (const QString &warning : warnings)
        std::fprintf(stderr, "pomurin20: %s\n", qPrintable(platform::visibleText(warning)));
    // Slips in the setting file are named for the teacher, as its other faults are.
    if (const QString slips = platform::settingSlipsMessage(); !slips.isEmpty())
        tell("the setting file", QStringLiteral("has slips"), slips);
}

// A start that cannot go on: said on stderr (log, then the message) and in
// a message box for the teacher.
void tell(const char *log, const QString &subject, const QString &message) {
    std::fprintf(stderr, "pomurin20: %s %s\n%s\n", log, qPrintable(platform::visibleText(subject)),
                 qPrintable(platform::visibleText(message, true)));
    platform::installJapaneseTranslations();
    platform::dialogs().showError(nullptr, message, QStringLiteral("ぽむりん紀行20"));
}

// Enters the folder this start works in: the class folder when one is
// named (used as it is, or the start ends with a message for the teacher;
// never a silent fall-back elsewhere), else with --user-folder the
// learner's own folder, else the folder it was started in.  False after
// the message when the start cannot go on.
bool enterWorkingFolder(const Options &o) {
    QString source, settingProblem;
    const QString classFolder =
        platform::classFolderFor(o.userFolder, o.folder ? &*o.folder : nullptr, &source, &settingProblem);
    if (!settingProblem.isEmpty()) {
        // A setting that means a class folder but names none usable: never
        // the per-user folder instead, where the teacher would not see it.
        tell("the setting file", source + QStringLiteral(" names no usable class folder"),
             platform::settingProblemMessage(source, settingProblem));
        return false;
    }
    if (o.folder || !classFolder.isEmpty()) {
        QString message;
        if (!platform::enterClassFolder(classFolder, source, &message)) {
            tell("cannot use the class folder", classFolder, message);
            return false;
        }
        state::files::setGroupShared(true);
        // A folder that works but lets others in or would hide new files
        // from the teacher: said at every start until it is put right.
        if (const QString warning = platform::classFolderWarning(classFolder); !warning.isEmpty())
            tell("the class folder", classFolder + QStringLiteral(" is set up wrongly"), warning);
        return true;
    }
    if (!o.userFolder) return true;
    QString error;
    if (platform::enterUserFolder(&error)) return true;
    std::fprintf(stderr, "pomurin20: cannot use the folder %s\n", qPrintable(platform::visibleText(error, true)));
    platform::installJapaneseTranslations();
    platform::dialogs().showError(nullptr, QStringLiteral("学習記録のフォルダーを用意できません。\n%1").arg(error),
                                  QStringLiteral("ぽむりん紀行20"));
    return false;
}

}  // namespace

int main(int argc, char **argv) {
    const std::optional<Options> options = parseCommandLine(argc, argv);
    if (!options) return 2;
    if (options->help) {
        printHelp();
        return 0;
    }
    if (options->version) {
        std::printf("pomurin20 %s\n", POMURIN_VERSION);
        return 0;
    }
    // A scale for Qt in the environment that Qt cannot draw with (-1, 0,
    // nan, 20) is named and dropped before Qt reads it.
    if (const QString warning = platform::dropUnusableEnvironmentScale(); !warning.isEmpty())
        std::fprintf(stderr, "pomurin20: %s\n", qPrintable(warning));
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(POMURIN_APP_ID));
    chooseScaleAndSound(*options);
    if (!enterWorkingFolder(*options)) return 1;
    return options->review ? screens::runReview(app) : screens::runProgram(app);
}
