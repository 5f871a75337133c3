// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text-console model behind every picture box.
//
// A console prints lines of text from a print position measured in twips
// from its top-left corner, in a current colour, in one font whose pixel
// size is also the line height.  It remembers everything it printed since
// the last clear, so that tests and screen readers can read it back, and it
// can draw points, lines and circles in a user coordinate system.
//
// ConsoleModel is plain C++ over Qt's font metrics (it needs a
// QGuiApplication but no widget); PictureBox paints a ConsoleModel.

#include <QColor>
#include <QFont>
#include <QString>
#include <QVector>

namespace platform {

// Colours of the classic 16-colour palette (0 black, 1 dark blue,
// 4 dark red, 9 light blue, 12 light red, ...).
QColor paletteColor(int index);

constexpr double kTwipsPerPixel = 15.0;

// One piece of text as printed: the literal text, where it starts (twips,
// relative to the box) and its colour.  A line printed in several pieces
// ("stay on the line") gives several items with the same y.
struct PrintedText {
    QString text;
    double x = 0;  // twips
    double y = 0;  // twips
    QColor color;
    bool operator==(const PrintedText &) const = default;
};

// A graphic in user coordinates (or twips when no scale is set).
struct Graphic {
    enum Kind { Point, Line, Circle, Disc } kind = Point;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // Circle, Disc: centre (x1, y1), radius x2
    QColor color;
};

// Where one exponent digit group is drawn: the digits, the x position
// (twips) of their left edge and their drawn width (twips; exponents are
// drawn in a smaller size of the box's font); y is the exponent line's own.
struct PlacedExponent {
    QString digits;
    double x = 0;      // twips
    double width = 0;  // twips
};

// The abstract console that screens and the tutor's script interpreter
// print through.
class Console {
public:
    virtual ~Console() = default;
    virtual void print(const QString &text) = 0;      // draw, then start a new line
    virtual void printStay(const QString &text) = 0;  // draw and stay on the line
    virtual void newLine() = 0;                       // a blank line
    virtual void setY(double twips) = 0;              // vertical print position
    virtual void setX(double twips) = 0;              // horizontal print position
    virtual double currentX() const = 0;
    virtual double currentY() const = 0;
    virtual void setColor(const QColor &color) = 0;
    virtual QColor color() const = 0;
    virtual void clear() = 0;  // erase, back to (0, 0)
    // Start the text at print column n (1 = left edge; a column is the
    // font's average character width), then start a new line.
    virtual void printAtColumn(int column, const QString &text) = 0;
    // User coordinates: (x1, y1) at the top-left corner, (x2, y2) at the
    // bottom-right corner.
    virtual void setScale(double x1, double y1, double x2, double y2) = 0;
    virtual void point(double x, double y, const QColor &color) = 0;
    virtual void line(double x1, double y1, double x2, double y2, const QColor &color) = 0;
    virtual void circle(double x, double y, double radius, const QColor &color) = 0;
};

}  // namespace platform
