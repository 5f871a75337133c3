// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's model of a class: one row a progress file, whether the
// pupil needs help now (要支援), the seven columns of the report's table and
// the machine playing the code now, what the pupil did this lesson, then
// one column per question holding the misses grid.  Updated from the scanner's deltas: a changed file changes its row
// only.  ClassSortProxy sorts it by any column.

#include "report/ClassReport.h"
#include "report/Roster.h"
#include "classfolder/FolderScanner.h"
#include "report/window/Lesson.h"
#include "report/window/NeedsHelp.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

namespace report::window {

class ClassModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Code,
        Help,
        Reached,
        Score,
        Misses,
        Seconds,
        Playing,
        Review,
        State,
        Advanced,
        AddedMisses,
        LessonTime,  // this lesson
        Number,      // 出席番号 and 氏名, from the class list
        Name,
        FirstQuestion
    };
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
    void apply(const classfolder::ScanDelta &delta);

    // A row's pupil: a progress file, or after them (with a class list) a
    // pupil on the list with no file yet (kept unread, code only).
    const Pupil &pupil(int row) const {
        return size_t(row) < report_.pupils.size() ? report_.pupils[size_t(row)]
                                                   : notStarted_[size_t(row) - report_.pupils.size()];
    }
    // Whether the row is a pupil on the class list with no progress file (未着手).
    bool notStarted(int row) const { return size_t(row) >= report_.pupils.size() && row < rowCount(); }
    int notStartedCount() const { return int(notStarted_.size()); }

    // The class list, and the entry of a row's pupil on it (null when
    // there is no list or the code is not on it).  Any page may name
    // pupils by it.
    const RosterPtr &roster() const { return report_.roster; }
    const RosterEntry *rosterEntry(int row) const { return report_.roster ? report_.roster->find(pupil(row).code) : nullptr; }
    // Takes a class list (null: none); the pupils on it without a file
    // become rows.
    void setRoster(RosterPtr roster);
    // The row of a code, or -1.
    int rowOfCode(const QString &code) const;
    const ClassSummary &summary() const { return summary_; }
    // The rows as the report's writers take them.
    const ClassReport &report() const { return report_; }
    QString folder() const { return report_.folder; }
    QDateTime readAt() const { return report_.readAt; }

    static int question(int column) { return column - FirstQuestion + 1; }

    // Whether the pupil of row needs help now, and why.
    const HelpNeed &help(int row) const;
    int helpCount() const { return helpCount_; }
    // The folder's clock at the last look (0: nobody playing).
    qint64 folderNow() const { return folderNow_; }

    // This lesson: its start, and what the pupil of row did since.
    const Lesson &lesson() const { return lesson_; }
    void setLesson(Lesson lesson);
    // A lesson starting at start from the rows as they are now.
    Lesson lessonFromNow(const QDateTime &start) const;
    // The same from the rows of a look that brought every row, before they
    // are taken in.
    static Lesson lessonFromNow(const classfolder::ScanDelta &complete, const QDateTime &start);
    LessonFigures lessonFigures(int row) const;
    // Whether the pupil of row is here this lesson: playing now, or with
    // something done since the lesson began.
    bool hereThisLesson(int row) const;

signals:
    // The summary (and so the charts) changed.
    void summaryChanged();
    // A class list was taken or removed.
    void rosterChanged();

private:
    QVariant rosterData(int row, int column, int role) const;
    QVariant notStartedData(const Pupil &p, int column, int role) const;
    void reindex();
    // The rows of the pupils on the list without a file, after a change.
    void placeNotStarted();
    void judgeHelp();
    // Works out what the pupil of row did this lesson, kept for the views
    // (sorting asks it of every row many times).
    void refigure(size_t row);

    ClassReport report_;            // the rows, in code order (then by key)
    std::vector<QByteArray> keys_;  // the key of each row
    QHash<QByteArray, int> rowOfKey_;
    ClassSummary summary_;
    qint64 folderNow_ = 0;
    std::vector<HelpNeed> help_;
    QHash<QByteArray, QString> helpWhy_;  // key → why, of the rows needing help
    int helpCount_ = 0;
    Lesson lesson_;
    struct RowLesson {
        LessonFigures figures;
        bool here = false;
    };
    std::vector<RowLesson> lessonRows_;  // by row, as refigure() found
    std::vector<Pupil> notStarted_;      // the list's pupils with no file, by number
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

// The lesson's rows: files that cannot be read first, with what is wrong,
// then who is here (either way up), the others after them greyed.
class LessonSortProxy : public ClassSortProxy {
    Q_OBJECT
public:
    using ClassSortProxy::ClassSortProxy;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;
};

}  // namespace report::window
