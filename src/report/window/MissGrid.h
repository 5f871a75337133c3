// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The misses grid in the window: pupils by questions over the class
// model's sorted rows (the code, then one narrow column per question),
// each cell in the colour of its step with the number of misses in it.
// A table view, so it is walked by keyboard and read by a screen reader
// cell by cell; sorting by a question's column puts who struggled there
// on top.  Its heading names the course's topics over their questions.

#include <QHeaderView>
#include <QTableView>
#include <QWidget>

class QAbstractItemModel;

namespace report::window {

class MissGrid : public QTableView {
    Q_OBJECT
public:
    explicit MissGrid(QWidget *parent = nullptr);
    // model: the class model or a proxy of it; the columns between the
    // code and the first question are hidden.
    void setModel(QAbstractItemModel *model) override;
};

// The grid's heading: the question numbers, and over them a band naming
// each topic across its questions.  A question's tooltip says what it
// asks; a topic's says which questions it holds.
class TopicHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit TopicHeader(QWidget *parent = nullptr);
    QSize sizeHint() const override;
    // The band's height, above the numbers.
    int bandHeight() const;
    // The topic (index in bank::topics()) whose band holds x, or -1.
    int topicAt(int x) const;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void paintEvent(QPaintEvent *event) override;
    bool viewportEvent(QEvent *event) override;
};

// The legend: the four steps and the empty cell, each a swatch with its
// words.
QWidget *makeMissLegend(QWidget *parent);

}  // namespace report::window
