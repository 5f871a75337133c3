// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/MissGrid.h"

#include "report/MissSteps.h"
#include "report/window/ClassModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>

namespace report::window {

MissGrid::MissGrid(QWidget *parent) : QTableView(parent) {
    setObjectName(QStringLiteral("missGrid"));
    setAccessibleName(QStringLiteral("一人ひとりの問題ごとのミス"));
    setSortingEnabled(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(false);
    setWordWrap(false);
    verticalHeader()->hide();
    // Fixed sizes: the view then never measures ten thousand rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(8);
    horizontalHeader()->setHighlightSections(false);
}

void MissGrid::setModel(QAbstractItemModel *model) {
    QTableView::setModel(model);
    if (!model) return;
    for (int c = ClassModel::Reached; c < ClassModel::FirstQuestion; ++c) setColumnHidden(c, true);
    const int cell = fontMetrics().horizontalAdvance(QStringLiteral("30")) + 14;
    for (int c = ClassModel::FirstQuestion; c < ClassModel::kColumns; ++c) setColumnWidth(c, cell);
    setColumnWidth(ClassModel::Code, fontMetrics().horizontalAdvance(QStringLiteral("あいうえおかき")) + 12);
}

QWidget *makeMissLegend(QWidget *parent) {
    auto *legend = new QWidget(parent);
    legend->setObjectName(QStringLiteral("missLegend"));
    auto *layout = new QHBoxLayout(legend);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto swatch = [&](const QString &fill, const QString &text, const QString &mark, const QString &words) {
        auto *box = new QLabel(mark, legend);
        box->setAlignment(Qt::AlignCenter);
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("3+")) + 14);
        box->setStyleSheet(QStringLiteral("QLabel { background: %1; color: %2; border: 1px solid #d0d0d0; padding: 1px 4px; }")
                               .arg(fill, text));
        box->setAccessibleName(words);
        layout->addWidget(box);
        layout->addWidget(new QLabel(words, legend));
        layout->addSpacing(10);
    };
    for (int step = 0; step < kMissSteps; ++step)
        swatch(QLatin1String(stepColours(step).fill), QLatin1String(stepColours(step).text),
               step == kMissSteps - 1 ? QStringLiteral("3+") : QString::number(step), stepLabel(step));
    swatch(QStringLiteral("#ffffff"), QStringLiteral("#222222"), QString(), QStringLiteral("まだ進んでいない"));
    layout->addStretch();
    return legend;
}

}  // namespace report::window
