// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// 一覧: one row a pupil, the report's columns with 要支援 and the machine
// playing, who needs help first.

#include <QTableView>

namespace report::window {

class ListPage : public QTableView {
    Q_OBJECT
public:
    // model: the class model's sorting proxy.
    explicit ListPage(QAbstractItemModel *model, QWidget *parent = nullptr);
};

}  // namespace report::window
