// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Numbers as the screens show them where a sign column is kept: a leading
// blank when the value is zero or more ("2" shows as " 2"), a minus sign
// when negative; digits as the progress file writes them (no grouping, no
// point for whole numbers).

#include <QString>

namespace screens {

QString signedText(double value, int significantDigits);

}  // namespace screens
