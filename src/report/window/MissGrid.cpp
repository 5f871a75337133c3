// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/MissGrid.h"

#include "bank/Topics.h"
#include "report/MissSteps.h"
#include "report/window/ClassModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace report::window {

TopicHeader::TopicHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {
    setObjectName(QStringLiteral("topicHeader"));
    setSectionsClickable(true);
    setHighlightSections(false);
}

int TopicHeader::bandHeight() const { return fontMetrics().height() + 6; }

QSize TopicHeader::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(size.height() + bandHeight());
    return size;
}

int TopicHeader::topicAt(int x) const {
    const int q = ClassModel::question(logicalIndexAt(x));
    const bank::Topic *topic = bank::topicOf(q);
    return topic ? int(topic - bank::topics().data()) : -1;
}

void TopicHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const {
    // The code's heading takes the whole height; a question's number sits under the band.
    QHeaderView::paintSection(
        painter, logicalIndex < ClassModel::FirstQuestion ? rect : rect.adjusted(0, bandHeight(), 0, 0), logicalIndex);
}

void TopicHeader::paintEvent(QPaintEvent *event) {
    QHeaderView::paintEvent(event);
    if (!model()) return;
    QPainter painter(viewport());
    const int band = bandHeight();
    for (const bank::Topic &t : bank::topics()) {
        const int first = ClassModel::FirstQuestion + t.first - 1, last = ClassModel::FirstQuestion + t.last - 1;
        const int x1 = sectionViewportPosition(first), x2 = sectionViewportPosition(last) + sectionSize(last);
        if (x2 <= 0 || x1 >= viewport()->width()) continue;
        const QRect area(x1, 0, x2 - x1, band);
        painter.fillRect(area, palette().color(QPalette::Button).darker(108));
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(area.adjusted(3, 0, -3, 0), Qt::AlignCenter,
                         fontMetrics().elidedText(QString::fromUtf8(t.name), Qt::ElideRight, area.width() - 6));
    }
}

bool TopicHeader::viewportEvent(QEvent *event) {
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int topic = help->pos().y() < bandHeight() ? topicAt(help->pos().x()) : -1;
        if (topic >= 0) {
            const bank::Topic &t = bank::topics()[size_t(topic)];
            QToolTip::showText(
                help->globalPos(),
                QStringLiteral("%1（問%2〜問%3）").arg(QString::fromUtf8(t.name)).arg(t.first).arg(t.last), viewport());
            return true;
        }
    }
    return QHeaderView::viewportEvent(event);
}

MissGrid::MissGrid(QWidget *parent) : QTableView(parent) {
    setObjectName(QStringLiteral("missGrid"));
    setHorizontalHeader(new TopicHeader(this));
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
    // The reason in short (the tooltip has it whole), and the heading's
    // words beside the sort mark.
    setColumnWidth(ClassModel::Help,
                   std::max(fontMetrics().horizontalAdvance(QStringLiteral("問30で99回ミス")) + 12,
                            horizontalHeader()->fontMetrics().horizontalAdvance(QStringLiteral("要支援")) + 30));
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
        box->setStyleSheet(
            QStringLiteral("QLabel { background: %1; color: %2; border: 1px solid #d0d0d0; padding: 1px 4px; }")
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
