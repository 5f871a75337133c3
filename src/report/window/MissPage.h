// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// 問題ごとのミス: what a cell's number means, the legend of its colours and
// the misses grid.

#include <QWidget>

class QAbstractItemModel;

namespace report::window {

class MissGrid;

class MissPage : public QWidget {
    Q_OBJECT
public:
    // model: the class model's sorting proxy.
    explicit MissPage(QAbstractItemModel *model, QWidget *parent = nullptr);
    MissGrid *grid() const { return grid_; }

private:
    MissGrid *grid_;
};

}  // namespace report::window
