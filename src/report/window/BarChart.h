// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A bar chart of one value per question, the window's form of the page's
// two charts, with the topics named under the question numbers.  Drawn
// with QPainter at any scale, so it stays sharp at 2x; its values are also
// its accessible description.  A bar's tooltip says what its question
// asks; a click on a bar chooses its question, a double click asks for its
// explanation.

#include "state/Session.h"

#include <QWidget>

#include <limits>

#include <array>

namespace report::window {

class BarChart : public QWidget {
    Q_OBJECT
public:
    using Values = std::array<double, state::kQuestions + 1>;  // [1..30]

    // title names the chart to a screen reader; unit follows each value
    // (" 回", " 人"); decimals are the value labels' decimals.
    BarChart(const QString &title, const QString &unit, int decimals, QWidget *parent = nullptr);

    // A value of kNoValue (NaN): no figures for that question (nobody got
    // there), drawn as nothing; any other value, 0 too, as a bar and label.
    static constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
    void setValues(const Values &values);
    const Values &values() const { return values_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The question whose slot holds x (a widget coordinate), or 0.
    int questionAt(int x) const;
    // The question chosen last (drawn marked), or 0.
    int chosen() const { return chosen_; }
    void setChosen(int q);

signals:
    void questionClicked(int q);
    void questionDoubleClicked(int q);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QString unit_;
    int decimals_;
    int left() const;
    double slot() const;
    double highest() const;          // the largest value, 0 when there is none
    QString valueText(int q) const;  // with its unit, or that nobody got there

    Values values_{};
    int chosen_ = 0;
};

}  // namespace report::window
