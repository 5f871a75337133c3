// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/ChartPage.h"

#include "report/window/BarChart.h"

#include <QLabel>
#include <QVBoxLayout>

namespace report::window {

namespace {

QLabel *heading(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

}  // namespace

ChartPage::ChartPage(QWidget *parent) : QScrollArea(parent) {
    auto *charts = new QWidget(this);
    missChart_ = new BarChart(QStringLiteral("問題ごとの平均ミス数"), QStringLiteral(" 回"), 1, charts);
    reachedChart_ = new BarChart(QStringLiteral("各問題まで進んだ人数"), QStringLiteral(" 人"), 0, charts);
    auto *layout = new QVBoxLayout(charts);
    layout->addWidget(heading(QStringLiteral("問題ごとの平均ミス数"), charts));
    layout->addWidget(new QLabel(QStringLiteral("その問題まで進んだ人の平均です。"), charts));
    layout->addWidget(missChart_);
    layout->addWidget(heading(QStringLiteral("各問題まで進んだ人数"), charts));
    layout->addWidget(reachedChart_);
    layout->addStretch();
    setWidget(charts);
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus);
    missChart_->setObjectName(QStringLiteral("missChart"));
    reachedChart_->setObjectName(QStringLiteral("reachedChart"));
    for (BarChart *chart : {missChart_, reachedChart_}) {
        connect(chart, &BarChart::questionClicked, this, &ChartPage::questionClicked);
        connect(chart, &BarChart::questionDoubleClicked, this, &ChartPage::questionDoubleClicked);
    }
}

void ChartPage::setChosenQuestion(int question) {
    missChart_->setChosen(question);
    reachedChart_->setChosen(question);
}

void ChartPage::setSummary(const ClassSummary &s) {
    // An average over nobody is no figure; an average of 0 misses is one.
    BarChart::Values averages{}, reached{};
    for (int q = 1; q <= state::kQuestions; ++q) {
        averages[q] = s.reachedBy[q] ? s.averageMisses[q] : BarChart::kNoValue;
        reached[q] = s.reachedBy[q];
    }
    missChart_->setValues(averages);
    reachedChart_->setValues(reached);
}

}  // namespace report::window
