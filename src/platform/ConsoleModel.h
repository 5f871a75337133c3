// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The retained content of a text box: what was printed where, in which
// colour, and the graphics drawn.  PictureBox paints it; tests and the
// tutor's interpreter can use it without a widget.

#include "platform/Console.h"

#include <QFontMetricsF>
#include <QRectF>

#include <functional>

namespace platform {

class ConsoleModel : public Console {
public:
    // widthTwips/heightTwips: the box's size; text below the bottom edge is
    // clipped (kept in the printed list but reported as clipped).
    ConsoleModel(const QFont &font, double widthTwips, double heightTwips);

    // Console
    void print(const QString &text) override;
    void printStay(const QString &text) override;
    void newLine() override;
    void setY(double twips) override;
    void setX(double twips) override;
    double currentX() const override { return x_; }
    double currentY() const override { return y_; }
    void setColor(const QColor &color) override;
    QColor color() const override { return color_; }
    void clear() override;
    void printAtColumn(int column, const QString &text) override;
    void setScale(double x1, double y1, double x2, double y2) override;
    void point(double x, double y, const QColor &color) override;
    void line(double x1, double y1, double x2, double y2, const QColor &color) override;
    void circle(double x, double y, double radius, const QColor &color) override;
    // A filled disc.  A disc drawn over an earlier one of the same centre
    // and radius hides it completely, so the earlier one is dropped: a ball
    // drawn and erased in place for a whole spin keeps the list short.
    void disc(double x, double y, double radius, const QColor &color);

    // The width of one print column, in twips: the font's average
    // character width unless a box sets its own.
    double columnWidth() const { return columnWidth_; }
    void setColumnWidth(double twips) { columnWidth_ = twips; }

    const QFont &font() const { return font_; }
    // Line height in twips: the font's pixel size.
    double lineHeight() const { return lineHeight_; }
    double widthTwips() const { return width_; }
    double heightTwips() const { return height_; }

    // Everything printed since the last clear, in order.  Blank lines print
    // nothing and are not listed.
    const QVector<PrintedText> &printed() const { return printed_; }
    // The printed texts joined line by line (pieces of one line
    // concatenated), top to bottom in print order: the box's readable text.
    QString readableText() const;
    // Whether the item's line starts at or below the bottom edge, or runs
    // past it, so that it is cut off.
    bool isClipped(const PrintedText &item) const;
    // Width of a text in twips in the box's font.
    double textWidth(const QString &text) const;
    // The smaller font that exponent digits are drawn in, and their width.
    const QFont &exponentFont() const { return exponentFont_; }
    double exponentWidth(const QString &digits) const;

    // Graphics in the order drawn, in user coordinates.
    const QVector<Graphic> &graphics() const { return graphics_; }
    bool hasScale() const { return hasScale_; }
    // Map user coordinates to twips inside the box.
    QPointF toTwips(double x, double y) const;

    // Whether item i is an exponent line (only blanks and digits, with a
    // base line that overlaps it); if so, the positions of its digit
    // groups, placed at the gaps of the base line.
    bool isExponentLine(int index) const;
    QVector<PlacedExponent> exponentPlacement(int index) const;

    // Called after every change, so that a widget can repaint.
    std::function<void()> onChanged;

private:
    void emitText(const QString &text, bool newLineAfter);
    void changed();

    QFont font_;
    QFontMetricsF metrics_;
    QFont exponentFont_;
    QFontMetricsF exponentMetrics_;
    double width_, height_;
    double lineHeight_;
    double columnWidth_;
    double x_ = 0, y_ = 0;
    QColor color_ = Qt::black;
    QVector<PrintedText> printed_;
    QVector<Graphic> graphics_;
    bool hasScale_ = false;
    double sx1_ = 0, sy1_ = 0, sx2_ = 1, sy2_ = 1;
};

// Pure placement rule, exposed for tests: given an exponent line's text and
// the pieces of its base line (text and x in twips), and a width function,
// returns each digit group's x.  The k-th group goes to the k-th gap of the
// base line: a run of two or more ASCII blanks right after a character that
// is neither an ASCII blank nor an ideographic space; the group's left edge
// is the end of that character, moved right by up to a pixel when the gap
// leaves room.  When the counts differ, every group keeps its literal
// position in the exponent line.
QVector<PlacedExponent> placeExponentDigits(const QString &exponentLine, double exponentX,
                                            const QVector<PrintedText> &baseLine,
                                            const std::function<double(const QString &)> &widthTwips,
                                            const std::function<double(const QString &)> &digitWidthTwips);

// Whether a text holds only blanks (ASCII or ideographic) and digits, with
// at least one digit.
bool looksLikeExponentLine(const QString &text);

}  // namespace platform
