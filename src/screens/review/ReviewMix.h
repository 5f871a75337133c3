// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A round with the class's 課題: the 課題's questions this pupil has not
// done yet join the questions due today (at most ten of them), and all are
// mixed so that two questions of one topic follow each other only when no
// other topic is left, the way maths practice sticks best.  A 課題's test
// day pulls the pupil's own questions of its topics in before the test.

#include "state/Assignment.h"
#include "state/ReviewRecord.h"
#include "state/Session.h"

#include <QDate>

#include <optional>
#include <vector>

namespace review {

// The questions in an order where no two of one topic stand together while
// another topic is left: each step takes the topic with the most questions
// still to place (other than the last one's; ties: the one whose next
// question came first), and its questions keep their order.
std::vector<int> mixTopics(const std::vector<int> &questions);

// A round's questions: the first ten of due that are not in assigned,
// together with assigned, mixed (mixTopics).
std::vector<int> makeRound(const std::vector<int> &due, const std::vector<int> &assigned);

// The questions of a 課題 the record has not answered right at the first
// try since it was set, in course order.
std::vector<int> assignmentLeft(const state::assignment::Assignment &a, const state::review::Record &r);

// The pull of a's test day on every question of its topics.
state::review::TestDayPull pullOf(const state::assignment::Assignment &a);

// The round on day today: the questions due (a's test day pulling), and
// those of a left to do, mixed (with no 課題 too).
std::vector<int> chooseRound(const state::Session &progress, const state::review::Record &record,
                             const std::optional<state::assignment::Assignment> &a, const QDate &today);

// The questions to practise ahead when none is due (see questionsAhead),
// and the day the first of them is due, with a's test day pulling.
std::vector<int> chooseAhead(const state::Session &progress, const state::review::Record &record,
                             const std::optional<state::assignment::Assignment> &a, const QDate &today);
QDate nextDueDay(const state::Session &progress, const state::review::Record &record,
                 const std::optional<state::assignment::Assignment> &a, const QDate &today);

// Counts an answer to question q of 課題 a in the record: right at the
// first try marks it done, else answered (done stays done).  Answers to
// an earlier 課題 are dropped.
void noteAssignmentAnswer(state::review::Record &r, const state::assignment::Assignment &a, int q, bool rightFirstTime);

}  // namespace review
