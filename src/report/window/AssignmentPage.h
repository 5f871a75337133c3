// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// 課題: what the class was set, since when and the test day; each pupil's
// stage (済, 途中 (i／n), 未着手; 未着手 first) with the 課題's questions
// as columns (○ right at the first try, × answered wrongly, blank not
// yet) and, in the last row, how many pupils got each right at the first
// try; 「課題をやめる」.  A 課題 file that does not count is named here.
// The dialog that chooses a 課題 lives here too.

#include "report/ClassReport.h"

#include <QDate>
#include <QDialog>
#include <QWidget>

#include <vector>

class QCheckBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;
class QTreeWidget;

namespace report::window {

class AssignmentPage : public QWidget {
    Q_OBJECT
public:
    explicit AssignmentPage(QWidget *parent = nullptr);
    // Shows the 課題 of report and its pupils.
    void show(const ClassReport &report);

signals:
    void clearAssignmentClicked();  // 課題をやめる

private:
    QLabel *summary_, *problem_;
    QPushButton *clearButton_;
    QTableWidget *table_;
};

// What the teacher chose in the dialog.
struct AssignmentChoice {
    std::vector<int> questions;  // ascending
    QDate testDay;               // null: none
};

// 課題を出す: the 30 questions by topic with their titles, ticked as
// proposed; an optional test day after today; what will be set.
class AssignDialog : public QDialog {
    Q_OBJECT
public:
    AssignDialog(const AssignmentChoice &proposed, const QDate &today, QWidget *parent = nullptr);
    AssignmentChoice choice() const;

    QTreeWidget *tree() const { return tree_; }
    QCheckBox *testDayBox() const { return testDayBox_; }
    QDateEdit *testDayEdit() const { return testDayEdit_; }
    QLabel *preview() const { return preview_; }
    QPushButton *okButton() const { return ok_; }

private:
    void showChoice();
    QTreeWidget *tree_;
    QCheckBox *testDayBox_;
    QDateEdit *testDayEdit_;
    QLabel *preview_;
    QPushButton *ok_;
};

}  // namespace report::window
