// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// グラフ: the average misses of each question and how many pupils reached
// it, one chart under the other, scrolled when the window is low.

#include "report/ClassReport.h"

#include <QScrollArea>

namespace report::window {

class BarChart;

class ChartPage : public QScrollArea {
    Q_OBJECT
public:
    explicit ChartPage(QWidget *parent = nullptr);
    BarChart *missChart() const { return missChart_; }
    BarChart *reachedChart() const { return reachedChart_; }
    void setSummary(const ClassSummary &summary);

private:
    BarChart *missChart_, *reachedChart_;
};

}  // namespace report::window
