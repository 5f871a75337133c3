// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// この時間: the totals of the pupils here since the lesson began,
// 授業を始める, and each pupil: a file that cannot be read first with what
// is wrong, then 要支援, the machine playing, what they did this lesson,
// fewest questions advanced first; pupils with nothing this lesson below
// the rest, greyed.

#include "report/window/ClassModel.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableView;

namespace report::window {

class LessonPage : public QWidget {
    Q_OBJECT
public:
    explicit LessonPage(ClassModel &model, QWidget *parent = nullptr);
    // The totals line over the table, from the model's lesson.
    void showTotals();
    // Whether 授業を始める can be pressed.
    void setLessonStartable(bool startable);
    // Whether the page's order is being worked out on the worker thread.
    bool sorting() const { return proxy_.sorting(); }

signals:
    void startLessonClicked();  // 授業を始める
    // An order worked out on the worker thread has been taken in.
    void orderSettled();

private:
    ClassModel &model_;
    LessonSortProxy proxy_;
    QLabel *totals_;
    QPushButton *startButton_;
    QTableView *table_;
};

}  // namespace report::window
