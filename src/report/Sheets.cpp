// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/Sheets.h"

#include "report/AssignmentStatus.h"

#include "platform/Settings.h"

#include "bank/Topics.h"
#include "platform/Fonts.h"
#include "report/MissSteps.h"
#include "report/Roster.h"
#include "report/Writers.h"
#include "state/FolderNames.h"
#include "state/ProgressFile.h"

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace report {

namespace {

using state::kQuestions;

// A page is laid out in points (1/72 inch) and drawn at ten dots a point,
// so that text placed by its font's metrics keeps its spacing.
constexpr int kResolution = 720;
constexpr double kScale = kResolution / 72.0;
constexpr double kPageWidth = 595.28, kPageHeight = 841.89;  // A4
constexpr double kLeft = 42, kRight = kPageWidth - 42, kWidth = kRight - kLeft;
constexpr double kTop = 40, kFooter = kPageHeight - 30;

const QColor kInk(0x22, 0x22, 0x22), kGrey(0x66, 0x66, 0x66), kRule(0xbb, 0xbb, 0xbb);
const QColor kHeadFill(0xee, 0xf2, 0xf8), kReachedFill(0xff, 0xf2, 0xcc), kAlert(0xb0, 0x00, 0x20);
const QColor kPupilBar(0x4a, 0x7b, 0xd0), kMedianBar(0xa0, 0xa8, 0xb4);

constexpr int kLeftAligned = Qt::AlignLeft | Qt::AlignVCenter;
constexpr int kRightAligned = Qt::AlignRight | Qt::AlignVCenter;
constexpr int kCentred = Qt::AlignCenter;

QString number(double v) { return QString::number(v, 'f', 2); }
QString orDash(const std::optional<double> &v) { return v ? number(*v) : QStringLiteral("—"); }

// Drawing in points.  Every text is plain text (a code or a reason from a
// file is never markup) and is kept to its box: one line is shortened
// with "…", a wrapped one is cut at the box's bottom.
class Page {
public:
    explicit Page(QPainter &painter) : painter_(painter) {}

    void text(const QRectF &box, const QString &s, double points, int flags = kLeftAligned, const QColor &colour = kInk,
              bool bold = false, Qt::TextElideMode elide = Qt::ElideRight) {
        QFont font = platform::makeFont(platform::Face::Gothic, points, bold);
        font.setPointSizeF(points);  // the paper's points, not the screen's pixels
        painter_.setFont(font);
        painter_.setPen(colour);
        const QRectF device = scaled(box);
        if (flags & Qt::TextWordWrap) {
            painter_.save();
            painter_.setClipRect(device);
            painter_.drawText(device, flags, s);
            painter_.restore();
            return;
        }
        const QFontMetricsF metrics(font, painter_.device());
        painter_.drawText(device, flags | Qt::TextSingleLine, metrics.elidedText(s, elide, device.width()));
    }

    void fill(const QRectF &box, const QColor &colour) { painter_.fillRect(scaled(box), colour); }

    void rule(double x1, double y1, double x2, double y2, const QColor &colour = kRule, double width = 0.5) {
        painter_.setPen(QPen(colour, width * kScale));
        painter_.drawLine(QPointF(x1, y1) * kScale, QPointF(x2, y2) * kScale);
    }

    void frame(const QRectF &box, const QColor &colour = kRule) {
        painter_.setPen(QPen(colour, 0.5 * kScale));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(scaled(box));
    }

private:
    static QRectF scaled(const QRectF &box) {
        return QRectF(box.x() * kScale, box.y() * kScale, box.width() * kScale, box.height() * kScale);
    }
    QPainter &painter_;
};

// What every page shares: where the files came from and when.
struct Context {
    QString className, readAt;
    std::vector<std::optional<double>> medians;
    int pages = 0;
    const Roster *roster = nullptr;                        // names the pupils when there is one
    const state::assignment::Found *assignment = nullptr;  // the class's 課題
};

// The top of a page (its kind, the class and when it was read) and the
// code; returns where the page's body starts.
double header(Page &page, const Context &c, const QString &code) {
    page.text({kLeft, kTop, 120, 14}, QStringLiteral("個人票"), 10, kLeftAligned, kGrey, true);
    page.text({kLeft + 120, kTop, kWidth - 120, 14}, QStringLiteral("%1　%2 現在").arg(c.className, c.readAt), 8,
              kRightAligned, kGrey, false, Qt::ElideMiddle);
    const RosterEntry *known = c.roster && !code.isNull() ? c.roster->find(code) : nullptr;
    if (known) {
        // A pupil on the class list: the number and name, the code in small type.
        page.text({kLeft, kTop + 18, 70, 30}, QStringLiteral("%1 番").arg(visible(known->number)), 14, kLeftAligned,
                  kInk, true, Qt::ElideRight);
        page.text({kLeft + 74, kTop + 18, kWidth - 234, 30}, visible(known->name), 22, kLeftAligned, kInk, true,
                  Qt::ElideRight);
        page.text({kRight - 156, kTop + 28, 156, 14}, QStringLiteral("コード %1").arg(visible(code)), 8, kRightAligned,
                  kGrey, false, Qt::ElideMiddle);
    } else if (!code.isNull()) {
        page.text({kLeft, kTop + 18, 60, 30}, QStringLiteral("コード"), 11, kLeftAligned, kGrey);
        page.text({kLeft + 60, kTop + 18, kWidth - 60, 30}, visible(code), 22, kLeftAligned, kInk, true);
    }
    page.rule(kLeft, kTop + 52, kRight, kTop + 52, kInk, 0.8);
    return kTop + 62;
}

void footer(Page &page, const Context &c, int index) {
    page.rule(kLeft, kFooter - 4, kRight, kFooter - 4);
    page.text({kLeft, kFooter, kWidth, 12},
              QStringLiteral("ぽむりん紀行20　個人票　%1 / %2").arg(index + 1).arg(c.pages), 8, kCentred, kGrey);
}

double sectionHeading(Page &page, double y, const QString &title, const QString &note) {
    page.text({kLeft, y, kWidth, 16}, title, 11.5, kLeftAligned, kInk, true);
    y += 16;
    if (!note.isEmpty()) {
        page.text({kLeft, y, kWidth, 12}, note, 8, kLeftAligned, kGrey);
        y += 13;
    }
    return y + 3;
}

// The three figures in boxes: question reached, score, time.
double summaryBoxes(Page &page, double y, const Pupil &p) {
    const double gap = 10, width = (kWidth - 2 * gap) / 3, height = 48;
    const char *title = bank::titleOf(p.questionNo);
    // Question 30 under way and the whole course done read differently.
    const bool done = p.courseFinished();
    const QString reached = done ? QStringLiteral("全問終了") : QStringLiteral("問%1").arg(p.questionNo);
    const QString under = done                         ? QStringLiteral("30 問すべて解き終えました")
                          : p.questionNo == kQuestions ? QStringLiteral("最後の問題に取り組み中")
                          : title                      ? QString::fromUtf8(title)
                                                       : QString();
    const struct {
        QString label, value, under;
    } boxes[] = {
        {QStringLiteral("到達問題"), reached, under},
        {QStringLiteral("得点"), state::progress::formatNumber(p.score, 15) + QStringLiteral(" 点"), QString()},
        {QStringLiteral("合計時間"), durationText(p.secondsTotal()), QStringLiteral("解き終えた問題の時間の合計")},
    };
    for (int i = 0; i < 3; ++i) {
        const double x = kLeft + i * (width + gap);
        page.fill({x, y, width, height}, kHeadFill);
        page.text({x + 8, y + 3, width - 16, 12}, boxes[i].label, 8.5, kLeftAligned, kGrey);
        page.text({x + 8, y + 15, width - 16, 20}, boxes[i].value, 15, kLeftAligned, kInk, true);
        page.text({x + 8, y + 34, width - 16, 11}, boxes[i].under, 7.5, kLeftAligned, kGrey);
    }
    y += height + 6;
    if (p.state == Pupil::State::OddQuestion) {
        page.text({kLeft, y, kWidth, 13}, stateText(p), 9, kLeftAligned, kAlert, true);
        y += 15;
    }
    return y + 8;
}

// Each topic: the pupil's misses per question reached beside the class's
// median, as numbers and as a pair of bars on one scale.
double topicTable(Page &page, double y, const Pupil &p, const Context &c) {
    y = sectionHeading(
        page, y, QStringLiteral("分野ごとの 1 問あたりのミス"),
        QStringLiteral(
            "進んだ問題 1 問あたりのミスの回数です。クラスの中央値は、その分野まで進んだ人の真ん中の値です。"));
    const double cols[] = {0, 150, 200, 262, 318, 392, kWidth};  // 分野 問題 進んだ問題 本人 中央値 bars
    const double rowHeight = 18, headHeight = 16;
    const auto cell = [&](int col, double top, double height) {
        return QRectF(kLeft + cols[col] + 4, top, cols[col + 1] - cols[col] - 8, height);
    };
    page.fill({kLeft, y, kWidth, headHeight}, kHeadFill);
    const QString heads[] = {QStringLiteral("分野"), QStringLiteral("問題"), QStringLiteral("進んだ問題"),
                             QStringLiteral("本人"), QStringLiteral("クラスの中央値")};
    for (int col = 0; col < 5; ++col)
        page.text(cell(col, y, headHeight), heads[col], 8.5, col == 0 ? kLeftAligned : kRightAligned, kInk, true);
    // The bars' key in the last heading.
    const QRectF key = cell(5, y, headHeight);
    page.fill({key.x(), y + 5, 8, 6}, kPupilBar);
    page.text({key.x() + 11, y, 40, headHeight}, QStringLiteral("本人"), 8, kLeftAligned);
    page.fill({key.x() + 45, y + 5, 8, 6}, kMedianBar);
    page.text({key.x() + 56, y, 60, headHeight}, QStringLiteral("中央値"), 8, kLeftAligned);
    y += headHeight;

    const auto topics = bank::topics();
    std::vector<std::optional<double>> own;
    double highest = 0.5;  // the bars' scale: the largest figure on the page
    for (size_t i = 0; i < topics.size(); ++i) {
        own.push_back(missesPerQuestion(p, topics[i].first, topics[i].last));
        for (const std::optional<double> &v : {own.back(), c.medians[i]})
            if (v) highest = std::max(highest, *v);
    }
    for (size_t i = 0; i < topics.size(); ++i) {
        const bank::Topic &t = topics[i];
        const int reachedHere = std::clamp(p.reached() - t.first + 1, 0, t.last - t.first + 1);
        page.text(cell(0, y, rowHeight), QString::fromUtf8(t.name), 9.5);
        page.text(cell(1, y, rowHeight), QStringLiteral("%1〜%2").arg(t.first).arg(t.last), 9, kRightAligned);
        page.text(cell(2, y, rowHeight), QStringLiteral("%1 / %2").arg(reachedHere).arg(t.last - t.first + 1), 9,
                  kRightAligned);
        page.text(cell(3, y, rowHeight), orDash(own[i]), 9.5, kRightAligned, kInk, true);
        page.text(cell(4, y, rowHeight), orDash(c.medians[i]), 9.5, kRightAligned);
        const QRectF bars = cell(5, y, rowHeight);
        if (own[i]) page.fill({bars.x(), y + 3.5, bars.width() * *own[i] / highest, 5}, kPupilBar);
        if (c.medians[i]) page.fill({bars.x(), y + 9.5, bars.width() * *c.medians[i] / highest, 5}, kMedianBar);
        page.rule(kLeft, y + rowHeight, kRight, y + rowHeight);
        y += rowHeight;
    }
    return y + 14;
}

double mostMissedList(Page &page, double y, const Pupil &p) {
    y = sectionHeading(page, y, QStringLiteral("ミスの多い問題"), QString());
    const std::vector<int> questions = mostMissed(p);
    if (questions.empty()) {
        page.text({kLeft + 8, y, kWidth - 8, 15},
                  p.reached() ? QStringLiteral("ミスをした問題はありません。")
                              : QStringLiteral("まだどの問題にも進んでいません。"),
                  9.5);
        return y + 29;
    }
    for (size_t i = 0; i < questions.size(); ++i) {
        const int q = questions[i];
        page.text({kLeft + 8, y, 24, 15}, QStringLiteral("%1.").arg(i + 1), 10, kLeftAligned, kInk, true);
        page.text({kLeft + 32, y, kWidth - 120, 15},
                  QStringLiteral("%1　分野：%2").arg(questionLabel(q), QString::fromUtf8(bank::topicOf(q)->name)), 10);
        page.text({kRight - 80, y, 80, 15}, QStringLiteral("ミス %1 回").arg(p.missCount[q]), 10, kRightAligned, kInk,
                  true);
        y += 16;
    }
    return y + 13;
}

// Every question in two blocks of fifteen: its misses (in the misses
// grid's colours) and the time it took.
double questionTable(Page &page, double y, const Pupil &p) {
    y = sectionHeading(page, y, QStringLiteral("問題ごとのミスと時間"),
                       QStringLiteral("色のついた行が到達問題です。時間は解き終えた問題のものです。"));
    const double gap = 14, blockWidth = (kWidth - gap) / 2, rowHeight = 14.5, headHeight = 15;
    const double cols[] = {0, 24, 160, 196, blockWidth};  // 問 内容 ミス 時間
    const int perBlock = (kQuestions + 1) / 2;
    for (int block = 0; block < 2; ++block) {
        const double x0 = kLeft + block * (blockWidth + gap);
        const auto cell = [&](int col, double top) {
            return QRectF(x0 + cols[col] + 3, top, cols[col + 1] - cols[col] - 6, rowHeight);
        };
        page.fill({x0, y, blockWidth, headHeight}, kHeadFill);
        const QString heads[] = {QStringLiteral("問"), QStringLiteral("内容"), QStringLiteral("ミス"),
                                 QStringLiteral("時間")};
        for (int col = 0; col < 4; ++col)
            page.text(cell(col, y), heads[col], 8.5, col == 1 ? kLeftAligned : kRightAligned, kInk, true);
        for (int row = 0; row < perBlock; ++row) {
            const int q = block * perBlock + row + 1;
            if (q > kQuestions) break;
            const double top = y + headHeight + row * rowHeight;
            const bool reached = q <= p.reached();
            const bool done = p.finished(q);
            if (reached && !done && q == p.reached()) page.fill({x0, top, blockWidth, rowHeight}, kReachedFill);
            const QColor ink = reached ? kInk : kGrey;
            page.text(cell(0, top), QString::number(q), 8.5, kRightAligned, ink);
            page.text(cell(1, top), QString::fromUtf8(bank::titleOf(q)), 8, kLeftAligned, ink);
            if (reached) {
                const int step = missStep(p, q);
                if (step != kNotReached) {
                    const StepColours &colours = stepColours(step);
                    page.fill({x0 + cols[2] + 8, top + 1.5, cols[3] - cols[2] - 10, rowHeight - 3},
                              QColor(QLatin1String(colours.fill)));
                    page.text(cell(2, top), QString::number(p.missCount[q]), 8.5, kRightAligned,
                              QColor(QLatin1String(colours.text)), true);
                } else {
                    page.text(cell(2, top), QString::number(p.missCount[q]), 8.5, kRightAligned);
                }
                page.text(cell(3, top), done ? durationText(p.seconds(q)) : QStringLiteral("—"), 8, kRightAligned);
            }
            page.rule(x0, top + rowHeight, x0 + blockWidth, top + rowHeight);
        }
    }
    return y + headHeight + perBlock * rowHeight + 10;
}

// The class's 課題, when one is set, and how far the pupil got with it.
double assignmentLine(Page &page, double y, const Pupil &p, const Context &c) {
    if (!c.assignment || !c.assignment->isSet()) return y;
    const state::assignment::Assignment &a = c.assignment->assignment;
    const AssignmentProgress progress = assignmentProgress(p, a);
    const QString by = a.testDay.isValid()
                           ? QStringLiteral("（%1のテストまで）").arg(state::assignment::dayText(a.testDay))
                           : QString();
    page.text({kLeft, y - 4, kWidth, 13},
              QStringLiteral("課題：%1%2　%3／%4 問できました（%5）")
                  .arg(bank::questionsText(a.questions), by)
                  .arg(progress.done)
                  .arg(progress.total)
                  .arg(stageText(progress).section(QLatin1Char(' '), 0, 0)),
              9, kLeftAligned, kInk, true);
    return y + 16;
}

void readableSheet(Page &page, const Pupil &p, const Context &c) {
    double y = header(page, c, p.code);
    y = summaryBoxes(page, y, p);
    y = assignmentLine(page, y, p, c);
    y = topicTable(page, y, p, c);
    y = mostMissedList(page, y, p);
    questionTable(page, y, p);
}

// A file that could not be read: its name and the reason, so that the
// teacher can look at it; no figures.
void unreadableSheet(Page &page, const Pupil &p, const Context &c) {
    const double y = header(page, c, p.code);
    page.frame({kLeft, y + 4, kWidth, 120}, kAlert);
    page.text({kLeft + 12, y + 14, kWidth - 24, 18}, QStringLiteral("このファイルは読めませんでした。"), 12,
              kLeftAligned, kAlert, true);
    page.text({kLeft + 12, y + 38, kWidth - 24, 14},
              QStringLiteral("ファイル：%1").arg(visible(state::names::progressFile(p.code))), 10);
    page.text({kLeft + 12, y + 58, kWidth - 24, 60}, QStringLiteral("理由：%1").arg(visible(p.reason)), 10,
              Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
}

}  // namespace

std::optional<double> missesPerQuestion(const Pupil &p, int first, int last) {
    first = std::max(first, 1);
    last = std::min(last, p.reached());
    if (first > last) return std::nullopt;
    long misses = 0;
    for (int q = first; q <= last; ++q) misses += p.missCount[q];
    return double(misses) / (last - first + 1);
}

std::vector<std::optional<double>> topicMedians(const ClassReport &report) {
    std::vector<std::optional<double>> medians;
    for (const bank::Topic &t : bank::topics()) {
        std::vector<double> figures;
        for (const Pupil &p : report.pupils)
            if (p.state == Pupil::State::Readable)
                if (const std::optional<double> v = missesPerQuestion(p, t.first, t.last)) figures.push_back(*v);
        if (figures.empty()) {
            medians.emplace_back();
            continue;
        }
        std::sort(figures.begin(), figures.end());
        const size_t n = figures.size();
        medians.emplace_back(n % 2 ? figures[n / 2] : (figures[n / 2 - 1] + figures[n / 2]) / 2);
    }
    return medians;
}

std::vector<int> mostMissed(const Pupil &p, int count) {
    std::vector<int> questions;
    for (int q = 1; q <= p.reached(); ++q)
        if (p.missCount[q] > 0) questions.push_back(q);
    std::stable_sort(questions.begin(), questions.end(),
                     [&p](int a, int b) { return p.missCount[a] > p.missCount[b]; });
    questions.resize(std::min(questions.size(), size_t(std::max(count, 0))));
    return questions;
}

QByteArray sheetsPdf(const ClassReport &report, const std::function<bool(int, int)> &keepGoing,
                     const QString &className) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        writer.setResolution(kResolution);
        writer.setTitle(QStringLiteral("個人票"));
        writer.setCreator(QStringLiteral("pomurin20-report"));
        QPainter painter;
        if (!painter.begin(&writer)) return QByteArray();
        painter.setRenderHint(QPainter::Antialiasing);
        Page page(painter);

        Context c;
        // A sheet for a parent names the class, never where its files lie.
        c.className =
            visible(className.isEmpty() ? platform::className(QDir(report.folder).absolutePath()) : className);
        c.readAt = report.readAt.toString(QStringLiteral("yyyy年M月d日 HH:mm"));
        c.medians = topicMedians(report);
        c.assignment = &report.assignment;
        c.pages = int(std::max<size_t>(report.pupils.size(), 1));
        c.roster = report.roster.get();
        if (report.pupils.empty()) {
            const double y = header(page, c, QString());
            page.text({kLeft, y + 10, kWidth, 16}, countsLine(summarise(report)), 11);
            footer(page, c, 0);
        }
        for (size_t i = 0; i < report.pupils.size(); ++i) {
            if (keepGoing && !keepGoing(int(i), int(report.pupils.size()))) return QByteArray();
            if (i > 0 && !writer.newPage()) return QByteArray();
            const Pupil &p = report.pupils[i];
            if (p.wasRead())
                readableSheet(page, p, c);
            else
                unreadableSheet(page, p, c);
            footer(page, c, int(i));
        }
        if (!painter.end()) return QByteArray();
    }
    return buffer.data();
}

}  // namespace report
