// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The review mode (pomurin20 --review): the code box, the rounds and the
// record.  It reads the progress file and never writes it; what it keeps
// is the code's "<code>.review" record beside it.

#include "screens/review/ReviewRound.h"
#include "state/Assignment.h"
#include "state/ReviewRecord.h"
#include "state/Session.h"

#include <QDate>
#include <QString>

#include <optional>

class QWidget;

namespace review {

// What the review works on while it runs.
struct Review {
    QString stem;                  // the code's file stem
    state::Session progress;       // the progress file as read; never written
    state::review::Record record;  // the review's record, as saved
    std::optional<Round> round;
    state::Session tutorRun;  // the tutor explains its question
    // The class's 課題, when a teacher set one, read at the start.
    std::optional<state::assignment::Assignment> assignment;
    bool assignmentInRound = false;  // the round on show holds questions of the 課題 left to do
};
Review &current();

// Asks for the user code until one with a progress file is given, with
// the start menu's rules (a code refused, held by another program or
// another account's is named and asked again; the empty code, which
// Cancel gives, is "pm"), reads its record and begins the first round.
// False when nothing is to be shown: "pm" could not be opened, or nothing
// is to be practised (see beginRound).
bool start();

// Begins a round of the questions due today, from the progress file and
// the record as they stand.  When none is due, a message on parent says
// so and names the day the next one is due: 「先取りで練習」 begins a round
// of the soonest due, 「終了」 ends.  False when no round begins; the
// code's hold is then given up.
bool beginRound(QWidget *parent);

// "12月9日（水）": a day as the review names it to the pupil.
QString dayText(const QDate &day);

// Whether question q is one of the class's 課題 (while one is set), and
// whether it is one this pupil has still to do.
bool assigned(int q);
bool assignedAndLeft(int q);
// Whether a 課題 is set and this pupil has done all of it.
bool assignmentDone();

// Counts the practice the current answer finished (if any) in the record
// and saves it.  False after a failure was reported (the program is then
// ending).
bool recordPractice();

}  // namespace review
