// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/LessonPage.h"

#include "report/Writers.h"
#include "report/window/Tables.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace report::window {

LessonPage::LessonPage(ClassModel &model, QWidget *parent) : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("lessonPage"));
    proxy_.setSourceModel(&model);
    totals_ = new QLabel(this);
    totals_->setObjectName(QStringLiteral("lessonTotals"));
    totals_->setTextFormat(Qt::PlainText);
    totals_->setWordWrap(true);
    startButton_ = new QPushButton(QStringLiteral("授業を始める"), this);
    startButton_->setObjectName(QStringLiteral("lessonButton"));
    startButton_->setToolTip(QStringLiteral("いまを授業の始めにして、ここから進んだ問題・ミス・時間を数えなおします"));
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("lessonTable"));
    table_->setAccessibleName(QStringLiteral("この時間"));
    setUpPupilTable(table_, &proxy_);
    for (int c = ClassModel::Reached; c < ClassModel::Advanced; ++c)
        table_->setColumnHidden(c, c != ClassModel::Playing && c != ClassModel::State);
    for (int c = ClassModel::FirstQuestion; c < ClassModel::kColumns; ++c) table_->setColumnHidden(c, true);
    table_->sortByColumn(ClassModel::Advanced, Qt::AscendingOrder);
    const QFontMetrics fm = table_->fontMetrics();
    table_->setColumnWidth(ClassModel::Code, fm.horizontalAdvance(QStringLiteral("あいうえおかきく")) + 16);
    table_->setColumnWidth(ClassModel::Help, fm.horizontalAdvance(QStringLiteral("問30に99分、9回ミス")) + 16);
    table_->setColumnWidth(ClassModel::Playing, fm.horizontalAdvance(QStringLiteral("プレイ中の端末")) + 40);
    for (int c = ClassModel::Advanced; c <= ClassModel::LessonTime; ++c)
        table_->setColumnWidth(c, fm.horizontalAdvance(QStringLiteral("進んだ問題")) + 40);
    // 状態 is the last column shown here, wide as what it says.
    table_->horizontalHeader()->moveSection(table_->horizontalHeader()->visualIndex(ClassModel::State),
                                            table_->horizontalHeader()->visualIndex(ClassModel::LessonTime));
    table_->horizontalHeader()->setSectionResizeMode(ClassModel::State, QHeaderView::ResizeToContents);
    showRosterColumns(table_, false);
    // With a class list the page names each pupil and runs in the list's order.
    connect(&model, &ClassModel::rosterChanged, this, [this] {
        showRosterColumns(table_, bool(model_.roster()));
        table_->sortByColumn(model_.roster() ? ClassModel::Number : ClassModel::Advanced, Qt::AscendingOrder);
        showTotals();
    });
    connect(startButton_, &QPushButton::clicked, this, &LessonPage::startLessonClicked);
    connect(&proxy_, &ClassSortProxy::orderSettled, this, &LessonPage::orderSettled);
    auto *top = new QHBoxLayout;
    top->addWidget(totals_, 1);
    top->addWidget(startButton_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
}

void LessonPage::setLessonStartable(bool startable) { startButton_->setEnabled(startable); }

void LessonPage::showTotals() {
    const Lesson &lesson = model_.lesson();
    if (!lesson.started()) {
        totals_->setText(QStringLiteral("授業の始めは、フォルダーを読み終えたときです。"));
        return;
    }
    // The pupils here this lesson (playing now, or with something done
    // since it began), not every file; files that cannot be read apart.
    LessonFigures total;
    int here = 0, unread = 0;
    for (int r = 0; r < model_.rowCount(); ++r) {
        if (model_.notStarted(r)) continue;  // on the class list, no file yet: counted on the status line
        if (!model_.pupil(r).wasRead()) {
            ++unread;
            continue;
        }
        const LessonFigures f = model_.lessonFigures(r);
        total.advanced += f.advanced;
        total.misses += f.misses;
        total.seconds += f.seconds;
        here += model_.hereThisLesson(r) ? 1 : 0;
    }
    totals_->setText(
        QStringLiteral("授業の始め %1 から　来ている人 %2 人　進んだ問題 %3 問・増えたミス %4 回・プレイ時間 %5")
            .arg(lesson.start.toLocalTime().toString(QStringLiteral("HH:mm")))
            .arg(here)
            .arg(total.advanced)
            .arg(total.misses)
            .arg(durationText(total.seconds)) +
        (unread ? QStringLiteral("　読めないファイル %1 件").arg(unread) : QString()));
}

}  // namespace report::window
