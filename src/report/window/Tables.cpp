// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/Tables.h"

#include "report/window/ClassModel.h"

#include <QHeaderView>
#include <QTableView>

namespace report::window {

void setUpPupilTable(QTableView *view, QAbstractItemModel *model) {
    view->setModel(model);
    view->setSortingEnabled(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
}

void showRosterColumns(QTableView *view, bool shown) {
    QHeaderView *header = view->horizontalHeader();
    header->moveSection(header->visualIndex(ClassModel::Number), 0);
    header->moveSection(header->visualIndex(ClassModel::Name), 1);
    view->setColumnHidden(ClassModel::Number, !shown);
    view->setColumnHidden(ClassModel::Name, !shown);
    if (!shown) return;
    const QFontMetrics fm = view->fontMetrics();
    view->setColumnWidth(ClassModel::Number, fm.horizontalAdvance(QStringLiteral("名簿にない")) + 16);
    view->setColumnWidth(ClassModel::Name, fm.horizontalAdvance(QStringLiteral("山田　はなこさん")) + 16);
}

}  // namespace report::window
