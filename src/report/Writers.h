// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three forms of the class overview: a table for the terminal, CSV for
// a spreadsheet and a self-contained HTML page with two charts.

#include "report/ClassReport.h"

#include <QByteArray>
#include <QString>

namespace report {

// The table for a terminal: one row a file, columns aligned for a
// monospaced terminal font in which East Asian wide characters take two
// columns; a closing line counts the files.
QString table(const ClassReport &report);

// CSV in UTF-8 with a byte-order mark, CR LF line ends: a heading row,
// then code, question reached, score, sum of misses, total seconds,
// state, the misses of questions 1..30 and the seconds of questions 1..30
// (empty from the question reached on), then 復習, 今日の復習 and 課題
// (questions done of the class's 課題, "2／4"; empty without one).  Codes show control and format
// characters as the table does (see visible).
QByteArray csv(const ClassReport &report);

// One HTML page without scripts or outside files: the counts, a chart of
// the average misses per question, a chart of how many pupils reached
// each question, the grid of each pupil's misses on each question, and
// the table.
QByteArray html(const ClassReport &report);

// The line that counts the files: how many were read, need checking and
// could not be read, or that there are none.
QString countsLine(const ClassSummary &s);

// The review column 「復習」: "8問中6問" for 8 questions practised in the
// review and 6 of them right at the first try, empty without a record,
// "読めません" for a record that cannot be read.
QString reviewText(const Pupil &p);
// The CSV's 「今日の復習」: the questions the review has due today, empty
// for a file or record that could not be read.
QString reviewDueText(const Pupil &p);

// The state column: "正常", a note on an odd question number, or
// "読めません：" and the reason.
QString stateText(const Pupil &p);

// Seconds for people: "36秒", "27分36秒", "1時間2分3秒", counted in whole
// seconds (rounded down).  A time no course can take (negative, a year or
// more) is written as its seconds, "-5秒"; not a number as "—".
QString durationText(double seconds);

// A question for the teacher: "問12　√をふくむ式の展開".
QString questionLabel(int q);
// The label, its topic, and the first variant's problem as drawn, one
// line each: what a column heading's or a bar's tooltip shows.
QString questionDescription(int q);

// Columns the text takes in a terminal: 2 for East Asian wide and
// full-width characters, 0 for combining marks, 1 otherwise.
int displayWidth(QStringView text);

// The text with control and invisible formatting characters (which could
// move the cursor or reorder a line) written as visible "<U+001B>" marks.
QString visible(const QString &text);

}  // namespace report
