// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// 投影: the class's view for the projector.  It is given figures of the
// class as a whole and nothing else (no pupil's code, name, number or
// row ever reaches it), so nothing on the wall can name a pupil: the
// counts (「要支援 2 人」「未着手 3 人」) without saying who, the question
// chosen, the class's misses per question and per topic.  Everything is
// painted by one widget, large enough to read from the back of the room
// (text at least 3 % of the screen's height), and the texts it painted are
// kept, so a test can read every one of them.
//
// With two screens it opens full-screen on the screen the teacher's window
// is not on, without taking the keyboard from it; with one screen (a
// mirrored projector) it covers that screen and F5 or Esc closes it.

#include "report/ClassReport.h"

#include <QStringList>
#include <QWidget>

namespace report::window {

// What the wall may show.
struct ClassFigures {
    ClassSummary summary;  // misses per question and who got there, over the class
    int question = 0;      // the question chosen (1..30), or 0
    // One line a count of the class, as it is shown: 「要支援 2 人」.
    QStringList counts;
};

// The painted view: counts, the question chosen, misses per question and per topic.
class ClassWall : public QWidget {
    Q_OBJECT
public:
    explicit ClassWall(QWidget *parent = nullptr);
    void setFigures(const ClassFigures &figures);
    const ClassFigures &figures() const { return figures_; }
    // Every text drawn by the last paint, in the order drawn.
    const QStringList &paintedTexts() const { return painted_; }
    // The pixel size of the smallest text at the current height.
    int textSize() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Canvas;
    // The parts of the wall, top to bottom and left to right; each
    // returns where the next starts.
    double paintQuestion(Canvas &c, double y, double width) const;
    void paintMissChart(Canvas &c, double y, double chartWidth) const;
    void paintTopics(Canvas &c, double y, double left, double width) const;

    ClassFigures figures_;
    QStringList painted_;
};

class ProjectorWindow : public QWidget {
    Q_OBJECT
public:
    explicit ProjectorWindow(QWidget *parent = nullptr);
    ClassWall *wall() const { return wall_; }
    void setFigures(const ClassFigures &figures);
    // Opens it full-screen on the screen the teacher's window is not on,
    // else over the one screen there is.
    void showBeside(QWidget *teacherWindow);
    // Whether it shares the screen with the teacher's window.
    bool onTeachersScreen() const { return sharesScreen_; }

signals:
    // F6 pressed on the wall: the chosen question's explanation.
    void explainRequested();

private:
    ClassWall *wall_;
    bool sharesScreen_ = false;
};

}  // namespace report::window
