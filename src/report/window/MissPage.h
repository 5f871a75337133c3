// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// 問題ごとのミス: what a cell's number means, the legend of its colours and
// the misses grid.  A question chosen in the grid (a cell of its column or
// its heading) and a heading clicked to sort are said by signals.

#include <QWidget>

#include <vector>

class QAbstractItemModel;

namespace report::window {

class MissGrid;

class MissPage : public QWidget {
    Q_OBJECT
public:
    // model: the class model's sorting proxy.
    explicit MissPage(QAbstractItemModel *model, QWidget *parent = nullptr);
    // The questions of the columns chosen in the grid.
    std::vector<int> selectedQuestions() const;
    // Shows the order of the rows on the grid's heading, saying nothing.
    void showSort(int column, Qt::SortOrder order);

signals:
    void questionChosen(int question);
    // The teacher sorted the grid by a heading.
    void sortChanged(int column, Qt::SortOrder order);

private:
    MissGrid *grid_;
};

}  // namespace report::window
