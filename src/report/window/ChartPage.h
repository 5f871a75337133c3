// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// グラフ: the average misses of each question and how many pupils reached
// it, one chart under the other, scrolled when the window is low; a bar
// clicked is said by a signal.

#include "report/ClassReport.h"

#include <QScrollArea>

namespace report::window {

class BarChart;

class ChartPage : public QScrollArea {
    Q_OBJECT
public:
    explicit ChartPage(QWidget *parent = nullptr);
    void setSummary(const ClassSummary &summary);
    // Marks question's bar in both charts.
    void setChosenQuestion(int question);

signals:
    // A bar clicked, or double-clicked to explain its question.
    void questionClicked(int question);
    void questionDoubleClicked(int question);

private:
    BarChart *missChart_, *reachedChart_;
};

}  // namespace report::window
