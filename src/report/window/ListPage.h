// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// 一覧: one row a pupil, the report's columns with 要支援 and the machine
// playing, who needs help first; a heading clicked to sort is said by a
// signal.

#include <QTableView>

namespace report::window {

class ListPage : public QTableView {
    Q_OBJECT
public:
    // model: the class model's sorting proxy.
    explicit ListPage(QAbstractItemModel *model, QWidget *parent = nullptr);
    // Shows the order of the rows on the heading, saying nothing.
    void showSort(int column, Qt::SortOrder order);

signals:
    // The teacher sorted the table by a heading.
    void sortChanged(int column, Qt::SortOrder order);
};

}  // namespace report::window
