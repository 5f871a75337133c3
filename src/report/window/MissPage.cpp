// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/MissPage.h"

#include "report/window/MissGrid.h"

#include <QLabel>
#include <QVBoxLayout>

namespace report::window {

MissPage::MissPage(QAbstractItemModel *model, QWidget *parent) : QWidget(parent) {
    grid_ = new MissGrid(this);
    grid_->setModel(model);
    auto *note = new QLabel(
        QStringLiteral(
            "ますの数はその問題でのミスの回数です。列の見出しを押すと、その問題でミスの多い順などに並べかえます。"),
        this);
    note->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(makeMissLegend(this));
    layout->addWidget(grid_, 1);
}

}  // namespace report::window
