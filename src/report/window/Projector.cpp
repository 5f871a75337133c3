// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/window/Projector.h"

#include "bank/Topics.h"
#include "report/Writers.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace report::window {

namespace {

const QColor kInk(0x11, 0x18, 0x27);
const QColor kMuted(0x47, 0x55, 0x69);
const QColor kBar(0x1d, 0x4e, 0xd8);
const QColor kChosenBar(0xd9, 0x77, 0x06);
const QColor kBand(0xf1, 0xf5, 0xf9);
const QColor kRule(0xcb, 0xd5, 0xe1);

// The smallest text, as a share of the screen's height: a little over the
// 3 % that reads from the back of a classroom.
constexpr double kTextShare = 0.032;

QString average(double value) { return QString::number(value, 'f', value < 10 ? 1 : 0); }

}  // namespace

ClassWall::ClassWall(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("classWall"));
    setAccessibleName(QStringLiteral("クラスのようす"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

int ClassWall::textSize() const {
    const int high = screen() ? screen()->geometry().height() : height();
    return int(std::ceil(high * kTextShare));
}

void ClassWall::setFigures(const ClassFigures &figures) {
    figures_ = figures;
    // What a screen reader reads: the same class-wide figures as the wall.
    QStringList said = figures_.counts;
    if (figures_.question >= 1 && figures_.question <= state::kQuestions) said << questionLabel(figures_.question);
    setAccessibleDescription(said.join(QStringLiteral("、")));
    update();
}

// What the wall's parts paint with: every text goes through text(), so
// that the texts painted are known.
struct ClassWall::Canvas {
    QPainter &painter;
    QFont base;
    int f;  // the smallest text's pixel size
    QStringList &painted;

    QFont font(double times, bool bold) const {
        QFont chosen = base;
        chosen.setPixelSize(std::max(f, int(std::lround(f * times))));
        chosen.setBold(bold);
        return chosen;
    }
    void text(const QRectF &box, const QString &s, int flags = Qt::AlignLeft | Qt::AlignVCenter,
              const QColor &colour = kInk) {
        const QString shown = painter.fontMetrics().elidedText(s, Qt::ElideRight, int(box.width()));
        painter.setPen(colour);
        painter.drawText(box, flags, shown);
        painted << shown;
    }
};

void ClassWall::paintEvent(QPaintEvent *) {
    painted_.clear();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Canvas c{painter, font(), textSize(), painted_};
    const double m = c.f, width = this->width() - 2 * m;
    double y = m;
    painter.setFont(c.font(1.25, true));
    c.text({m, y, width, 1.5 * c.f}, figures_.counts.join(QStringLiteral("　")));
    y = paintQuestion(c, y + 2.0 * c.f, width);
    // The misses per question on the left, each topic's on the right.
    const double gap = m, chartWidth = (width - gap) * 0.62;
    paintMissChart(c, y, chartWidth);
    paintTopics(c, y, m + chartWidth + gap, width - chartWidth - gap);
}

double ClassWall::paintQuestion(Canvas &c, double y, double width) const {
    const int q = figures_.question, f = c.f;
    if (q < 1 || q > state::kQuestions) return y;
    const ClassSummary &s = figures_.summary;
    const double m = f;
    c.painter.setFont(c.font(1.2, true));
    c.text({m, y, width, 1.5 * f}, questionLabel(q));
    y += 1.7 * f;
    c.painter.setFont(c.font(1, false));
    const QStringList lines = bank::problemText(q, 1).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), 2); ++i) {
        c.text({m, y, width, 1.3 * f}, lines[i]);
        y += 1.35 * f;
    }
    c.text({m, y, width, 1.3 * f},
           s.reachedBy[q] ? QStringLiteral("この問題のミス：1 人あたり %1 回（%2 人が取り組みました）")
                                .arg(average(s.averageMisses[q]))
                                .arg(s.reachedBy[q])
                          : QStringLiteral("この問題には、まだだれも進んでいません"),
           Qt::AlignLeft | Qt::AlignVCenter, kMuted);
    return y + 1.6 * f;
}

