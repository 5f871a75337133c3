// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/BarChart.h"

#include "bank/Topics.h"
#include "report/Writers.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStringList>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace report::window {

namespace {

constexpr int kLeft = 44, kRight = 10, kTop = 20, kBottom = 44;
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

QFont smallFont(const QFont &base) {
    QFont small = base;
    small.setPixelSize(11);
    return small;
}

}  // namespace

BarChart::BarChart(const QString &title, const QString &unit, int decimals, QWidget *parent)
    : QWidget(parent), unit_(unit), decimals_(decimals) {
    setAccessibleName(title);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    values_.fill(kNoValue);
    setValues(values_);
}

void BarChart::setValues(const Values &values) {
    values_ = values;
    QStringList parts;
    for (int q = 1; q <= state::kQuestions; ++q) parts << QStringLiteral("%1：%2").arg(questionLabel(q), valueText(q));
    setAccessibleDescription(parts.join(QStringLiteral("、")));
    update();
}

void BarChart::setChosen(int q) {
    chosen_ = q >= 1 && q <= state::kQuestions ? q : 0;
    update();
}

double BarChart::highest() const {
    double h = 0;
    for (int q = 1; q <= state::kQuestions; ++q)
        if (values_[q] > h) h = values_[q];  // a question with no figures (NaN) never is
    return h;
}

QString BarChart::valueText(int q) const {
    if (std::isnan(values_[q])) return QStringLiteral("まだだれも進んでいません");
    return QString::number(values_[q], 'f', decimals_) + unit_;
}

int BarChart::left() const {
    // Room on the left for the longest scale label (a large class counts in thousands).
    const double highest = this->highest();
    const double step = niceStep(std::max(highest, decimals_ ? 0.5 : 1.0) / 4);
    const double ceiling = step * std::ceil(std::max(highest, step) / step - 1e-9);
    return std::max(
        kLeft, QFontMetrics(smallFont(font())).horizontalAdvance(QString::number(ceiling, 'f', step < 1 ? 1 : 0)) + 12);
}

double BarChart::slot() const { return double(width() - left() - kRight) / state::kQuestions; }

int BarChart::questionAt(int x) const {
    const double at = (x - left()) / slot();
    return at >= 0 && at < state::kQuestions ? int(at) + 1 : 0;
}

bool BarChart::event(QEvent *event) {
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int q = help->pos().y() < height() - kBottom + 18 ? questionAt(help->pos().x()) : 0;
        if (q == 0) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), QStringLiteral("%1\n%2").arg(questionDescription(q), valueText(q)),
                               this);
        }
        return true;
    }
    return QWidget::event(event);
}

void BarChart::mousePressEvent(QMouseEvent *event) {
    if (const int q = questionAt(int(event->position().x())); q != 0 && event->button() == Qt::LeftButton) {
        setChosen(q);
        emit questionClicked(q);
    }
}

void BarChart::mouseDoubleClickEvent(QMouseEvent *event) {
    if (const int q = questionAt(int(event->position().x())); q != 0 && event->button() == Qt::LeftButton)
        emit questionDoubleClicked(q);
}

QSize BarChart::sizeHint() const { return {kLeft + state::kQuestions * 26 + kRight, 250}; }

QSize BarChart::minimumSizeHint() const { return {kLeft + state::kQuestions * 20 + kRight, 190}; }

void BarChart::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFont small = smallFont(font());
    painter.setFont(small);

    const int base = height() - kBottom;
    const double plotHeight = std::max(20, base - kTop);
    const double highest = this->highest();
    const double step = niceStep(std::max(highest, decimals_ ? 0.5 : 1.0) / 4);
    const double ceiling = step * std::ceil(std::max(highest, step) / step - 1e-9);
    const auto y = [&](double v) { return base - v / ceiling * plotHeight; };
    const auto tick = [&](double t) { return QString::number(t, 'f', step < 1 ? 1 : 0); };

    const int left = this->left();
    const double slot = this->slot();
    if (chosen_ != 0)
        painter.fillRect(QRectF(left + (chosen_ - 1) * slot, kTop - 6, slot, base - kTop + 24),
                         QColor(0xff, 0xf0, 0xc8));

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
        if (v >= 0) {
            // A zero is a value like any other: a thin bar on the axis and
            // its label, never the look of a question with no figures.
            const double barWidth = slot * 0.66;
            const double top = std::min(y(v), base - 2.0);
            painter.fillRect(QRectF(x + (slot - barWidth) / 2, top, barWidth, base - top), kBar);
            // A value wider than its bar's room would run into the next
            // one; it is left to the accessible description.
            const QString value = QString::number(v, 'f', decimals_);
            if (tinyMetrics.horizontalAdvance(value) <= slot) {
                painter.setFont(tiny);
                painter.setPen(kValue);
                painter.drawText(QRectF(x - 4, top - 13, slot + 8, 12), Qt::AlignHCenter | Qt::AlignBottom, value);
                painter.setFont(small);
            }
        }
        painter.setPen(kText);
        painter.drawText(QRectF(x, base + 2, slot, 16), Qt::AlignCenter, QString::number(q));
    }
    painter.setPen(kAxis);
    painter.drawLine(QPointF(left, base), QPointF(width() - kRight, base));
    // The topics: a bracket under each one's questions and its name.
    painter.setPen(kText);
    painter.drawText(QRectF(0, base + 2, left - 6, 16), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("問"));
    for (const bank::Topic &t : bank::topics()) {
        const double x1 = left + (t.first - 1) * slot + 2, x2 = left + t.last * slot - 2;
        painter.setPen(kAxis);
        painter.drawPolyline(QPolygonF(
            {QPointF(x1, base + 19), QPointF(x1, base + 23), QPointF(x2, base + 23), QPointF(x2, base + 19)}));
        painter.setPen(kText);
        const QRectF room(x1, base + 25, x2 - x1, 16);
        painter.drawText(
            room, Qt::AlignCenter,
            painter.fontMetrics().elidedText(QString::fromUtf8(t.name), Qt::ElideRight, int(room.width())));
    }
}

}  // namespace report::window
