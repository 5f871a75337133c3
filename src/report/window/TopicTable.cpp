// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/TopicTable.h"

#include "bank/Topics.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace report::window {

namespace {

// A bar as long as its share of the largest average.
class BarDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        const double share = std::clamp(index.data(TopicTable::ShareRole).toDouble(), 0.0, 1.0);
        if (share > 0) {
            const QRect room = option.rect.adjusted(4, 5, -4, -5);
            painter->fillRect(QRect(room.topLeft(), QSize(int(room.width() * share), room.height())),
                              QColor(0xa9, 0xc1, 0xec));
        }
        QStyledItemDelegate::paint(painter, option, index);
    }
};

}  // namespace

TopicTable::TopicTable(QWidget *parent) : QTableWidget(int(bank::topics().size()), kColumns, parent) {
    setObjectName(QStringLiteral("topicTable"));
    setAccessibleName(QStringLiteral("分野ごとの平均ミス数"));
    setHorizontalHeaderLabels({QStringLiteral("分野"), QStringLiteral("問題"), QStringLiteral("進んだ人数"),
                               QStringLiteral("1 問あたりの平均ミス"), QString()});
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A topic, or several, may be chosen for a 課題.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setItemDelegateForColumn(Bar, new BarDelegate(this));
    const QFontMetrics fm = fontMetrics();
    setColumnWidth(Name, fm.horizontalAdvance(QStringLiteral("√をふくむ式の計算")) + 24);
    setColumnWidth(Questions, fm.horizontalAdvance(QStringLiteral("問00〜問00")) + 24);
    setColumnWidth(Pupils, fm.horizontalAdvance(QStringLiteral("進んだ人数")) + 32);
    setColumnWidth(Average, fm.horizontalAdvance(QStringLiteral("1 問あたりの平均ミス")) + 24);
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < kColumns; ++c) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(c == Name ? Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter)
                                             : Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
            setItem(r, c, item);
        }
    setSummary(ClassSummary{});
}

std::vector<int> TopicTable::selectedQuestions() const {
    const auto topics = bank::topics();
    std::vector<int> questions;
    for (const QModelIndex &row : selectionModel()->selectedRows())
        if (row.row() >= 0 && size_t(row.row()) < topics.size())
            for (int q = topics[size_t(row.row())].first; q <= topics[size_t(row.row())].last; ++q)
                questions.push_back(q);
    return questions;
}

void TopicTable::setSummary(const ClassSummary &summary) {
    const auto topics = bank::topics();
    std::vector<TopicFigures> figures;
    double most = 0;
    for (const bank::Topic &t : topics) {
        figures.push_back(topicFigures(summary, t.first, t.last));
        most = std::max(most, figures.back().averageMisses);
    }
    for (int r = 0; r < int(topics.size()); ++r) {
        const bank::Topic &t = topics[size_t(r)];
        const TopicFigures &f = figures[size_t(r)];
        const QString average = QStringLiteral("%1 回").arg(QString::number(f.averageMisses, 'f', 2));
        item(r, Name)->setText(QString::fromUtf8(t.name));
        item(r, Questions)->setText(QStringLiteral("問%1〜問%2").arg(t.first).arg(t.last));
        item(r, Pupils)->setText(QStringLiteral("%1 人").arg(f.pupils));
        item(r, Average)->setText(average);
        item(r, Bar)->setData(ShareRole, most > 0 ? f.averageMisses / most : 0.0);
        const bool weakest = most > 0 && f.averageMisses == most;
        for (int c = 0; c < kColumns; ++c) {
            QFont font = this->font();
            font.setBold(weakest);
            item(r, c)->setFont(font);
        }
        item(r, Name)->setData(
            Qt::AccessibleTextRole,
            weakest ? QStringLiteral("%1（いちばんミスが多い分野）").arg(QString::fromUtf8(t.name)) : QVariant());
    }
}

}  // namespace report::window
