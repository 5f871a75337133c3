// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ConsoleModel.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {
constexpr QChar kIdeographicSpace(0x3000);

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == kIdeographicSpace; }
}  // namespace

QColor paletteColor(int index) {
    // The classic 16-colour palette.
    static const QRgb kPalette[16] = {
        qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
        qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
        qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255),
    };
    if (index < 0 || index > 15) return QColor(Qt::black);
    return QColor(kPalette[index]);
}

bool looksLikeExponentLine(const QString &text) {
    bool digit = false;
    for (QChar c : text) {
        if (c.isDigit() && c.unicode() < 128)
            digit = true;
        else if (!isBlank(c))
            return false;
    }
    return digit;
}

QVector<PlacedExponent> placeExponentDigits(const QString &exponentLine, double exponentX,
                                            const QVector<PrintedText> &baseLine,
                                            const std::function<double(const QString &)> &widthTwips,
                                            const std::function<double(const QString &)> &digitWidthTwips) {
    // Digit groups of the exponent line with their literal positions.
    QVector<PlacedExponent> groups;
    for (int i = 0; i < exponentLine.size();) {
        if (!exponentLine[i].isDigit()) {
            ++i;
            continue;
        }
        int j = i;
        while (j < exponentLine.size() && exponentLine[j].isDigit()) ++j;
        const QString digits = exponentLine.mid(i, j - i);
        groups.push_back({digits, exponentX + widthTwips(exponentLine.left(i)), digitWidthTwips(digits)});
        i = j;
    }

    // Gaps of the base line: where each run of two or more ASCII blanks
    // that follows a visible character starts, across all its pieces.
    struct Gap {
        double x, width;
    };
    QVector<Gap> gaps;
    QChar previous = QLatin1Char(' ');
    for (const PrintedText &piece : baseLine) {
        const QString &t = piece.text;
        for (int i = 0; i < t.size(); ++i) {
            QChar c = t[i];
            if (c == QLatin1Char(' ') && !isBlank(previous)) {
                // A run starts here; it may continue into the next piece.
                int run = 0;
                int pi = i;
                while (pi < t.size() && t[pi] == QLatin1Char(' ')) {
                    ++run;
                    ++pi;
                }
                if (pi == t.size()) {
                    // Count blanks at the start of the following pieces too.
                    bool after = false;
                    for (const PrintedText &next : baseLine) {
                        if (&next == &piece) {
                            after = true;
                            continue;
                        }
                        if (!after) continue;
                        int k = 0;
                        while (k < next.text.size() && next.text[k] == QLatin1Char(' ')) ++k;
                        run += k;
                        if (k < next.text.size()) break;
                    }
                }
                if (run >= 2)
                    gaps.push_back({piece.x + widthTwips(t.left(i)), widthTwips(QString(run, QLatin1Char(' ')))});
            }
            previous = c;
        }
    }

    if (gaps.size() == groups.size()) {
        for (int k = 0; k < groups.size(); ++k) {
            const double room = gaps[k].width - groups[k].width;
            groups[k].x = gaps[k].x + std::clamp(room, 0.0, kTwipsPerPixel);
        }
    }
    return groups;
}

ConsoleModel::ConsoleModel(const QFont &font, double widthTwips, double heightTwips)
    : font_(font), metrics_(font), exponentFont_(font), exponentMetrics_(font), width_(widthTwips),
      height_(heightTwips) {
    int px = font_.pixelSize();
    if (px <= 0) px = static_cast<int>(std::lround(font_.pointSizeF() * 96.0 / 72.0));
    lineHeight_ = px * kTwipsPerPixel;
    columnWidth_ = metrics_.averageCharWidth() * kTwipsPerPixel;
    // Exponents at three quarters of the size: a full-size digit is wider
    // than the two blanks that leave room for it in most base lines.
    exponentFont_.setPixelSize(std::max(1, static_cast<int>(std::lround(px * 0.75))));
    exponentMetrics_ = QFontMetricsF(exponentFont_);
}

double ConsoleModel::exponentWidth(const QString &digits) const {
    return exponentMetrics_.horizontalAdvance(digits) * kTwipsPerPixel;
}

void ConsoleModel::changed() {
    if (onChanged) onChanged();
}

