// The class overview for the teacher: reads every progress file of a
// folder and prints a table; --csv and --html write a spreadsheet file and
// a page with charts.  No window is opened.
#include "report/Command.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    const int status = report::run(app.arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return status;
}
