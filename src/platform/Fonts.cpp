// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Fonts.h"

#include "platform/Console.h"

#include <cmath>

namespace platform {

int pixelsFromPoints(double points) { return static_cast<int>(std::lround(points * 96.0 / 72.0)); }

QFont makeFont(Face face, double points, bool bold) {
    QFont font(face == Face::Gothic ? QStringLiteral("IPAPGothic") : QStringLiteral("IPAMincho"));
    font.setStyleHint(face == Face::Gothic ? QFont::SansSerif : QFont::Serif);
    font.setPixelSize(pixelsFromPoints(points));
    font.setBold(bold);
    return font;
}

int twipsToPixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

}  // namespace platform
