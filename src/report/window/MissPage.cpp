// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/MissPage.h"

#include "report/window/ClassModel.h"
#include "report/window/MissGrid.h"

#include <QLabel>
#include <QVBoxLayout>

namespace report::window {

MissPage::MissPage(QAbstractItemModel *model, QWidget *parent) : QWidget(parent) {
    grid_ = new MissGrid(this);
    grid_->setModel(model);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);  // columns may be chosen for a 課題
    auto *note = new QLabel(
        QStringLiteral(
            "ますの数はその問題でのミスの回数です。列の見出しを押すと、その問題でミスの多い順などに並べかえます。"),
        this);
    note->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(makeMissLegend(this));
    layout->addWidget(grid_, 1);
    // A question chosen in the grid: a cell of its column or its heading.
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &current) {
        if (current.column() >= ClassModel::FirstQuestion) emit questionChosen(ClassModel::question(current.column()));
    });
    connect(grid_->horizontalHeader(), &QHeaderView::sectionPressed, this, [this](int section) {
        if (section >= ClassModel::FirstQuestion) emit questionChosen(ClassModel::question(section));
    });
    connect(grid_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, &MissPage::sortChanged);
}

std::vector<int> MissPage::selectedQuestions() const {
    std::vector<int> questions;
    for (const QModelIndex &index : grid_->selectionModel()->selectedIndexes())
        if (index.column() >= ClassModel::FirstQuestion) questions.push_back(ClassModel::question(index.column()));
    return questions;
}

void MissPage::showSort(int column, Qt::SortOrder order) {
    QSignalBlocker block(grid_->horizontalHeader());
    grid_->horizontalHeader()->setSortIndicator(column, order);
}

}  // namespace report::window
