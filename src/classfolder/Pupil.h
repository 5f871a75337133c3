// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A pupil's row of a class folder: one progress file read with the game's
// own reader, with the review's record beside it.  Reading never writes,
// renames or locks a file.

#include "state/ReviewRecord.h"
#include "state/Session.h"

#include <QDate>
#include <QString>

#include <array>
#include <stdexcept>

namespace classfolder {

// The folder itself cannot be listed; what() is a Japanese sentence.
class FolderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One progress file of the folder.
struct Pupil {
    enum class State {
        Readable,     // read, on a question 1..30
        OddQuestion,  // read, but on a question outside 1..30: shown, left out of the charts
        Unreadable,   // not read; reason says why
    };

    QString code;  // the file name without ".ucd"
    State state = State::Unreadable;
    QString reason;  // Japanese, for Unreadable

    // The stored variables, valid unless Unreadable.
    short questionNo = 0;
    double score = 0;
    std::array<short, state::kQuestions + 1> missCount{};
    std::array<float, state::kQuestions + 1> answerTime{};
    // The machine playing this code at the moment (a live hold beside the
    // file), empty when nobody is.  Only the teacher's window looks.
    QString playingOn;
    // A hold of this code is dated ahead of the folder's clock: not written
    // by a game, so not believed.  Only the teacher's window looks.
    bool holdAhead = false;
    // The question the live hold says is being played (0: none, -1: the
    // hold does not say, as those of earlier versions) and its misses.
    int holdQuestion = -1, holdMisses = 0;
    // Since when the question played has stood, in seconds on the folder's
    // clock: the hold's change time when it first named that question, else
    // the modification time of the first save seen with the file's
    // question; 0 when unknown.  Only the teacher's window looks.
    qint64 questionSince = 0;
    // The review's record beside the file ("<code>.review"): how many
    // questions were practised and how many of them were right at the
    // first try; reviewProblem says why a record there could not be read.
    int reviewPractised = 0, reviewFirstTry = 0;
    QString reviewProblem;
    // How many questions the review has due today (as a round would
    // choose them, before its limit of ten) and the day of the last
    // practice (null when none).
    int reviewDueToday = 0;
    QDate reviewLast;
    // The record's answers to the class's 課題 (see AssignmentStatus.h).
    state::review::AssignmentAnswers assignmentAnswers;

    bool wasRead() const { return state != State::Unreadable; }
    // How many questions were reached: the question held to 0..30.
    int reached() const;
    // Whether question q (1..30) is finished, so that its slot holds
    // elapsed seconds: the questions before the one reached, and question
    // 30 of a course that is done (see courseFinished).  The slot of the
    // question reached may hold a clock reading.
    bool finished(int q) const { return (q >= 1 && q < reached()) || (q == state::kQuestions && courseFinished()); }
    // The seconds question q took, for a finished question.  A question
    // started before midnight and finished after it is stored as a
    // negative time; one day is added back.
    double seconds(int q) const;
    // Whether the whole course is done: question 30 reached and its slot
    // holding the seconds it took rather than the clock reading (seconds
    // since midnight) taken when it began.  An answer's time is under three
    // hours (negative past midnight); a reading taken in a school day is
    // later than 03:00.  Only a question 30 begun before 03:00 and left
    // unanswered would read as done.
    bool courseFinished() const;
    long missTotal() const;
    // The seconds of every finished question: one figure for the table,
    // the CSV, the window and the sheets alike.
    double secondsTotal() const;
};

// Reads one progress file into a row (the code is set by the caller).
Pupil readPupil(const QString &path);

// Reads the review's record at path into p's review fields (none there,
// or in a sticky folder another account's than progressFile's owner,
// leaves them 0; one that cannot be read sets reviewProblem); what is due
// is counted on today (null: the clock's today).  listed false: the
// folder's listing showed no record, so none is opened and the fields
// are those of no record.
void readReview(const QString &path, const QString &progressFile, Pupil &p, QDate today = {}, bool listed = true);

// Why code is a name the game never gives a file, though it looks like a
// pupil's code (a decomposed "が", "3101 "); empty for a code the game
// may use.  Such a file is listed, never read, and has no hold.
QString lookAlikeReason(const QString &code);

// Reads one entry of a folder listing into a row, as readFolder does:
// prefix is the folder with a trailing "/", name ends in ".ucd", type is
// the listing's d_type (DT_REG, DT_LNK, ...), nameIsText false when the
// name's bytes are not UTF-8 (the row then says so without a read).  A
// caller reading many asks the clock once and passes today, and says
// when the listing showed no review record beside the file.
Pupil readEntry(const QString &prefix, const QString &name, unsigned char type, bool nameIsText, QDate today = {},
                bool reviewListed = true);

// Orders codes the way a class list runs: digit runs by their value
// ("2" before "10"), everything else by character; ties by plain order.
bool codeLess(const QString &a, const QString &b);

// "フォルダー「…」を読めません（理由）。" for a folder that could not be listed
// (errno error).
QString folderFailure(const QString &folder, int error);

}  // namespace classfolder
