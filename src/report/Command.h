#pragma once
// The report program's command line: pomurin20-report FOLDER [--csv FILE] [--html FILE],
// or pomurin20-report --window [FOLDER] for the teacher's window.

#include <QStringList>
#include <QTextStream>

namespace report {

enum ExitStatus { kDone = 0, kFailed = 1, kUsage = 2 };

// Reads the folder, prints the table to out and writes the CSV and HTML
// files asked for; messages go to err.  arguments are those after the
// program's name.  Returns kDone when the overview was made (files that
// could not be read are listed in it), kFailed when the folder could not
// be listed or an output file not written, kUsage for a wrong command line.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

// Whether the command line asks for the teacher's window, which needs a
// QApplication (run then opens it and returns when it is closed).
bool wantsWindow(const QStringList &arguments);

// Writes an output file (the CSV file, the page) the way --csv and --html
// do.  On failure returns false with a Japanese message in *error.
bool writeOutputFile(const QString &name, const QByteArray &bytes, QString *error);

}  // namespace report
