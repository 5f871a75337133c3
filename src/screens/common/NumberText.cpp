// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/common/NumberText.h"

#include "state/ProgressFile.h"

namespace screens {

QString signedText(double value, int significantDigits) {
    const QString digits = state::progress::formatNumber(value, significantDigits);
    return value >= 0 ? QLatin1Char(' ') + digits : digits;
}

}  // namespace screens
