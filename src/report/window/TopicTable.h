// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Each topic of the course in a row: its questions, how many pupils got
// to it, and its misses per question over the pupils who reached each
// question, with a bar, so that the weak topic reads at a glance (the
// topic with the most is drawn bold).

#include "report/ClassReport.h"

#include <QTableWidget>

#include <vector>

namespace report::window {

class TopicTable : public QTableWidget {
    Q_OBJECT
public:
    enum Column { Name, Questions, Pupils, Average, Bar, kColumns };
    // The bar's share (0..1) of the largest average.
    static constexpr int ShareRole = Qt::UserRole + 1;

    explicit TopicTable(QWidget *parent = nullptr);
    void setSummary(const ClassSummary &summary);
    // The questions of the topics chosen (rows; several may be chosen for a 課題).
    std::vector<int> selectedQuestions() const;
};

}  // namespace report::window
