// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's model of a class: one row a progress file, the seven columns
// of the report's table and the machine playing the code now, then one
// column per question holding the misses grid.  Updated from the scanner's deltas: a changed file changes its row
// only.  ClassSortProxy sorts it by any column.

#include "report/ClassReport.h"
#include "report/window/FolderScanner.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

namespace report::window {

class ClassModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Code, Reached, Score, Misses, Seconds, Playing, Review, State, FirstQuestion };
    static constexpr int kColumns = FirstQuestion + state::kQuestions;
    // For a question column: the step of the misses (kNotReached, 0..3).
    static constexpr int StepRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Takes in what a look at the folder found.  A complete delta replaces
    // every row; otherwise changed rows are updated in place, new ones
    // inserted in code order and removed ones dropped.
    void apply(const ScanDelta &delta);

    const Pupil &pupil(int row) const { return report_.pupils[size_t(row)]; }
    // The row of a code, or -1.
    int rowOfCode(const QString &code) const;
    const ClassSummary &summary() const { return summary_; }
    // The rows as the report's writers take them.
    const ClassReport &report() const { return report_; }
    QString folder() const { return report_.folder; }
    QDateTime readAt() const { return report_.readAt; }

    static int question(int column) { return column - FirstQuestion + 1; }

signals:
    // The summary (and so the charts) changed.
    void summaryChanged();

private:
    void reindex();

    ClassReport report_;             // the rows, in code order (then by key)
    std::vector<QByteArray> keys_;   // the key of each row
    QHash<QByteArray, int> rowOfKey_;
    ClassSummary summary_;
};

// Sorts the rows by any column: codes as a class list runs
// ("2" before "10"), numbers by value, a file that could not be read
// before every number; equal values keep the code order.
class ClassSortProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit ClassSortProxy(QObject *parent = nullptr);

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;
};

}  // namespace report::window
