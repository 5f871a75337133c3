// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/ClassModel.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace report::window {

namespace {

// More rows than this changed at once are put in order afresh rather than
// one by one.
constexpr int kOneByOneLimit = 64;

// Whether row a comes before row b in the view: a descending order asks
// the same question the other way round, so that ties keep the code order
// either way up.
bool comesBefore(const RowFacts &a, const RowFacts &b, const RowRule &rule) {
    return rule.ascending ? rowFactsLess(a, b, rule) : rowFactsLess(b, a, rule);
}

std::vector<int> ordered(const std::vector<RowFacts> &facts, const RowRule &rule) {
    std::vector<int> order(facts.size());
    std::iota(order.begin(), order.end(), 0);
    if (rule.column >= 0)
        std::sort(order.begin(), order.end(),
                  [&facts, &rule](int a, int b) { return comesBefore(facts[size_t(a)], facts[size_t(b)], rule); });
    return order;
}

}  // namespace

bool rowFactsLess(const RowFacts &a, const RowFacts &b, const RowRule &rule) {
    const bool ascending = rule.ascending;
    const bool rowLess = ascending ? a.row < b.row : a.row > b.row;  // equal values keep the code order
    if (rule.lesson) {
        // A file that cannot be read comes first, whichever way up: its pupil
        // cannot play until the teacher acts.  While the lesson runs, those on
        // the class list who have not started come next.  Then who is here, so
        // that the pupils with nothing this lesson stand apart at the bottom.
        if (a.rank != b.rank) return (a.rank < b.rank) == ascending;
        if (a.here != b.here) return a.here == ascending;
    }
    // The model's files are in code order already; the list's pupils
    // without a file come after them.
    if (rule.column == ClassModel::Code) {
        if (!a.notStarted && !b.notStarted) return a.row < b.row;
        if (codeLess(a.text, b.text) != codeLess(b.text, a.text)) return codeLess(a.text, b.text);
        return a.row < b.row;
    }
    if (rule.column == ClassModel::Number || rule.column == ClassModel::Name) {
        // By the class list; a file whose code is not on it stays at the
        // bottom both ways up, so that a mistyped code is seen at once.
        if (bool(a.entry) != bool(b.entry)) return bool(a.entry) == ascending;
        if (a.entry && a.entry != b.entry) {
            if (rule.column == ClassModel::Number) return a.entry < b.entry;  // the list is in number order
            if (const int c = a.entry->name.localeAwareCompare(b.entry->name); c != 0) return c < 0;
        }
        return rowLess;
    }
    // Pupils who have not reached a question stay after those who did, with
    // 0 misses or more, both ways up.
    if (a.reached != b.reached) return a.reached == ascending;
    if (a.group != b.group) return a.group < b.group;
    if (a.text != b.text) return a.text < b.text;
    if (a.value != b.value) return a.value < b.value;
    return rowLess;
}

ClassSortProxy::ClassSortProxy(QObject *parent) : ClassSortProxy(false, parent) {}

ClassSortProxy::ClassSortProxy(bool lesson, QObject *parent)
    : QAbstractProxyModel(parent), worker_(std::make_unique<QThreadPool>()) {
    rule_.lesson = lesson;
    worker_->setMaxThreadCount(1);
}

// The worker is waited for before the rows it would hand back go.
ClassSortProxy::~ClassSortProxy() {
    job_ = 0;
    worker_.reset();
}

void ClassSortProxy::setSourceModel(QAbstractItemModel *model) {
    beginResetModel();
    for (const QMetaObject::Connection &c : connections_) disconnect(c);
    connections_.clear();
    QAbstractProxyModel::setSourceModel(model);
    job_ = 0;
    shown_.clear();
    if (model) {
        connections_ << connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
            beginResetModel();
            job_ = 0;
            shown_.clear();
            rowOf_.clear();
        });
        connections_ << connect(model, &QAbstractItemModel::modelReset, this, [this] {
            reorder(true);
            endResetModel();
        });
        connections_ << connect(model, &QAbstractItemModel::layoutChanged, this, [this] { reorder(false); });
        connections_ << connect(model, &QAbstractItemModel::rowsInserted, this,
                                [this](const QModelIndex &, int first, int last) { rowsAdded(first, last); });
        connections_ << connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                                [this](const QModelIndex &, int first, int last) { rowsLeaving(first, last); });
        connections_ << connect(model, &QAbstractItemModel::rowsRemoved, this,
                                [this](const QModelIndex &, int first, int last) { rowsLeft(first, last); });
        connections_ << connect(model, &QAbstractItemModel::dataChanged, this, &ClassSortProxy::rowsChanged);
        connections_ << connect(model, &QAbstractItemModel::headerDataChanged, this,
                                &QAbstractItemModel::headerDataChanged);
        shown_ = orderNow();
    }
    renumber();
    endResetModel();
}

