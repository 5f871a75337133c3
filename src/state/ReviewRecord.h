// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The review's own record, "<code>.review" beside the progress file: per
// question how often it was practised in a review, how often it was right
// at the first try, its step on the ladder of spacings, the day of the
// last practice, the day it is next due, and the course's miss count for
// it at that practice (a count that has grown since brings it back at
// once).  The review never writes the progress file; this record is
// written and read through the file module (platform/Files.h), as every
// file beside it is.
//
// The file is text, lines ending in CR LF, one line per question
// practised, in course order:
//   pomurin20 review 2
//   12,3,1,2,2026-12-07,2026-12-10,4   question,practised,first tries,step,last,due,course misses
// A learnt question (step 5) has "-" for its due day.  A record that holds
// answers to the class's 課題 has the heading "pomurin20 review 4" and,
// after the question lines, one line naming the 課題 by the moment it was
// set and each of its questions answered, "o" right at the first try, "x"
// not:
//   assignment,2026-12-08 09:15:00,17o,18x
// (a version line earlier readers refuse rather than misread).  A record of the
// first form is read as well and written in this form at the next save:
//   pomurin20 review 1
//   12,3,1,1,2026-12-07                question,practised,first tries,run,last

#include "state/Session.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <array>
#include <vector>

namespace state::review {

// Steps 1 to 4 are due again after 1, 3, 7 and 21 days; right at the first
// try on step 4, a question is learnt.
constexpr int kLastStep = 4;
constexpr int kLearnt = 5;
// The most a count may be; more is not a file this program wrote.
constexpr int kMaxCount = 1000000;

// Days from a practice on step s (1..kLastStep) to the day it is due.
int spacingDays(int step);

struct Entry {
    int practised = 0;
    int firstTry = 0;       // practices right at the first try, at most practised
    int step = 0;           // 1..kLastStep, or kLearnt; 0 when never practised
    QDate last;             // the last practice; null when never practised
    QDate due;              // the day it is due next; null when learnt or never practised
    int courseMisses = -1;  // the course's misses at the last practice; -1 unknown (first form)
    bool operator==(const Entry &) const = default;
};

// A pupil's answers to the class's 課題: which 課題 (the moment it was
// set; null when none), and per question 0 (not answered), 'o' (right at
// the first try: done) or 'x' (answered, not right at the first try).
struct AssignmentAnswers {
    QDateTime set;
    std::array<char, kQuestions + 1> marks{};
    bool operator==(const AssignmentAnswers &) const = default;
};

struct Record {
    std::array<Entry, kQuestions + 1> entries{};  // [1..30]
    AssignmentAnswers assignment;
    bool operator==(const Record &) const = default;
    // Sums over the questions.
    int practised() const;
    int firstTry() const;
    // The most recent practice of any question; null when none.
    QDate lastPractice() const;
};

// "<stem>.review".
QString fileName(const QString &stem);

// Where the record of progressFile stands, its usual name given: there,
// unless that name is taken by an entry that cannot be the pupil's record
// (a link, folder or FIFO, or in a folder with the sticky bit another
// account's file); then beside it, at the usual name, "-" and 12 hex digits
// (made when the record is first written there), or empty when no record
// of the pupil's stands beside it.  Every reader of the record asks here.
QString recordPath(const QString &usual, const QString &progressFile);

QByteArray render(const Record &r);
// Reads content into r.  Throws ProgressError (a Japanese reason), leaving
// r unchanged, for anything the writer does not make: another first line, a
// line with the wrong number of fields, a question outside 1..30 or twice,
// a count outside 0..kMaxCount, more first tries than practices, a step
// or run that does not fit, an invalid date.  Dates later than today are
// read as they are.
void parse(const QByteArray &content, Record &r);

// Reads the record of stem (one left beside its usual name while that was
// taken goes back once the name is free).  False, with r empty, when there
// is none yet;
// throws ProgressError for a record that is there but cannot be read
// (damaged, a link or another kind of file in its place).
bool load(const QString &stem, Record &r);
// The same for the record at path (the class overview reads it so).  In a
// sticky folder a record that another account than the owner of
// progressFile owns is none (false).
bool loadFile(const QString &path, Record &r, const QString &progressFile);
// Writes the record of stem, replaced atomically where recordPath says (a
// new name beside the usual one where none stands there).  Throws
// ProgressError.
void save(const QString &stem, const Record &r);

// A course begun anew: the record has seen none of its misses yet, so that
// every miss in it brings a question back.  False when the record could
// not be read or written (the review still tells a new course by its
// fewer misses).
bool courseBegunAnew(const QString &stem);

using Misses = std::array<short, kQuestions + 1>;

// Takes the course's miss counts as seen where the record does not know
// them (a record of the first form).
void adoptCourseMisses(Record &r, const Misses &misses);

// Counts one practice of question q on day today, with the course's miss
// count for it now: right at the first try moves it a step up (learnt
// after the last step), a miss puts it back to the first step.  A question
// the course missed since its last practice starts again from the bottom.
void notePractice(Record &r, int q, bool rightFirstTime, const QDate &today, int courseMisses);

// A test day's pull: while today is not after testDay, a question marked
// here whose due day falls after testDay is due on the day before it
// instead (one last practice before the test), unless it was practised
// on that day or later.  A null testDay pulls nothing.
struct TestDayPull {
    QDate testDay;
    std::array<bool, kQuestions + 1> questions{};
};

// The day question q is due, seen on day today with the course's miss
// count for it; null when it is not in the review (never missed, or
// learnt).  Never practised, or missed again in the course since its last
// practice: today.  A due day further off than its step's spacing (a clock
// that was set back) counts as that spacing from today.
QDate dueDate(const Record &r, int q, int courseMisses, const QDate &today, const TestDayPull *pull = nullptr);

// The questions up to reached due on or before today, most misses first,
// ties in course order (all of them; a round takes the first ten).
std::vector<int> dueQuestions(const Record &r, const Misses &misses, int reached, const QDate &today,
                              const TestDayPull *pull = nullptr);
// Those due after today, soonest first, then most misses, then course order.
std::vector<int> laterQuestions(const Record &r, const Misses &misses, int reached, const QDate &today,
                                const TestDayPull *pull = nullptr);

}  // namespace state::review
