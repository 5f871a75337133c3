// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sheet per pupil: one A4 page for each progress file of the class, in
// the order of the class list, for a parents' meeting.  A page shows the
// code, the question reached, the score and the time; each topic's misses
// per question beside the class's median; each question's misses and
// time; the three questions with the most misses.  The Japanese fonts are
// embedded, so the file prints on any machine.

#include "report/ClassReport.h"

#include <QByteArray>

#include <functional>
#include <optional>
#include <vector>

namespace report {

// Pupil p's misses per question reached among questions first..last (the
// questions up to and with the one reached), or nothing when p reached
// none of them or the file was not read.
std::optional<double> missesPerQuestion(const Pupil &p, int first, int last);

// For each topic in course order, the median of missesPerQuestion over
// the readable pupils (Pupil::State::Readable) who reached it; nothing
// when none did.  With an even count, the mean of the middle two.
std::vector<std::optional<double>> topicMedians(const ClassReport &report);

// The questions (at most count) on which p made the most misses, most
// first and, among equal misses, in course order; only questions reached
// with at least one miss.
std::vector<int> mostMissed(const Pupil &p, int count = 3);

// The sheets as a PDF file: one page a pupil in the report's order (a
// file that could not be read gets a page naming it and why), or one page
// saying that there are no progress files.  Needs a QGuiApplication (the
// fonts); no display.  Empty when the PDF could not be made, or when
// keepGoing (asked before each page with the pages drawn and all of them)
// says stop.  className names the class on every sheet; empty: the class's
// setting or the folder's own name, read here.
QByteArray sheetsPdf(const ClassReport &report, const std::function<bool(int done, int total)> &keepGoing = {},
                     const QString &className = {});

}  // namespace report