QModelIndex ClassSortProxy::index(int row, int column, const QModelIndex &parent) const {
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return {};
    return createIndex(row, column);
}

int ClassSortProxy::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(shown_.size()); }

int ClassSortProxy::columnCount(const QModelIndex &parent) const {
    return parent.isValid() || !sourceModel() ? 0 : sourceModel()->columnCount();
}

bool ClassSortProxy::hasChildren(const QModelIndex &parent) const { return !parent.isValid() && !shown_.empty(); }

QModelIndex ClassSortProxy::mapToSource(const QModelIndex &proxyIndex) const {
    if (!proxyIndex.isValid() || size_t(proxyIndex.row()) >= shown_.size()) return {};
    return sourceModel()->index(shown_[size_t(proxyIndex.row())], proxyIndex.column());
}

QModelIndex ClassSortProxy::mapFromSource(const QModelIndex &sourceIndex) const {
    if (!sourceIndex.isValid() || size_t(sourceIndex.row()) >= rowOf_.size()) return {};
    const int row = rowOf_[size_t(sourceIndex.row())];
    return row < 0 ? QModelIndex() : createIndex(row, sourceIndex.column());
}

void ClassSortProxy::sort(int column, Qt::SortOrder order) {
    const RowRule rule{column, order == Qt::AscendingOrder, rule_.lesson};
    if (rule.column == rule_.column && rule.ascending == rule_.ascending) return;
    rule_ = rule;
    reorder(false);
}

RowFacts ClassSortProxy::factsOf(int sourceRow) const { return classModel()->sortFacts(sourceRow, rule_.column); }

bool ClassSortProxy::before(int sourceA, int sourceB) const {
    return comesBefore(factsOf(sourceA), factsOf(sourceB), rule_);
}

std::vector<int> ClassSortProxy::orderNow() const {
    std::vector<RowFacts> facts;
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    facts.reserve(size_t(rows));
    for (int r = 0; r < rows; ++r) facts.push_back(factsOf(r));
    return ordered(facts, rule_);
}

void ClassSortProxy::reorder(bool reset) {
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    if (rows < backgroundFrom_) {
        job_ = 0;
        if (reset) {
            shown_ = orderNow();
            renumber();
        } else {
            takeOrder(0, orderNow());
        }
        return;
    }
    // Worked out on the worker from the rows as they are when the change
    // that asked for it is over (changes meanwhile ask for a newer one);
    // the rows shown stay as they are (none after a reset) until it comes.
    if (reset) {
        shown_.clear();
        renumber();
    }
    job_ = ++jobs_;
    if (!std::exchange(launchQueued_, true))
        QMetaObject::invokeMethod(this, &ClassSortProxy::launch, Qt::QueuedConnection);
}

void ClassSortProxy::launch() {
    launchQueued_ = false;
    if (job_ == 0) return;
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    auto facts = std::make_shared<std::vector<RowFacts>>();
    facts->reserve(size_t(rows));
    for (int r = 0; r < rows; ++r) facts->push_back(factsOf(r));
    const quint64 job = job_;
    const RowRule rule = rule_;
    // The class list the facts point into lives as long as the copy.
    const RosterPtr roster = classModel()->roster();
    worker_->start([this, job, rule, facts, roster] {
        std::vector<int> order = ordered(*facts, rule);
        QMetaObject::invokeMethod(
            this, [this, job, order = std::move(order)]() mutable { takeOrder(job, std::move(order)); },
            Qt::QueuedConnection);
    });
}

// Takes in a whole order of the source's rows: as a new layout when every
// row is shown already, else as a reset.
void ClassSortProxy::takeOrder(quint64 job, std::vector<int> order) {
    if (job != job_) return;  // rows changed since: a newer order is coming
    job_ = 0;
    if (order.size() != shown_.size()) {
        beginResetModel();
        shown_ = std::move(order);
        renumber();
        endResetModel();
    } else {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList before = persistentIndexList();
        std::vector<int> sources;
        sources.reserve(size_t(before.size()));
        for (const QModelIndex &i : before) sources.push_back(shown_[size_t(i.row())]);
        shown_ = std::move(order);
        renumber();
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i)
            after << createIndex(rowOf_[size_t(sources[size_t(i)])], before[i].column());
        changePersistentIndexList(before, after);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
    if (job) emit orderSettled();
}

