// The program: the title screen first; the run ends when no window is left.
//
//   pomurin20                 works in the folder it is started in
//   pomurin20 --user-folder   works in the learner's own folder (the menu
//                             entry starts it this way)
//   pomurin20 --help | --version
#include "platform/DataFolder.h"
#include "platform/Services.h"
#include "screens/Program.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

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
        "Usage: pomurin20 [--user-folder]\n"
        "A maths drill game in Japanese.\n\n"
        "  --user-folder  work in %s\n"
        "                 (created if missing) instead of the current folder\n"
        "  --help         show this help and exit\n"
        "  --version      show the version and exit\n\n"
        "Progress files (<code>.ucd) are written in the working folder.  Sound files\n"
        "missing from it are taken from: %s\n",
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

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(POMURIN_APP_ID));
    // Qt has taken its own options (-platform, -display, ...); what is left
    // is ours.
    bool userFolder = false;
    for (const QString &arg : app.arguments().mid(1)) {
        if (arg == QLatin1String("--user-folder")) {
            userFolder = true;
        } else {
            std::fprintf(stderr, "pomurin20: unknown argument '%s' (try --help)\n", qPrintable(arg));
            return 2;
        }
    }

    if (userFolder) {
        QString error;
        if (!platform::enterUserFolder(&error)) {
            std::fprintf(stderr, "pomurin20: cannot use the folder %s\n",
                         qPrintable(error));
            platform::installJapaneseTranslations();
            platform::dialogs().showError(
                nullptr, QStringLiteral("学習記録のフォルダを用意できません。\n%1").arg(error),
                QStringLiteral("ぽむりん紀行20"));
            return 1;
        }
    }
    return screens::runProgram(app);
}
