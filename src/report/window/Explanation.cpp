// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/Explanation.h"

#include "report/Writers.h"
#include "screens/tutor/TutorScreen.h"
#include "screens/tutor/TutorScripts.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace report::window {

namespace {

constexpr int kBarHeight = 30;  // pixels of the tutor screen

}  // namespace

ExplanationWindow::ExplanationWindow(int q, QWidget *parent) : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("explanationWindow"));
    run_.question = static_cast<short>(q);
    setWindowTitle(QStringLiteral("説明：%1 — ぽむりん紀行20 クラスの記録").arg(questionLabel(q)));

    // The bar over the tutor: back, what the question asks, the step.  The
    // tutor's own EXIT (and Esc) closes the window: one button for it.
    page_ = new QWidget;
    page_->setObjectName(QStringLiteral("explanationPage"));
    page_->setAutoFillBackground(true);
    auto *bar = new QWidget(page_);
    bar->setFixedHeight(kBarHeight);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 2, 4, 2);
    backButton_ = new QPushButton(QStringLiteral("◀ 戻る"), bar);
    backButton_->setObjectName(QStringLiteral("backButton"));
    backButton_->setToolTip(QStringLiteral("ひとつ前の説明にもどります（←）"));
    backButton_->setFocusPolicy(Qt::NoFocus);
    titleLabel_ = new QLabel(bar);
    titleLabel_->setObjectName(QStringLiteral("questionTitle"));
    titleLabel_->setTextFormat(Qt::PlainText);
    titleLabel_->setText(questionLabel(q));
    titleLabel_->setToolTip(questionDescription(q));
    stepLabel_ = new QLabel(bar);
    stepLabel_->setObjectName(QStringLiteral("stepLabel"));
    barLayout->addWidget(backButton_);
    barLayout->addWidget(titleLabel_, 1);
    barLayout->addWidget(stepLabel_);
    connect(backButton_, &QPushButton::clicked, this, &ExplanationWindow::back);

    scene_ = new QGraphicsScene(this);
    view_ = new QGraphicsView(scene_, this);
    view_->setObjectName(QStringLiteral("explanationView"));
    view_->setFrameShape(QFrame::NoFrame);
    view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // No antialiasing of shapes: the tutor's background is filled band by
    // band around its controls, and antialiased band edges at a scale that
    // is not whole show as faint lines across the screen (through the
    // doctor's picture).  Text stays smooth.
    view_->setRenderHints(QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    view_->setBackgroundBrush(QColor(0x30, 0x30, 0x30));
    view_->setAlignment(Qt::AlignCenter);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);

    showTutor(0);
    bar->setFixedWidth(tutor_->width());
    page_->setFixedSize(tutor_->width(), kBarHeight + tutor_->height());
    QGraphicsProxyWidget *proxy = scene_->addWidget(page_);
    scene_->setSceneRect(proxy->boundingRect());

    for (const QKeySequence &key : {QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, &QWidget::close);
    // A key never closes the explanation by going past its last step: a
    // key pressed once too often would then reach the window behind it.
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Right), QKeySequence(Qt::Key_PageDown)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, [this] {
            if (stepsShown() < stepCount()) next();
        });
    for (const QKeySequence &key :
         {QKeySequence(Qt::Key_Left), QKeySequence(Qt::Key_PageUp), QKeySequence(Qt::Key_Backspace)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, &ExplanationWindow::back);
}

ExplanationWindow::~ExplanationWindow() = default;

int ExplanationWindow::stepsShown() const { return tutor_ ? tutor_->step : 0; }

int ExplanationWindow::stepCount() const { return std::max(0, tutor::clickCount(question()) - 1); }

double ExplanationWindow::scale() const { return view_->transform().m11() * devicePixelRatioF(); }

// A fresh tutor screen, shown and activated as the game shows it, then
// stepped as far as asked: the boxes then hold exactly what a pupil sees
// after as many clicks.
void ExplanationWindow::showTutor(int steps) {
    if (tutor_) {
        tutor_->hide();
        tutor_->deleteLater();
    }
    // Closing is queued: the tutor's own handler is still running.
    tutor_ = new screens::TutorScreen(run_, [this] { QTimer::singleShot(0, this, &QWidget::close); });
    tutor_->setParent(page_);
    tutor_->move(0, kBarHeight);
    tutor_->show();
    tutor_->activate();
    for (int k = 0; k < steps; ++k) tutor_->nextClicked();
    connect(tutor_->nextButton, &QPushButton::clicked, this, &ExplanationWindow::stepped);
    tutor_->nextButton->setFocus();
    stepped();
}

void ExplanationWindow::next() {
    if (tutor_) tutor_->nextButton->click();
}

void ExplanationWindow::back() {
    if (stepsShown() > 0) showTutor(stepsShown() - 1);
}

void ExplanationWindow::stepped() {
    stepLabel_->setText(QStringLiteral("説明 %1 / %2").arg(stepsShown()).arg(stepCount()));
    backButton_->setEnabled(stepsShown() > 0);
    emit stepChanged(stepsShown());
}

void ExplanationWindow::fit() {
    const QRectF content = scene_->sceneRect();
    if (content.isEmpty()) return;
    const QSize room = view_->viewport()->size();
    const double s = std::min(room.width() / content.width(), room.height() / content.height());
    if (s > 0) view_->setTransform(QTransform::fromScale(s, s));
}

void ExplanationWindow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    fit();
}

void ExplanationWindow::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    fit();
    view_->setFocus();
    if (tutor_) tutor_->nextButton->setFocus();
}

ExplanationWindow *showExplanation(int q, QWidget *near) {
    if (q < 1 || q > state::kQuestions) return nullptr;
    // A window of its own, closed with the teacher's window.
    auto *window = new ExplanationWindow(q, near ? near->window() : nullptr);
    QScreen *screen = near ? near->screen() : QGuiApplication::primaryScreen();
    if (screen) window->setGeometry(screen->availableGeometry());
    window->showMaximized();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace report::window
