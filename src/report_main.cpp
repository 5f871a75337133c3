// The class overview for the teacher: reads every progress file of a
// folder and prints a table; --csv and --html write a spreadsheet file and
// a page with charts.  No window is opened.
#include "report/Command.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    int status = report::run(app.arguments().mid(1), out, err);
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
