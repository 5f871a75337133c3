// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/ListPage.h"

#include "report/window/ClassModel.h"
#include "report/window/Tables.h"

#include <QHeaderView>

namespace report::window {

ListPage::ListPage(QAbstractItemModel *model, QWidget *parent) : QTableView(parent) {
    setObjectName(QStringLiteral("classTable"));
    setAccessibleName(QStringLiteral("一覧"));
    setUpPupilTable(this, model);
    for (int c = ClassModel::Advanced; c < ClassModel::kColumns; ++c) setColumnHidden(c, true);
    // Who needs help comes first, the rest in code order.
    sortByColumn(ClassModel::Help, Qt::DescendingOrder);
    // 状態 as wide as what it says, not the rest of the table.
    horizontalHeader()->setSectionResizeMode(ClassModel::State, QHeaderView::ResizeToContents);
    const QFontMetrics fm = fontMetrics();
    const int number = fm.horizontalAdvance(QStringLiteral("合計秒数")) + 28;
    setColumnWidth(ClassModel::Code, fm.horizontalAdvance(QStringLiteral("あいうえおかきく")) + 16);
    for (int c = ClassModel::Reached; c < ClassModel::Playing; ++c) setColumnWidth(c, number);
    setColumnWidth(ClassModel::Seconds, fm.horizontalAdvance(QStringLiteral("10時間00分00秒")) + 16);
    setColumnWidth(ClassModel::Playing, fm.horizontalAdvance(QStringLiteral("プレイ中の端末")) + 40);
    setColumnWidth(ClassModel::Help, fm.horizontalAdvance(QStringLiteral("問30に99分、9回ミス")) + 16);
    setColumnWidth(ClassModel::Review, fm.horizontalAdvance(QStringLiteral("30問中30問")) + 16);
    showRosterColumns(this, false);
    connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, &ListPage::sortChanged);
}

void ListPage::showSort(int column, Qt::SortOrder order) {
    QSignalBlocker block(horizontalHeader());
    horizontalHeader()->setSortIndicator(column, order);
}

}  // namespace report::window
