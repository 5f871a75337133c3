// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/AssignmentPage.h"

#include "bank/Topics.h"
#include "report/AssignmentStatus.h"
#include "report/Roster.h"
#include "report/Writers.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace report::window {

namespace {

QTableWidgetItem *cell(const QString &text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(align);
    return item;
}

QLabel *plainLabel(QWidget *parent, const char *name) {
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);  // a file's account or path is text, never markup
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

AssignmentPage::AssignmentPage(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("assignmentPage"));
    summary_ = plainLabel(this, "assignmentSummary");
    problem_ = plainLabel(this, "assignmentProblem");
    problem_->setStyleSheet(QStringLiteral("color: #b00020;"));
    problem_->hide();
    clearButton_ = new QPushButton(QStringLiteral("課題をやめる"), this);
    clearButton_->setObjectName(QStringLiteral("clearAssignmentButton"));
    clearButton_->setToolTip(QStringLiteral("出ている課題を終わりにします（確かめてから）"));
    connect(clearButton_, &QPushButton::clicked, this, &AssignmentPage::clearAssignmentClicked);
    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("assignmentTable"));
    table_->setAccessibleName(QStringLiteral("課題の進み具合"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    auto *top = new QHBoxLayout;
    top->addWidget(summary_, 1);
    top->addWidget(clearButton_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(problem_);
    layout->addWidget(table_, 1);
    show(ClassReport{});
}

void AssignmentPage::show(const ClassReport &report) {
    const state::assignment::Found &found = report.assignment;
    problem_->setVisible(!found.problem.isEmpty());
    problem_->setText(found.problem);
    clearButton_->setEnabled(found.isSet());
    table_->clear();
    if (!found.isSet()) {
        summary_->setText(
            QStringLiteral("課題は出ていません。問題を選んで「課題を出す…」を押すと、クラスに課題を出せます。"));
        table_->setRowCount(0);
        table_->setColumnCount(0);
        return;
    }
    const state::assignment::Assignment &a = found.assignment;
    const AssignmentCount count = assignmentCount(report);
    summary_->setText(
        QStringLiteral("課題：%1\n済 %2／%3 人").arg(assignmentSummary(a)).arg(count.done).arg(count.pupils));
    // With a class list, each pupil's number and name come first.
    const Roster *roster = report.roster.get();
    const int lead = roster ? 2 : 0;
    QStringList heads;
    if (roster) heads << QStringLiteral("番号") << QStringLiteral("氏名");
    heads << QStringLiteral("コード") << QStringLiteral("課題");
    for (int q : a.questions) heads << QStringLiteral("問%1").arg(q);
    table_->setColumnCount(int(heads.size()));
    table_->setHorizontalHeaderLabels(heads);
    for (size_t i = 0; i < a.questions.size(); ++i)
        table_->horizontalHeaderItem(lead + int(i) + 2)->setToolTip(questionLabel(a.questions[i]));

    // 未着手 first, then 途中, then 済; in the list's order (else code order) within each.
    struct Line {
        const Pupil *pupil;
        AssignmentProgress progress;
    };
    std::vector<Line> lines;
    for (const Pupil &p : report.pupils) lines.push_back({&p, assignmentProgress(p, a)});
    if (roster) {
        const auto place = [roster](const Pupil *p) {
            const RosterEntry *e = roster->find(p->code);
            return e ? e - roster->entries().data() : qsizetype(roster->entries().size());
        };
        std::stable_sort(lines.begin(), lines.end(),
                         [&place](const Line &x, const Line &y) { return place(x.pupil) < place(y.pupil); });
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line &x, const Line &y) { return int(x.progress.stage) < int(y.progress.stage); });
    std::vector<int> rightFirst(a.questions.size(), 0);
    table_->setRowCount(int(lines.size()) + 1);
    for (int r = 0; r < int(lines.size()); ++r) {
        const Line &line = lines[size_t(r)];
        if (roster) {
            const RosterEntry *e = roster->find(line.pupil->code);
            table_->setItem(r, 0, cell(e ? visible(e->number) : QStringLiteral("名簿にない")));
            table_->setItem(r, 1, cell(e ? visible(e->name) : QString()));
        }
        table_->setItem(r, lead, cell(visible(line.pupil->code)));
        QString stage = stageText(line.progress);
        if (!line.pupil->reviewProblem.isEmpty()) stage = QStringLiteral("記録が読めません");
        table_->setItem(r, lead + 1, cell(stage));
        for (size_t i = 0; i < a.questions.size(); ++i) {
            const char mark = line.progress.marks[i];
            rightFirst[i] += mark == 'o' ? 1 : 0;
            table_->setItem(r, lead + int(i) + 2,
                            cell(mark == 'o'   ? QStringLiteral("○")
                                 : mark == 'x' ? QStringLiteral("×")
                                               : QString(),
                                 Qt::AlignCenter));
        }
    }
    const int last = int(lines.size());
    table_->setItem(last, lead, cell(QStringLiteral("一度で正解")));
    table_->setItem(last, lead + 1, cell(QString()));
    for (size_t i = 0; i < a.questions.size(); ++i)
        table_->setItem(last, lead + int(i) + 2, cell(QStringLiteral("%1人").arg(rightFirst[i]), Qt::AlignCenter));
    table_->resizeColumnsToContents();
}

AssignDialog::AssignDialog(const AssignmentChoice &proposed, const QDate &today, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("assignDialog"));
    setWindowTitle(QStringLiteral("課題を出す"));
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("assignQuestions"));
    tree_->setHeaderLabels({QStringLiteral("分野・問題")});
    for (const bank::Topic &t : bank::topics()) {
        auto *topic = new QTreeWidgetItem(tree_, {QString::fromUtf8(t.name)});
        topic->setFlags(topic->flags() | Qt::ItemIsAutoTristate | Qt::ItemIsUserCheckable);
        for (int q = t.first; q <= t.last; ++q) {
            auto *item = new QTreeWidgetItem(topic, {questionLabel(q)});
            item->setData(0, Qt::UserRole, q);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            const bool ticked =
                std::find(proposed.questions.begin(), proposed.questions.end(), q) != proposed.questions.end();
            item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
        }
        topic->setExpanded(true);
    }
    testDayBox_ = new QCheckBox(QStringLiteral("テストの日："), this);
    testDayBox_->setObjectName(QStringLiteral("testDayBox"));
    testDayEdit_ = new QDateEdit(this);
    testDayEdit_->setObjectName(QStringLiteral("testDayEdit"));
    testDayEdit_->setCalendarPopup(true);
    testDayEdit_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    testDayEdit_->setMinimumDate(today.addDays(1));  // a test day is after today
    testDayEdit_->setDate(proposed.testDay.isValid() ? proposed.testDay : today.addDays(7));
    testDayBox_->setChecked(proposed.testDay.isValid());
    testDayEdit_->setEnabled(testDayBox_->isChecked());
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("assignPreview"));
    preview_->setTextFormat(Qt::PlainText);
    preview_->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QStringLiteral("課題を出す"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("やめる"), QDialogButtonBox::RejectRole);
    auto *dayRow = new QHBoxLayout;
    dayRow->addWidget(testDayBox_);
    dayRow->addWidget(testDayEdit_);
    dayRow->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("課題にする問題に印をつけてください。"), this));
    layout->addWidget(tree_, 1);
    layout->addLayout(dayRow);
    layout->addWidget(preview_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tree_, &QTreeWidget::itemChanged, this, &AssignDialog::showChoice);
    connect(testDayBox_, &QCheckBox::toggled, testDayEdit_, &QWidget::setEnabled);
    connect(testDayBox_, &QCheckBox::toggled, this, &AssignDialog::showChoice);
    connect(testDayEdit_, &QDateEdit::dateChanged, this, &AssignDialog::showChoice);
    // Tall enough for every question where the screen allows; the list
    // scrolls on a small or scaled screen, the buttons always show.
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() - QSize(40, 80) : QSize(560, 760);
    resize(std::min(560, room.width()), std::min(760, room.height()));
    showChoice();
}

