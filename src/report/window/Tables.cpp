// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/Tables.h"

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

}  // namespace report::window
