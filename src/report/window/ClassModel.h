// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's model of a class: one row a progress file, whether the
// pupil needs help now (要支援), the seven columns of the report's table and
// the machine playing the code now, what the pupil did this lesson, then
// one column per question holding the misses grid.  Updated from the scanner's deltas: a changed file changes its row
// only.  ClassSortProxy sorts it by any column.

#include "classfolder/FolderScanner.h"
#include "report/ClassReport.h"
#include "report/Roster.h"
#include "report/window/Lesson.h"
#include "report/window/NeedsHelp.h"

#include <QAbstractProxyModel>
#include <QAbstractTableModel>
#include <QSet>
#include <QThreadPool>

#include <memory>

namespace report::window {

// What the order of one row rests on, for the column sorted by: taken
// from the model on the interface thread, compared on any thread.
struct RowFacts {
    int row = 0;
    bool notStarted = false;  // on the class list, no file yet
    bool reached = true;      // the column has a value for the row
    int rank = 0;             // この時間: a file not read 0, not started in a lesson 1, else 2
    bool here = false;        // この時間: here this lesson
    const RosterEntry *entry = nullptr;
    int group = 0;  // then text, then value
    QString text;
    double value = 0;
};

// How rows are put in order: the column, which way up, and whether the
// lesson's ranks come first.
struct RowRule {
    int column = -1;
    bool ascending = true;
    bool lesson = false;
};
// Whether a comes before b sorted by rule's column ascending (a descending
// order puts b before a).
bool rowFactsLess(const RowFacts &a, const RowFacts &b, const RowRule &rule);

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

    struct RowLesson {
        LessonFigures figures;
        bool here = false;
    };
    // The rows of a look that brought every row, set out as the model keeps
    // them: worked out on any thread, taken in at once by apply().
    struct SetOut {
        std::vector<Pupil> pupils;
        std::vector<QByteArray> keys;
        QHash<QByteArray, int> rowOfKey;
        std::vector<HelpNeed> help;
        QHash<QByteArray, QString> helpWhy;
        QSet<QByteArray> watched;
        std::vector<RowLesson> lessonRows;
        QDateTime lessonStart;  // the lesson the figures are of
        ClassSummary summary;
    };
    using SetOutPtr = std::shared_ptr<SetOut>;
    static SetOutPtr setOut(const classfolder::ScanDelta &complete, const Lesson &lesson);

    // Takes in what a look at the folder found.  A complete delta replaces
    // every row (set out already when rows is given); otherwise changed
    // rows are updated in place, new ones inserted in code order and
    // removed ones dropped.
    void apply(const classfolder::ScanDelta &delta, SetOutPtr rows = nullptr);

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
    const RosterEntry *rosterEntry(int row) const {
        return report_.roster ? report_.roster->find(pupil(row).code) : nullptr;
    }
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
    // While a changed row is announced: whether its 状態 is as it was (the
    // views size that column to its contents, measuring many rows each time
    // it is announced).
    bool stateSameIn(int row) const { return row == stateSameIn_; }
    // What the order of row rests on when the rows are sorted by column.
    RowFacts sortFacts(int row, int column) const;

signals:
    // The summary (and so the charts) changed.
    void summaryChanged();
    // A class list was taken or removed.
    void rosterChanged();

private:
    QVariant rosterData(int row, int column, int role) const;
    QVariant notStartedData(const Pupil &p, int column, int role) const;
    QVariant questionData(const Pupil &p, int q, int role) const;  // the grid's cells
    QVariant helpData(int row, int role) const;                    // 要支援
    // apply()'s steps: every row anew; the rows of files that changed in
    // place (returns the new ones); many rows added or removed at once; a
    // few removed; a few added, each in its place.
    void takeAll(const classfolder::ScanDelta &delta, SetOut &rows);
    std::vector<const classfolder::Row *> changeRows(const std::vector<classfolder::Row> &changed);
    void rebuild(const std::vector<const classfolder::Row *> &added, const QList<QByteArray> &removed);
    void dropRows(const QList<QByteArray> &removed);
    void placeRows(const std::vector<const classfolder::Row *> &added);
    void reindex();
    // The row's place moved by one from row on, after an insert or erase.
    void renumberFrom(size_t row);
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
    int stateSameIn_ = -1;
    QSet<QByteArray> watched_;  // keys of the rows playing or needing help
    Lesson lesson_;
    std::vector<RowLesson> lessonRows_;  // by row, as refigure() found
    std::vector<Pupil> notStarted_;      // the list's pupils with no file, by number
};

// Sorts the rows by any column: codes as a class list runs
// ("2" before "10"), numbers by value, a file that could not be read
// before every number; equal values keep the code order.  The order is a
// permutation of the model's rows: a changed, added or removed row is
// moved to its place by a binary search; a whole order (a new folder, a
// heading clicked) of many rows is worked out on a worker thread from a
// copy of the rows' facts and taken in at once, and orderSettled() says so.
class ClassSortProxy : public QAbstractProxyModel {
    Q_OBJECT
public:
    explicit ClassSortProxy(QObject *parent = nullptr);
    ~ClassSortProxy() override;

    void setSourceModel(QAbstractItemModel *model) override;
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &) const override { return {}; }
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return rule_.column; }
    Qt::SortOrder sortOrder() const { return rule_.ascending ? Qt::AscendingOrder : Qt::DescendingOrder; }

    // Whether an order is being worked out on the worker thread.
    bool sorting() const { return job_ != 0; }
    // From how many rows a whole order is worked out off the interface thread.
    void setBackgroundFrom(int rows) { backgroundFrom_ = rows; }

signals:
    // An order worked out on the worker thread has been taken in.
    void orderSettled();

protected:
    explicit ClassSortProxy(bool lesson, QObject *parent);
    const ClassModel *classModel() const { return static_cast<const ClassModel *>(sourceModel()); }

private:
    RowFacts factsOf(int sourceRow) const;
    bool before(int sourceA, int sourceB) const;
    // The whole order again: at once for a few rows, else on the worker
    // (reset: the rows shown are dropped until it comes).
    void reorder(bool reset);
    void launch();
    std::vector<int> orderNow() const;
    void takeOrder(quint64 job, std::vector<int> order);
    void renumber();
    // Where source row goes among the rows shown (binary search).
    int placeOf(int sourceRow) const;
    void rowsAdded(int first, int last);
    void rowsLeaving(int first, int last);
    void rowsLeft(int first, int last);
    void rowsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);

    RowRule rule_;
    std::vector<int> shown_;  // proxy row → source row
    std::vector<int> rowOf_;  // source row → proxy row, -1: not shown
    quint64 job_ = 0;         // the order awaited from the worker, 0: none
    quint64 jobs_ = 0;
    bool launchQueued_ = false;
    int backgroundFrom_ = 2000;
    QList<QMetaObject::Connection> connections_;
    std::unique_ptr<QThreadPool> worker_;
};

// The lesson's rows: files that cannot be read first, with what is wrong,
// then who is here (either way up), the others after them greyed.
class LessonSortProxy : public ClassSortProxy {
    Q_OBJECT
public:
    explicit LessonSortProxy(QObject *parent = nullptr) : ClassSortProxy(true, parent) {}
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
};

}  // namespace report::window