AssignmentChoice AssignDialog::choice() const {
    AssignmentChoice c;
    for (int t = 0; t < tree_->topLevelItemCount(); ++t)
        for (int i = 0; i < tree_->topLevelItem(t)->childCount(); ++i) {
            const QTreeWidgetItem *item = tree_->topLevelItem(t)->child(i);
            if (item->checkState(0) == Qt::Checked) c.questions.push_back(item->data(0, Qt::UserRole).toInt());
        }
    if (testDayBox_->isChecked()) c.testDay = testDayEdit_->date();
    return c;
}

void AssignDialog::showChoice() {
    const AssignmentChoice c = choice();
    ok_->setEnabled(!c.questions.empty());
    if (c.questions.empty()) {
        preview_->setText(QStringLiteral("まだ問題が選ばれていません。"));
        return;
    }
    QStringList numbers;
    for (int q : c.questions) numbers << QString::number(q);
    preview_->setText(QStringLiteral("出す課題：%1（問%2）%3")
                          .arg(bank::questionsText(c.questions), numbers.join(QStringLiteral("・")),
                               c.testDay.isValid()
                                   ? QStringLiteral("、テストの日 %1").arg(c.testDay.toString(Qt::ISODate))
                                   : QStringLiteral("、テストの日なし")));
}

}  // namespace report::window
