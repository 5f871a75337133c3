#pragma once
// The per-user progress file: <stem>.ucd in the working directory, 31 lines
// of comma-separated numbers ending in CR LF.  Line 1 holds QuestionNo and
// Score, lines 2..31 MissCount(i) and AnswerTime(i).

#include "state/Module1.h"

#include <QByteArray>
#include <QString>

#include <stdexcept>

namespace state {

// A failed read or write of the progress file; what() is a Japanese
// sentence in UTF-8 that names the failure for the learner.
class ProgressError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace progress {

QString fileName(const QString &stem);

// Writes the file from the shared variables.  The file is replaced
// atomically: a temporary file beside it is written, flushed and renamed
// over the old one, so a failure leaves the last good save intact.
// Throws ProgressError on failure.
void save(const Module1 &m);

// Reads the file into QuestionNo, Score, MissCount(1..30) and
// AnswerTime(1..30).  Throws ProgressError when the file is missing, too
// short, or holds a field that is not a number or does not fit its
// variable; the variables are then left unchanged.
void load(Module1 &m);

// Reads the progress file at path into m (QuestionNo, Score, MissCount,
// AnswerTime).  Regular files only: a symbolic link, FIFO, device or folder
// is refused without being followed or waited on, and the read is bounded.
// Throws ProgressError (a Japanese reason) on failure; m is then unchanged.
void loadFrom(const QString &path, Module1 &m);

// The file's content for the given variables.
QByteArray render(const Module1 &m);
// Parses content into m (same rules as load).
void parse(const QByteArray &content, Module1 &m);

// A number as the file writes it: "-" for negatives, "." as the decimal
// point, integral values without a point, fractions rounded to the given
// significant digits with trailing zeros dropped, never an exponent.
QString formatNumber(double value, int significantDigits);

// Whether a user code may name a progress file: no "/" or "\", no control
// character, not "." or "..", and short enough for the file system.  The
// empty code is not acceptable here (it stands for "pm").
bool isAcceptableCode(const QString &code);

}  // namespace progress
}  // namespace state
