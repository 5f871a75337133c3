// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/BarChart.h"

#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace report::window {

namespace {

constexpr int kLeft = 44, kRight = 10, kTop = 20, kBottom = 40;
const QColor kBar(0x4a, 0x7b, 0xd0), kValue(0x1c, 0x3f, 0x80), kGrid(0xdd, 0xdd, 0xdd), kAxis(0x44, 0x44, 0x44),
    kText(0x33, 0x33, 0x33);

// The smallest of 1, 2 and 5 times a power of ten that is at least x:
// the scale's step, as on the page.
double niceStep(double x) {
    const double unit = std::pow(10.0, std::floor(std::log10(x)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * unit >= x * (1 - 1e-9)) return m * unit;
    return 10 * unit;
}

}  // namespace

BarChart::BarChart(const QString &title, const QString &unit, int decimals, QWidget *parent)
    : QWidget(parent), unit_(unit), decimals_(decimals) {
    setAccessibleName(title);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setValues(values_);
}

void BarChart::setValues(const Values &values) {
    values_ = values;
    QStringList parts;
    for (int q = 1; q <= state::kQuestions; ++q)
        parts << QStringLiteral("問%1：%2%3").arg(q).arg(QString::number(values_[q], 'f', decimals_), unit_);
    setAccessibleDescription(parts.join(QStringLiteral("、")));
    update();
}

QSize BarChart::sizeHint() const { return {kLeft + state::kQuestions * 26 + kRight, 240}; }

QSize BarChart::minimumSizeHint() const { return {kLeft + state::kQuestions * 20 + kRight, 180}; }

void BarChart::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont small = font();
    small.setPixelSize(11);
    painter.setFont(small);

    const int base = height() - kBottom;
    const double plotHeight = std::max(20, base - kTop);
    const double highest = *std::max_element(values_.begin() + 1, values_.end());
    const double step = niceStep(std::max(highest, decimals_ ? 0.5 : 1.0) / 4);
    const double ceiling = step * std::ceil(std::max(highest, step) / step - 1e-9);
    const auto y = [&](double v) { return base - v / ceiling * plotHeight; };
    const auto tick = [&](double t) { return QString::number(t, 'f', step < 1 ? 1 : 0); };
    // Room on the left for the longest scale label (a large class counts in thousands).
    const int left = std::max(kLeft, painter.fontMetrics().horizontalAdvance(tick(ceiling)) + 12);
    const double slot = double(width() - left - kRight) / state::kQuestions;

    for (double t = 0; t <= ceiling + step / 2; t += step) {
        painter.setPen(kGrid);
        painter.drawLine(QPointF(left, y(t)), QPointF(width() - kRight, y(t)));
        painter.setPen(kText);
        painter.drawText(QRectF(0, y(t) - 8, left - 6, 16), Qt::AlignRight | Qt::AlignVCenter, tick(t));
    }
    QFont tiny = small;
    tiny.setPixelSize(9);
    const QFontMetrics tinyMetrics(tiny);
    for (int q = 1; q <= state::kQuestions; ++q) {
        const double x = left + (q - 1) * slot;
        const double v = values_[q];
        if (v > 0) {
            const double barWidth = slot * 0.66;
            painter.fillRect(QRectF(x + (slot - barWidth) / 2, y(v), barWidth, base - y(v)), kBar);
            // A value wider than its bar's room would run into the next
            // one; it is left to the accessible description.
            const QString value = QString::number(v, 'f', decimals_);
            if (tinyMetrics.horizontalAdvance(value) <= slot) {
                painter.setFont(tiny);
                painter.setPen(kValue);
                painter.drawText(QRectF(x - 4, y(v) - 13, slot + 8, 12), Qt::AlignHCenter | Qt::AlignBottom, value);
                painter.setFont(small);
            }
        }
        painter.setPen(kText);
        painter.drawText(QRectF(x, base + 2, slot, 16), Qt::AlignCenter, QString::number(q));
    }
    painter.setPen(kAxis);
    painter.drawLine(QPointF(left, base), QPointF(width() - kRight, base));
    painter.setPen(kText);
    painter.drawText(QRectF(left, base + 18, width() - left - kRight, 18), Qt::AlignCenter, QStringLiteral("問題"));
}

}  // namespace report::window
