// SPDX-License-Identifier: GPL-3.0-or-later
// The class overview for the teacher: reads every progress file of a
// folder and prints a table; --csv and --html write a spreadsheet file and
// a page with charts, --pdf a sheet per pupil.  --window opens the
// teacher's window instead.
#include "platform/Settings.h"
#include "report/Command.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <memory>

int main(int argc, char **argv) {
    // Only the window needs a display; the table, CSV and page do not.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const report::CommandLine line = report::parseCommandLine(arguments);
    std::unique_ptr<QCoreApplication> app;
    if (line.wantsWindow()) {
        // A scale for Qt in the environment that Qt cannot draw with is
        // named and dropped before Qt reads it, as in the game.
        if (const QString warning = platform::dropUnusableEnvironmentScale(); !warning.isEmpty())
            std::fprintf(stderr, "pomurin20-report: %s\n", qPrintable(warning));
        app = std::make_unique<QApplication>(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("pomurin20-report"));
        QGuiApplication::setDesktopFileName(QStringLiteral("jp.pomurin.pomurin20.report"));
    } else if (line.wantsSheets()) {
        // The sheets need fonts, not a display: nothing is shown, so the
        // platform without one serves wherever the report runs.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout), err(stderr);
    int status = report::runCommandLine(line, out, err);
    out.flush();
    // Output that did not arrive (a full disk, a failed device) is no
    // success, whether the stream or the C library's buffer saw it fail;
    // run() has already said so when the table itself failed.
    const bool arrived = out.status() == QTextStream::Ok && std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!arrived && status == report::kDone) {
        err << QStringLiteral("標準出力に書き込めません。\n");
        status = report::kFailed;
    }
    err.flush();
    return status;
}