double ConsoleModel::textWidth(const QString &text) const { return metrics_.horizontalAdvance(text) * kTwipsPerPixel; }

void ConsoleModel::emitText(const QString &text, bool newLineAfter) {
    if (!text.isEmpty()) {
        printed_.push_back({text, x_, y_, color_});
        x_ += textWidth(text);
    }
    if (newLineAfter) {
        x_ = 0;
        y_ += lineHeight_;
    }
    changed();
}

void ConsoleModel::print(const QString &text) { emitText(text, true); }
void ConsoleModel::printStay(const QString &text) { emitText(text, false); }
void ConsoleModel::newLine() { emitText(QString(), true); }

void ConsoleModel::setY(double twips) { y_ = twips; }
void ConsoleModel::setX(double twips) { x_ = twips; }
void ConsoleModel::setColor(const QColor &color) { color_ = color; }

void ConsoleModel::clear() {
    printed_.clear();
    graphics_.clear();
    x_ = 0;
    y_ = 0;
    changed();
}

void ConsoleModel::printAtColumn(int column, const QString &text) {
    x_ = std::max(0, column - 1) * columnWidth_;
    emitText(text, true);
}

void ConsoleModel::setScale(double x1, double y1, double x2, double y2) {
    if (x1 == x2 || y1 == y2) return;  // a degenerate scale would divide by zero
    sx1_ = x1;
    sy1_ = y1;
    sx2_ = x2;
    sy2_ = y2;
    hasScale_ = true;
}

QPointF ConsoleModel::toTwips(double x, double y) const {
    if (!hasScale_) return {x, y};
    return {(x - sx1_) / (sx2_ - sx1_) * width_, (y - sy1_) / (sy2_ - sy1_) * height_};
}

void ConsoleModel::point(double x, double y, const QColor &color) {
    graphics_.push_back({Graphic::Point, x, y, 0, 0, color});
    changed();
}

void ConsoleModel::line(double x1, double y1, double x2, double y2, const QColor &color) {
    graphics_.push_back({Graphic::Line, x1, y1, x2, y2, color});
    changed();
}

void ConsoleModel::circle(double x, double y, double radius, const QColor &color) {
    graphics_.push_back({Graphic::Circle, x, y, radius, 0, color});
    changed();
}

void ConsoleModel::disc(double x, double y, double radius, const QColor &color) {
    graphics_.removeIf(
        [&](const Graphic &g) { return g.kind == Graphic::Disc && g.x1 == x && g.y1 == y && g.x2 == radius; });
    graphics_.push_back({Graphic::Disc, x, y, radius, 0, color});
    changed();
}

bool ConsoleModel::isClipped(const PrintedText &item) const { return item.y + lineHeight_ > height_; }

QString ConsoleModel::readableText() const {
    QStringList lines;
    QString current;
    bool open = false;
    double y = 0;
    for (const PrintedText &item : printed_) {
        if (open && item.y == y && item.x > 0) {
            current += item.text;
            continue;
        }
        if (open) lines << current;
        current = item.text;
        y = item.y;
        open = true;
    }
    if (open) lines << current;
    return lines.join(QLatin1Char('\n'));
}

bool ConsoleModel::isExponentLine(int index) const {
    if (index < 0 || index + 1 >= printed_.size()) return false;
    const PrintedText &e = printed_[index];
    if (e.x != 0 || !looksLikeExponentLine(e.text)) return false;
    if (index > 0 && printed_[index - 1].y == e.y) return false;  // part of a longer line
    const PrintedText &base = printed_[index + 1];
    // The base line overlaps the lower part of the exponent line.
    return base.y > e.y && base.y < e.y + lineHeight_;
}

QVector<PlacedExponent> ConsoleModel::exponentPlacement(int index) const {
    if (!isExponentLine(index)) return {};
    const PrintedText &e = printed_[index];
    QVector<PrintedText> base;
    const double baseY = printed_[index + 1].y;
    for (int i = index + 1; i < printed_.size() && printed_[i].y == baseY; ++i) {
        if (i > index + 1 && printed_[i].x == 0) break;  // a new line at the same height
        base.push_back(printed_[i]);
    }
    return placeExponentDigits(
        e.text, e.x, base, [this](const QString &t) { return textWidth(t); },
        [this](const QString &t) { return exponentWidth(t); });
}

}  // namespace platform
