// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The math doctor's explanation of one question, shown to the class: the
// game's own tutor screen and script, over a run of the window's own that
// holds only the question (no progress file behind it, the game's shared
// run untouched), drawn in a graphics view that scales the screen to the
// largest size that fits the window.  On a projector the window fills the
// screen, so the explanation is as large as the screen allows; clicks and
// keys reach the tutor's own buttons through the view.
//
// 次へ (or →, PageDown) shows the next step; a click on 次へ after the last
// one closes the window as the tutor closes for a pupil, while → and
// PageDown stay on the last step; 戻る (←, PageUp, Backspace)
// goes a step back; the tutor's EXIT and Esc close it.

#include "state/Session.h"

#include <QWidget>

class QGraphicsScene;
class QGraphicsView;
class QLabel;
class QPushButton;

namespace screens {
class TutorScreen;
}

namespace report::window {

class ExplanationWindow : public QWidget {
    Q_OBJECT
public:
    // Question q (1..30) from its example on.
    explicit ExplanationWindow(int q, QWidget *parent = nullptr);
    ~ExplanationWindow() override;

    int question() const { return run_.question; }
    // Explanation steps shown (0: only the example), and how many there are.
    int stepsShown() const;
    int stepCount() const;
    // The tutor screen shown now (a fresh one after each step back).
    screens::TutorScreen *tutor() const { return tutor_; }
    // The bar and the tutor screen as the view shows them.
    QWidget *page() const { return page_; }
    // Device pixels per pixel of the tutor screen.
    double scale() const;

public slots:
    void next();
    void back();

signals:
    void stepChanged(int shown);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void showTutor(int steps);
    void stepped();
    void fit();

    state::Session run_;
    QGraphicsScene *scene_;
    QGraphicsView *view_;
    QWidget *page_;  // the bar and the tutor, scaled together
    QPushButton *backButton_;
    QLabel *titleLabel_, *stepLabel_;
    screens::TutorScreen *tutor_ = nullptr;
};

// Opens the explanation of question q on the screen where near is (the
// main screen without it), filling it; the window deletes itself when it
// is closed, and closes with near's window.  Nothing for q outside 1..30.
ExplanationWindow *showExplanation(int q, QWidget *near);

}  // namespace report::window
