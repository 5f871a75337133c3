// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A console with the question area's size and font, for drawing questions
// without a window.

#include "platform/ConsoleModel.h"

#include <QFont>

namespace testing_bank {

inline QFont questionAreaFont() {
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(15);
    return font;
}

inline platform::ConsoleModel makeQuestionArea() {
    return platform::ConsoleModel(questionAreaFont(), 6375, 1935);
}

}  // namespace testing_bank
