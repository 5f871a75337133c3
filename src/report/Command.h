// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report program's command line: pomurin20-report FOLDER [--csv FILE] [--html FILE] [--pdf FILE],
// or pomurin20-report --window [FOLDER] for the teacher's window, or
// pomurin20-report FOLDER --assign 8,9,10 [--test-day 2026-12-15] | --assign-clear for the class's 課題.

#include <QStringList>
#include <QTextStream>

namespace report {

enum ExitStatus { kDone = 0, kFailed = 1, kUsage = 2 };

// The command line, read once.
struct CommandLine {
    QString folder, csvFile, htmlFile, pdfFile;
    QString rosterFile;  // --roster: the class list, empty when not given
    QString scale;       // --scale: the window's display scale, null when not given
    bool help = false;
    bool window = false;  // --window: the teacher's window instead of the table
    // --assign QUESTIONS [--test-day DAY] sets the class's 課題 (assign
    // not null), --assign-clear ends it, instead of the table.
    QString assign, testDay;
    bool assignClear = false;
    QString error;  // why the command line is wrong; empty when it is not
    // Whether it asks for the teacher's window, or for the sheets per
    // pupil (see below).
    bool wantsWindow() const;
    bool wantsSheets() const;
};
CommandLine parseCommandLine(const QStringList &arguments);
// Does what the command line asks (see run below).
int runCommandLine(const CommandLine &line, QTextStream &out, QTextStream &err);

// Reads the folder, prints the table to out and writes the CSV, HTML and
// PDF files asked for; messages go to err.  arguments are those after the
// program's name.  Returns kDone when the overview was made (files that
// could not be read are listed in it), kFailed when the folder could not
// be listed, the table not written to out or an output file not written
// (see OutputFile.h), kUsage for a wrong command line, one file named
// for both outputs among them.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

// Whether the command line asks for the teacher's window, which needs a
// QApplication (run then opens it and returns when it is closed).
bool wantsWindow(const QStringList &arguments);

// Whether the command line asks for the sheets per pupil (--pdf), which
// are drawn with the system's fonts and so need a QGuiApplication, though
// no display.
bool wantsSheets(const QStringList &arguments);

}  // namespace report
