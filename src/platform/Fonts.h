// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one place where the screens' font names meet the fonts we ship
// with: IPAPGothic stands for "ＭＳ Ｐゴシック", IPAMincho for "ＭＳ 明朝".
// Sizes in points become pixel sizes at 96 dpi.

#include <QFont>
#include <QRect>

namespace platform {

enum class Face { Gothic, Mincho };

int pixelsFromPoints(double points);
QFont makeFont(Face face, double points, bool bold = false);

// Twips (15 per logical pixel) to logical pixels, rounded.
int twipsToPixels(double twips);
QRect twipsRect(int left, int top, int width, int height);

}  // namespace platform
