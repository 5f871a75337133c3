// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The review's own record, "<code>.review" beside the progress file: per
// question how often it was practised in a review, how often it was right
// at the first try, how many of the last practices in a row were right at
// the first try (up to 2), and the date of the last practice.  The review
// never writes the progress file; this record is written and read through
// the file module (platform/Files.h), as every file beside it is.
//
// The file is text, lines ending in CR LF:
//   pomurin20 review 1
//   12,3,1,1,2026-12-07      question,practised,first tries,run,date
// one line per question practised, in course order.

#include "state/Session.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <array>

namespace state::review {

// A question right at the first try in this many practices in a row has
// been learnt: it leaves the review.
constexpr int kLearntRun = 2;
// The most a count may be; more is not a file this program wrote.
constexpr int kMaxCount = 1000000;

struct Entry {
    int practised = 0;
    int firstTry = 0;  // practices right at the first try, at most practised
    int run = 0;       // the last practices in a row right at the first try, 0..kLearntRun
    QDate last;        // the last practice; null when never practised
    bool operator==(const Entry &) const = default;
};

struct Record {
    std::array<Entry, kQuestions + 1> entries{};  // [1..30]
    bool operator==(const Record &) const = default;
    // Sums over the questions.
    int practised() const;
    int firstTry() const;
};

// "<stem>.review".
QString fileName(const QString &stem);

QByteArray render(const Record &r);
// Reads content into r.  Throws ProgressError (a Japanese reason), leaving
// r unchanged, for anything the writer does not make: another first line, a
// line without five fields, a question outside 1..30 or twice, a count
// outside 0..kMaxCount, more first tries than practices, a run longer
// than kLearntRun or the first tries, an invalid date.
void parse(const QByteArray &content, Record &r);

// Reads the record of stem.  False, with r empty, when there is none yet;
// throws ProgressError for a record that is there but cannot be read
// (damaged, a link or another kind of file in its place).
bool load(const QString &stem, Record &r);
// The same for the record at path (the class overview reads it so).
bool loadFile(const QString &path, Record &r);
// Writes the record of stem, replaced atomically.  Throws ProgressError.
void save(const QString &stem, const Record &r);

// Counts one practice of question q on day.
void notePractice(Record &r, int q, bool rightFirstTime, const QDate &day);

// Whether question q has been learnt in the review (see kLearntRun).
bool learnt(const Record &r, int q);

}  // namespace state::review