void ClassWall::paintMissChart(Canvas &c, double y, double chartWidth) const {
    const ClassSummary &s = figures_.summary;
    const int q = figures_.question, f = c.f;
    const double m = f, bottom = height() - m;
    QPainter &painter = c.painter;
    painter.setFont(c.font(1, true));
    double highest = 0;
    for (int k = 1; k <= state::kQuestions; ++k)
        if (s.reachedBy[k]) highest = std::max(highest, s.averageMisses[k]);
    c.text({m, y, chartWidth, 1.4 * f},
           QStringLiteral("問題ごとのミス（1 人あたり、いちばん多くて %1 回）").arg(average(highest)));
    const double plotTop = y + 1.8 * f, plotBottom = bottom - 1.5 * f;
    const double slot = chartWidth / state::kQuestions;
    for (size_t t = 0; t < bank::topics().size(); t += 2) {
        const bank::Topic &topic = bank::topics()[t];
        painter.fillRect(
            QRectF(m + (topic.first - 1) * slot, plotTop, (topic.last - topic.first + 1) * slot, plotBottom - plotTop),
            kBand);
    }
    painter.setPen(kRule);
    painter.drawLine(QPointF(m, plotBottom), QPointF(m + chartWidth, plotBottom));
    painter.setFont(c.font(1, false));
    const bool everyNumber = painter.fontMetrics().horizontalAdvance(QStringLiteral("30")) + 4 <= slot;
    for (int k = 1; k <= state::kQuestions; ++k) {
        const double x = m + (k - 1) * slot;
        if (s.reachedBy[k] && highest > 0) {
            const double h = (plotBottom - plotTop) * s.averageMisses[k] / highest;
            painter.fillRect(QRectF(x + slot * 0.15, plotBottom - h, slot * 0.7, h), k == q ? kChosenBar : kBar);
        }
        if (everyNumber || k == 1 || k % 5 == 0 || k == q)
            c.text({x - slot, plotBottom + 0.1 * f, 3 * slot, 1.3 * f}, QString::number(k), Qt::AlignCenter,
                   k == q ? kChosenBar : kInk);
    }
}

void ClassWall::paintTopics(Canvas &c, double y, double left, double topicWidth) const {
    const ClassSummary &s = figures_.summary;
    const int q = figures_.question, f = c.f;
    c.painter.setFont(c.font(1, true));
    c.text({left, y, topicWidth, 1.4 * f}, QStringLiteral("分野ごとのミス（1 問あたり）"));
    double topicY = y + 1.8 * f, most = 0;
    std::vector<TopicFigures> figures;
    for (const bank::Topic &t : bank::topics()) {
        figures.push_back(topicFigures(s, t.first, t.last));
        most = std::max(most, figures.back().averageMisses);
    }
    const QFontMetrics valueMetrics(c.font(1, false));
    const double valueWidth = valueMetrics.horizontalAdvance(QStringLiteral("00.0 回")) + 0.3 * f;
    for (size_t t = 0; t < figures.size(); ++t) {
        const bool weakest = most > 0 && figures[t].averageMisses == most;
        c.painter.setFont(c.font(1, weakest));
        c.text({left, topicY, topicWidth, 1.3 * f}, QString::fromUtf8(bank::topics()[t].name));
        topicY += 1.3 * f;
        const double room = topicWidth - valueWidth;
        if (figures[t].pupils) {
            const double w = most > 0 ? room * figures[t].averageMisses / most : 0;
            // The chosen question's topic in the chosen question's colour;
            // the class's weakest topic stands out in bold.
            const bool chosenTopic = q >= bank::topics()[t].first && q <= bank::topics()[t].last;
            c.painter.fillRect(QRectF(left, topicY + 0.2 * f, std::max(w, 2.0), 0.9 * f),
                               chosenTopic ? kChosenBar : kBar);
            c.text({left + std::max(w, 2.0) + 0.3 * f, topicY, valueWidth, 1.3 * f},
                   QStringLiteral("%1 回").arg(average(figures[t].averageMisses)));
        } else {
            c.text({left, topicY, topicWidth, 1.3 * f}, QStringLiteral("まだだれも進んでいません"),
                   Qt::AlignLeft | Qt::AlignVCenter, kMuted);
        }
        topicY += 1.5 * f;
    }
}

ProjectorWindow::ProjectorWindow(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("projector"));
    setWindowTitle(QStringLiteral("ぽむりん紀行20 投影"));
    setAttribute(Qt::WA_DeleteOnClose);
    wall_ = new ClassWall(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(wall_);
    // On the wall itself (one screen): F5 or Esc goes back to the teacher's view.
    for (const QKeySequence &key : {QKeySequence(Qt::Key_F5), QKeySequence(Qt::Key_Escape)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_F6), this), &QShortcut::activated, this,
            &ProjectorWindow::explainRequested);
}

void ProjectorWindow::setFigures(const ClassFigures &figures) { wall_->setFigures(figures); }

void ProjectorWindow::showBeside(QWidget *teacherWindow) {
    QScreen *teachers =
        teacherWindow && teacherWindow->screen() ? teacherWindow->screen() : QGuiApplication::primaryScreen();
    QScreen *wall = teachers;
    for (QScreen *other : QGuiApplication::screens())
        if (other != teachers) {
            wall = other;
            break;
        }
    sharesScreen_ = wall == teachers;
    // On another screen the teacher's window keeps the keyboard.
    setAttribute(Qt::WA_ShowWithoutActivating, !sharesScreen_);
    if (wall) {
        setScreen(wall);
        setGeometry(wall->geometry());
    }
    showFullScreen();
    if (sharesScreen_) {
        raise();
        activateWindow();
    }
}

}  // namespace report::window
