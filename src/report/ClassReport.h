// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The class overview: every progress file of a folder read with the game's
// own reader, one row a file, and the figures the teacher's page draws.
// Reading never writes, renames or locks a file.

#include "classfolder/Pupil.h"
#include "state/Assignment.h"
#include "state/ReviewRecord.h"
#include "state/Session.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <array>
#include <memory>
#include <stdexcept>
#include <vector>

namespace report {

// The rows of a class folder, as its reader makes them.
using classfolder::codeLess;
using classfolder::FolderError;
using classfolder::folderFailure;
using classfolder::lookAlikeReason;
using classfolder::Pupil;
using classfolder::readEntry;
using classfolder::readPupil;
using classfolder::readReview;

class Roster;

struct ClassReport {
    QString folder;             // as given
    QDateTime readAt;           // when the folder was read
    std::vector<Pupil> pupils;  // sorted by code
    // The class list the outputs name pupils by (Roster.h); null: none.
    std::shared_ptr<const Roster> roster;
    state::assignment::Found assignment;  // the class's 課題, or what stands in its place
};

// Figures over the readable pupils (Readable only) for the charts.
struct ClassSummary {
    int files = 0, readable = 0, odd = 0, unreadable = 0;
    std::array<int, state::kQuestions + 1> reachedBy{};  // pupils who reached question q
    // Misses on question q per pupil who reached it (0 when nobody did).
    std::array<double, state::kQuestions + 1> averageMisses{};
    std::array<long, state::kQuestions + 1> missesOn{};  // their sum
};

// A topic's figures: how many pupils got to its first question, and its
// misses per question over the pupils who reached each question (the
// misses on its questions over the number of questions reached there).
struct TopicFigures {
    int pupils = 0;
    double averageMisses = 0;
};
TopicFigures topicFigures(const ClassSummary &s, int first, int last);

// Reads every "<code>.ucd" directly in folder.  Anything in a file's
// place that is not a readable progress file (a link, FIFO, device,
// folder, a damaged or unreadable file) becomes an Unreadable row.
// Throws FolderError when the folder cannot be listed.
ClassReport readFolder(const QString &folder);

ClassSummary summarise(const ClassReport &report);
// Counts p into s (sign 1) or out of it (sign -1), leaving the averages;
// average() works them out afresh.  Together as summarise does, so that a
// summary kept up to date row by row equals one made afresh.
void count(ClassSummary &s, const Pupil &p, int sign);
void average(ClassSummary &s);

}  // namespace report
