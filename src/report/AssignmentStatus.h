// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How far each pupil got with the class's 課題, from their own review
// records (a record a classmate planted is no record), and the 課題 set
// from the command line (pomurin20-report FOLDER --assign 8,9,10
// [--test-day 2026-12-15], --assign-clear).

#include "report/ClassReport.h"
#include "state/Assignment.h"

#include <QDate>
#include <QString>
#include <QTextStream>

#include <optional>
#include <vector>

namespace report {

// One pupil and the 課題 a.
struct AssignmentProgress {
    enum class Stage { NotStarted, Partway, Done };
    Stage stage = Stage::NotStarted;
    int done = 0, total = 0;  // questions right at the first try, of all
    // Per question of a, in its order: 'o' right at the first try, 'x'
    // answered but not right at the first try, 0 not answered.
    std::vector<char> marks;
};
AssignmentProgress assignmentProgress(const Pupil &p, const state::assignment::Assignment &a);

// "済", "途中 (2／4)" or "未着手".
QString stageText(const AssignmentProgress &progress);

// The CSV's 「課題」: "2／4", empty without a 課題 (or for a record that
// cannot be read).
QString assignmentCsvText(const Pupil &p, const state::assignment::Found &found);

// The class-wide count: pupils (rows) who have done the whole 課題, of all.
struct AssignmentCount {
    int done = 0, pupils = 0;
};
AssignmentCount assignmentCount(const ClassReport &report);
// 「課題 済 12／31」, empty without a 課題.
QString assignmentCountText(const ClassReport &report);

// The 課題 as the teacher reads it: "因数分解 4問（問17・18・19・20）、12月8日に出しました、テストの日 12月15日".
QString assignmentSummary(const state::assignment::Assignment &a);

// Reads --assign and --test-day: the 課題 to set on day today (the time
// of setting is now), or nothing with *error saying what is wrong: a
// question outside 1..30 or named twice, a malformed date, a test day not
// after today.
std::optional<state::assignment::Assignment> assignmentFrom(const QString &questions, const QString &testDay,
                                                            const QDateTime &now, QString *error);

// Writes (assign) or removes (clear) the 課題 of folder; a line for the
// teacher on out, a failure on err.  kDone or kFailed.
int runAssign(const QString &folder, const std::optional<state::assignment::Assignment> &assign, QTextStream &out,
              QTextStream &err);

}  // namespace report
