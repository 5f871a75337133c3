// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PictureBox.h"

#include "platform/Fonts.h"

#include <QPainter>

namespace platform {

namespace {
constexpr int kFrame = 2;  // the sunken 3D border of a picture box
constexpr double kMinSqueeze = 0.7;
}  // namespace

PictureBox::PictureBox(QWidget *parent, const QString &name, int left, int top, int width, int height,
                       const QFont &font)
    : QFrame(parent), ConsoleModel(font, width - 2 * kFrame * kTwipsPerPixel, height - 2 * kFrame * kTwipsPerPixel) {
    setObjectName(name);
    setAccessibleName(name);
    setGeometry(twipsRect(left, top, width, height));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kFrame);
    setFont(font);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);  // the system button-face colour
    onChanged = [this] { refresh(); };
}

void PictureBox::refresh() {
    // Keep the readable text in step with what is printed; graphics do not
    // change it, so skip the join when only they changed.
    if (printed().size() != textCount_) {
        textCount_ = int(printed().size());
        setAccessibleDescription(readableText());
    }
    update();
}

void PictureBox::paintEvent(QPaintEvent *event) {
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect inner = contentsRect();
    p.setClipRect(inner);
    p.translate(inner.topLeft());
    p.setFont(ConsoleModel::font());
    const QFontMetricsF fm(ConsoleModel::font());
    const double ascent = fm.ascent();

    const auto &items = printed();
    for (int i = 0; i < items.size(); ++i) {
        const PrintedText &item = items[i];
        p.setPen(item.color);
        const double top = item.y / kTwipsPerPixel;
        if (isExponentLine(i)) {
            // Smaller digits on the exponent line's own baseline.
            p.setFont(exponentFont());
            for (const PlacedExponent &d : exponentPlacement(i))
                p.drawText(QPointF(d.x / kTwipsPerPixel, top + ascent), d.digits);
            p.setFont(ConsoleModel::font());
        } else {
            // A line a little too long for the box is drawn narrower, so
            // that its end is not cut off; a much longer one is clipped.
            const double room = widthTwips() - item.x;
            const double width = textWidth(item.text);
            const double squeeze = width > room && room > 0 ? room / width : 1.0;
            p.save();
            p.translate(item.x / kTwipsPerPixel, top + ascent);
            if (squeeze >= kMinSqueeze) p.scale(squeeze, 1.0);
            p.drawText(QPointF(0, 0), item.text);
            p.restore();
        }
    }

    for (const Graphic &g : graphics()) {
        p.setPen(QPen(g.color, 1));
        const QPointF a = toTwips(g.x1, g.y1) / kTwipsPerPixel;
        switch (g.kind) {
        case Graphic::Point: p.drawPoint(a); break;
        case Graphic::Line: p.drawLine(a, toTwips(g.x2, g.y2) / kTwipsPerPixel); break;
        case Graphic::Circle:
        case Graphic::Disc: {
            // The radius is measured along the x axis, as user scales do.
            const QPointF edge = toTwips(g.x1 + g.x2, g.y1) / kTwipsPerPixel;
            const double r = std::abs(edge.x() - a.x());
            // No antialiasing: an erasing disc must cover every pixel
            // of the disc it erases.
            p.setBrush(g.kind == Graphic::Disc ? QBrush(g.color) : QBrush(Qt::NoBrush));
            p.drawEllipse(a, r, r);
            p.setBrush(Qt::NoBrush);
            break;
        }
        }
    }
}

}  // namespace platform
