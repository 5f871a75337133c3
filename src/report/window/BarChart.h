// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A bar chart of one value per question, the window's form of the page's
// two charts.  Drawn with QPainter at any scale, so it stays sharp at 2x;
// its values are also its accessible description.

#include "state/Session.h"

#include <QWidget>

#include <array>

namespace report::window {

class BarChart : public QWidget {
    Q_OBJECT
public:
    using Values = std::array<double, state::kQuestions + 1>;  // [1..30]

    // title names the chart to a screen reader; unit follows each value
    // (" 回", " 人"); decimals are the value labels' decimals.
    BarChart(const QString &title, const QString &unit, int decimals, QWidget *parent = nullptr);

    void setValues(const Values &values);
    const Values &values() const { return values_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString unit_;
    int decimals_;
    Values values_{};
};

}  // namespace report::window