void ClassSortProxy::renumber() {
    rowOf_.assign(sourceModel() ? size_t(sourceModel()->rowCount()) : 0, -1);
    for (size_t p = 0; p < shown_.size(); ++p)
        if (size_t(shown_[p]) < rowOf_.size()) rowOf_[size_t(shown_[p])] = int(p);
}

int ClassSortProxy::placeOf(int sourceRow) const {
    if (rule_.column < 0) {
        return int(std::lower_bound(shown_.begin(), shown_.end(), sourceRow) - shown_.begin());
    }
    const RowFacts facts = factsOf(sourceRow);
    const auto at = std::upper_bound(shown_.begin(), shown_.end(), facts, [this](const RowFacts &f, int shown) {
        return comesBefore(f, factsOf(shown), rule_);
    });
    return int(at - shown_.begin());
}

void ClassSortProxy::rowsAdded(int first, int last) {
    const int added = last - first + 1;
    for (int &s : shown_)
        if (s >= first) s += added;
    renumber();
    if (job_ != 0) {
        // While an order is awaited the new rows wait at the bottom.
        beginInsertRows({}, int(shown_.size()), int(shown_.size()) + added - 1);
        for (int r = first; r <= last; ++r) shown_.push_back(r);
        renumber();
        endInsertRows();
        return reorder(false);
    }
    if (added > kOneByOneLimit) return reorder(false);
    for (int r = first; r <= last; ++r) {
        const int at = placeOf(r);
        beginInsertRows({}, at, at);
        shown_.insert(shown_.begin() + at, r);
        renumber();
        endInsertRows();
    }
}

void ClassSortProxy::rowsLeaving(int first, int last) {
    // Taken out while the source still has them, so that a view asking
    // about them meanwhile still finds them.
    for (int r = last; r >= first; --r) {
        const int at = size_t(r) < rowOf_.size() ? rowOf_[size_t(r)] : -1;
        if (at < 0) continue;
        beginRemoveRows({}, at, at);
        shown_.erase(shown_.begin() + at);
        renumber();
        endRemoveRows();
    }
}

void ClassSortProxy::rowsLeft(int first, int last) {
    const int removed = last - first + 1;
    for (int &s : shown_)
        if (s > last) s -= removed;
    renumber();
    if (job_ != 0) reorder(false);
}

void ClassSortProxy::rowsChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
    const int first = topLeft.row(), last = bottomRight.row();
    // A row moves only when the column sorted by is among those changed.
    const bool moves = rule_.column >= topLeft.column() && rule_.column <= bottomRight.column();
    if (moves && (job_ != 0 || last - first + 1 > kOneByOneLimit)) {
        reorder(false);
    } else if (moves) {
        for (int r = first; r <= last; ++r) {
            const int from = size_t(r) < rowOf_.size() ? rowOf_[size_t(r)] : -1;
            if (from < 0) continue;
            shown_.erase(shown_.begin() + from);
            const int to = placeOf(r);
            shown_.insert(shown_.begin() + from, r);
            if (to == from) continue;
            beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
            shown_.erase(shown_.begin() + from);
            shown_.insert(shown_.begin() + to, r);
            for (int p = std::min(from, to); p <= std::max(from, to); ++p) rowOf_[size_t(shown_[size_t(p)])] = p;
            endMoveRows();
        }
    }
    // Many rows changed: one span.
    if (last - first + 1 > kOneByOneLimit) {
        if (!shown_.empty())
            emit dataChanged(index(0, topLeft.column()), index(int(shown_.size()) - 1, bottomRight.column()), roles);
        return;
    }
    // Cell by cell: a view repaints a span of cells as its whole viewport,
    // but a single cell as just that cell; 状態 when it changed.
    for (int r = first; r <= last; ++r) {
        const int at = size_t(r) < rowOf_.size() ? rowOf_[size_t(r)] : -1;
        for (int c = topLeft.column(); at >= 0 && c <= bottomRight.column(); ++c) {
            if (c == ClassModel::State && classModel()->stateSameIn(r)) continue;
            const QModelIndex cell = index(at, c);
            emit dataChanged(cell, cell, roles);
        }
    }
}

}  // namespace report::window
