// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The property the progress-file reader must keep for any content: it
// either refuses the content with ProgressError and leaves the variables
// as they were, or it accepts it with values a quiz screen can use, and
// what it accepted is written and read back to the same file and values
// (within the file's rounding to 15 and 7 significant digits).

#include <QByteArray>
#include <QString>

namespace fuzzcheck {

// Empty when the property holds for content, else what went wrong.
QString checkReader(const QByteArray &content);

// The same property for the review's record ("<code>.review"): refused
// with ProgressError and the record unchanged, or accepted with counts
// that agree (first tries within practices, a run within both) and
// written and read back to the same bytes and record.
QString checkReviewReader(const QByteArray &content);

}  // namespace fuzzcheck
