// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/Writers.h"

#include "report/AssignmentStatus.h"

#include "platform/Services.h"

#include "bank/Topics.h"
#include "report/MissSteps.h"
#include "report/Roster.h"
#include "state/ProgressFile.h"

#include <QDir>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <utility>

namespace report {

namespace {

using state::kQuestions;
using state::progress::formatNumber;

// The seven columns that every form shows, in this order.
enum Column { Code, Reached, Score, Misses, Seconds, Review, State, kColumns };

const QStringList &headings() {
    static const QStringList h{QStringLiteral("コード"),   QStringLiteral("到達問題"), QStringLiteral("得点"),
                               QStringLiteral("ミス合計"), QStringLiteral("合計秒数"), QStringLiteral("復習"),
                               QStringLiteral("状態")};
    return h;
}

// The seven cells of a row; the code as stored, the numbers as the game
// writes them, empty numbers for a file that could not be read.
QStringList cells(const Pupil &p) {
    QStringList c(kColumns);
    c[Code] = p.code;
    if (p.wasRead()) {
        c[Reached] = QString::number(p.questionNo);
        c[Score] = formatNumber(p.score, 15);
        c[Misses] = QString::number(p.missTotal());
        c[Seconds] = formatNumber(p.secondsTotal(), 15);
    }
    c[Review] = reviewText(p);
    c[State] = stateText(p);
    return c;
}

bool isWide(char32_t u) {
    // The wide (W) and full-width (F) ranges of Unicode's East Asian Width.
    static constexpr std::pair<char32_t, char32_t> ranges[] = {
        {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x23F0, 0x23F0},
        {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},   {0x2648, 0x2653},   {0x267F, 0x267F},
        {0x2693, 0x2693},   {0x26A1, 0x26A1},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},
        {0x26CE, 0x26CE},   {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
        {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},
        {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},   {0x2757, 0x2757},   {0x2795, 0x2797},
        {0x27B0, 0x27B0},   {0x27BF, 0x27BF},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},
        {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
        {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},
        {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4}, {0x17000, 0x18CFF}, {0x1B000, 0x1B2FF},
        {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F251},
        {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F900, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD},
        {0x30000, 0x3FFFD},
    };
    const auto *it = std::upper_bound(std::begin(ranges), std::end(ranges), u,
                                      [](char32_t v, const auto &r) { return v < r.first; });
    return it != std::begin(ranges) && u <= (it - 1)->second;
}

// Calls f(code point, index of its first unit, units) for each code point.
template <class F>
void forEachCodePoint(QStringView text, F f) {
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        f(n == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : char32_t(text[i].unicode()), i, n);
        i += n;
    }
}

QString padded(const QString &text, int width, bool right) {
    const QString fill(std::max(0, width - displayWidth(text)), QLatin1Char(' '));
    return right ? fill + text : text + fill;
}

// CSV: a code starting with = + - @ would be taken for a formula by a
// spreadsheet program; a leading apostrophe keeps it text.  Fields holding
// a separator, quote, line end or blank are quoted, quotes doubled.
QString csvField(QString field, bool isText) {
    if (isText && !field.isEmpty() && QStringView(u"=+-@\t\r").contains(field[0])) field.prepend(QLatin1Char('\''));
    const bool quote = std::any_of(field.cbegin(), field.cend(), [](QChar c) {
        return c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') || c == QLatin1Char('\n') ||
               c.isSpace();
    });
    if (!quote) return field;
    field.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

QString escaped(const QString &text) { return visible(text).toHtmlEscaped().replace(QLatin1Char('\''), "&#39;"); }

// Our own text (titles, problems) in an attribute or element; its line
// breaks are kept.
QString ours(const QString &text) { return text.toHtmlEscaped().replace(QLatin1Char('\''), "&#39;"); }

QString topicName(const bank::Topic &t) { return QString::fromUtf8(t.name); }

bool startsTopic(int q) { return q > 1 && bank::topicOf(q) && bank::topicOf(q)->first == q; }

// The smallest of 1, 2, 5 times a power of ten that is at least x.
double niceStep(double x) {
    const double unit = std::pow(10.0, std::floor(std::log10(x)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * unit >= x * (1 - 1e-9)) return m * unit;
    return 10 * unit;
}

// An inline SVG bar chart of values[1..30], bars labelled with their value.
QString barChart(const QString &label, const std::array<double, kQuestions + 1> &values, int decimals,
                 const QString &unit) {
    constexpr int left = 48, right = 12, top = 20, bottom = 46, slot = 24, bar = 16, plotHeight = 200;
    constexpr int width = left + kQuestions * slot + right, height = top + plotHeight + bottom;
    const int base = top + plotHeight;
    const double highest = *std::max_element(values.begin() + 1, values.end());
    const double step = niceStep(std::max(highest, decimals ? 0.5 : 1.0) / 4);
    const double ceiling = step * std::ceil(std::max(highest, step) / step - 1e-9);
    const auto y = [&](double v) { return base - v / ceiling * plotHeight; };
    const auto num = [](double v) { return QString::number(v, 'f', 1); };

    QString svg = QStringLiteral(
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" aria-label=\"%1\" "
                      "viewBox=\"0 0 %2 %3\" width=\"%2\" height=\"%3\">\n")
                      .arg(escaped(label))
                      .arg(width)
                      .arg(height);
    for (double t = 0; t <= ceiling + step / 2; t += step) {
        svg += QStringLiteral(
                   "<line class=\"grid\" x1=\"%1\" x2=\"%2\" y1=\"%3\" y2=\"%3\"/>"
                   "<text class=\"tick\" x=\"%4\" y=\"%5\">%6</text>\n")
                   .arg(left)
                   .arg(width - right)
                   .arg(num(y(t)))
                   .arg(left - 6)
                   .arg(num(y(t) + 4))
                   .arg(QString::number(t, 'f', step < 1 ? 1 : 0));
    }
    for (int q = 1; q <= kQuestions; ++q) {
        const double v = values[q];
        const int x = left + (q - 1) * slot;
        const QString value = QString::number(v, 'f', decimals);
        svg += QStringLiteral("<g><title>%1：%2%3\n%4</title>")
                   .arg(ours(questionLabel(q)), value, unit, ours(bank::problemText(q, 1)));
        if (v > 0)
            svg += QStringLiteral(
                       "<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\"/>"
                       "<text class=\"value\" x=\"%5\" y=\"%6\">%7</text>")
                       .arg(x + (slot - bar) / 2)
                       .arg(num(y(v)))
                       .arg(bar)
                       .arg(num(base - y(v)))
                       .arg(x + slot / 2)
                       .arg(num(y(v) - 3))
                       .arg(value);
        svg += QStringLiteral("<text class=\"q\" x=\"%1\" y=\"%2\">%3</text></g>\n")
                   .arg(x + slot / 2)
                   .arg(base + 15)
                   .arg(q);
    }
    // The topics under the question numbers: a bracket over each one's
    // questions and its name.
    for (const bank::Topic &t : bank::topics()) {
        const int x1 = left + (t.first - 1) * slot + 2, x2 = left + t.last * slot - 2;
        svg += QStringLiteral(
                   "<path class=\"topic\" d=\"M%1 %2v5H%3v-5\"/>"
                   "<text class=\"caption\" x=\"%4\" y=\"%5\">%6</text>\n")
                   .arg(x1)
                   .arg(base + 20)
                   .arg(x2)
                   .arg((x1 + x2) / 2)
                   .arg(base + 38)
                   .arg(ours(topicName(t)));
    }
    svg += QStringLiteral(
               "<line class=\"axis\" x1=\"%1\" x2=\"%2\" y1=\"%3\" y2=\"%3\"/>"
               "<text class=\"tick\" x=\"%4\" y=\"%5\">問</text>\n</svg>\n")
               .arg(left)
               .arg(width - right)
               .arg(base)
               .arg(left - 6)
               .arg(base + 15);
    return svg;
}

const char *const kStyle = R"(
body { font-family: "IPAPGothic", "IPAexGothic", "Noto Sans CJK JP", "Hiragino Sans", "Meiryo", sans-serif;
       margin: 1.5em; color: #222; }
h1 { font-size: 1.5em; } h2 { font-size: 1.15em; margin-top: 1.6em; }
.note { color: #555; font-size: 0.9em; }
svg { max-width: 100%; height: auto; font-size: 11px; }
svg rect { fill: #4a7bd0; }
svg .grid { stroke: #ddd; } svg .axis { stroke: #444; } svg .topic { stroke: #667; fill: none; }
svg text { fill: #333; } svg .tick { text-anchor: end; } svg .q, svg .value, svg .caption { text-anchor: middle; }
svg .value { font-size: 9px; fill: #1c3f80; }
table { border-collapse: collapse; margin-top: 0.5em; }
th, td { border: 1px solid #bbb; padding: 0.25em 0.6em; }
th { background: #eef2f8; white-space: nowrap; }
td.num { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
tr.odd td { background: #fff7d6; } tr.unreadable td { background: #fde4e4; }
td.problem { white-space: pre-line; }
.topics td.bar { width: 16em; } .topics td.bar span { display: block; height: 0.9em; background: #4a7bd0; }
.topics tr.weakest td { font-weight: bold; background: #fff2e0; }
@media print { body { margin: 0; } }
)";

// The misses grid: one row a pupil, one cell a question, coloured by the
// step of the pupil's misses there and holding their number, empty where
// the pupil has not got to.  Its own style sheet comes with it.
QString missGridHtml(const ClassReport &report) {
    QString out = QStringLiteral(
        "<h2>一人ひとりの問題ごとのミス</h2>\n<style>\n"
        ".misses { font-size: 0.8em; border-collapse: separate; border-spacing: 1px; }\n"
        ".misses th, .misses td { border: none; padding: 0.1em 0.25em; text-align: center; }\n"
        ".misses th { background: #eef2f8; } .misses tbody th { text-align: left; }\n"
        ".misses td { min-width: 1.6em; background: #fff; outline: 1px solid #e4e4e4; }\n"
        ".misses .topic { border-left: 2px solid #7a8699; } .misses thead th.topic { white-space: nowrap; }\n"
        ".misses td, .key span { -webkit-print-color-adjust: exact; print-color-adjust: exact; }\n"
        ".key span { display: inline-block; min-width: 1.6em; text-align: center; margin: 0 0.2em 0 0.8em;"
        " outline: 1px solid #e4e4e4; }\n");
    // A topic's first column is ruled off in every row (the code is cell 1).
    QStringList firstCells;
    for (const bank::Topic &t : bank::topics())
        if (t.first > 1) firstCells << QStringLiteral(".misses tbody td:nth-child(%1)").arg(t.first + 1);
    out += firstCells.join(QStringLiteral(", ")) + QStringLiteral(" { border-left: 2px solid #7a8699; }\n");
    QString key;
    for (int step = 0; step < kMissSteps; ++step) {
        const StepColours &c = stepColours(step);
        out += QStringLiteral(".misses td.m%1, .key .m%1 { background: %2; color: %3; }\n")
                   .arg(step)
                   .arg(QLatin1String(c.fill), QLatin1String(c.text));
        key += QStringLiteral("<span class=\"m%1\">%2</span>%3")
                   .arg(step)
                   .arg(step == kMissSteps - 1 ? QStringLiteral("3+") : QString::number(step), stepLabel(step));
    }
    out += QStringLiteral("</style>\n<p class=\"key\">%1<span></span>まだ進んでいない</p>\n").arg(key);
    out += QStringLiteral(
        "<table class=\"misses\">\n<caption class=\"note\">数はその問題でのミスの回数です。"
        "空のますは、まだその問題まで進んでいないか、ファイルを読めなかったことを表します。</caption>\n"
        "<thead><tr><th scope=\"col\" rowspan=\"2\">コード</th>");
    // The topics over their questions, then the questions, each titled
    // with what it asks; a topic's first column is ruled off.
    for (const bank::Topic &t : bank::topics())
        out += QStringLiteral("<th scope=\"colgroup\" colspan=\"%1\" class=\"topic\">%2</th>")
                   .arg(t.last - t.first + 1)
                   .arg(ours(topicName(t)));
    out += QStringLiteral("</tr>\n<tr>");
    for (int q = 1; q <= kQuestions; ++q)
        out += QStringLiteral("<th scope=\"col\"%1 title=\"%2\">%3</th>")
                   .arg(startsTopic(q) ? QStringLiteral(" class=\"topic\"") : QString(), ours(questionDescription(q)))
                   .arg(q);
    out += QStringLiteral("</tr></thead>\n<tbody>\n");
    for (const Pupil &p : report.pupils) {
        out += QStringLiteral("<tr><th scope=\"row\">%1</th>").arg(escaped(p.code));
        for (int q = 1; q <= kQuestions; ++q) {
            const int step = missStep(p, q);
            out += step == kNotReached ? QStringLiteral("<td></td>")
                                       : QStringLiteral("<td class=\"m%1\">%2</td>").arg(step).arg(p.missCount[q]);
        }
        out += QStringLiteral("</tr>\n");
    }
    out += QStringLiteral("</tbody>\n</table>\n");

    // The key: what each question asks.
    out += QStringLiteral(
        "<h3>問題の内容</h3>\n<table class=\"key-table\">\n<thead><tr><th>問</th><th>分野</th><th>内容</th>"
        "<th>問題（1つ目の型）</th></tr></thead>\n<tbody>\n");
    for (int q = 1; q <= kQuestions; ++q)
        out += QStringLiteral("<tr><td class=\"num\">%1</td><td>%2</td><td>%3</td><td class=\"problem\">%4</td></tr>\n")
                   .arg(q)
                   .arg(ours(topicName(*bank::topicOf(q))), ours(QString::fromUtf8(bank::titleOf(q))),
                        ours(bank::problemText(q, 1)));
    return out + QStringLiteral("</tbody>\n</table>\n");
}

// Each topic's misses per question reached, as a number and a bar; the
// topic with the most is marked.
QString topicsHtml(const ClassSummary &s) {
    std::vector<TopicFigures> figures;
    double most = 0;
    for (const bank::Topic &t : bank::topics()) {
        figures.push_back(topicFigures(s, t.first, t.last));
        most = std::max(most, figures.back().averageMisses);
    }
    QString out = QStringLiteral(
        "<h2>分野ごとの平均ミス数</h2>\n<p class=\"note\">その分野の問題まで進んだ人の、"
        "1 問あたりの平均です。</p>\n<table class=\"topics\">\n<thead><tr><th>分野</th><th>問題</th>"
        "<th>進んだ人数</th><th colspan=\"2\">1 問あたりの平均ミス</th></tr></thead>\n<tbody>\n");
    for (size_t i = 0; i < figures.size(); ++i) {
        const bank::Topic &t = bank::topics()[i];
        const TopicFigures &f = figures[i];
        const bool weakest = most > 0 && f.averageMisses == most;
        out += QStringLiteral(
                   "<tr%1><td>%2</td><td class=\"num\">%3〜%4</td><td class=\"num\">%5 人</td>"
                   "<td class=\"num\">%6 回</td><td class=\"bar\"><span style=\"width: %7%\"></span></td></tr>\n")
                   .arg(weakest ? QStringLiteral(" class=\"weakest\"") : QString(), ours(topicName(t)))
                   .arg(t.first)
                   .arg(t.last)
                   .arg(f.pupils)
                   .arg(QString::number(f.averageMisses, 'f', 2))
                   .arg(most > 0 ? QString::number(100 * f.averageMisses / most, 'f', 0) : QStringLiteral("0"));
    }
    return out + QStringLiteral("</tbody>\n</table>\n");
}

}  // namespace

QString countsLine(const ClassSummary &s) {
    if (s.files == 0) return QStringLiteral("進み具合のファイル（*.ucd）がありません。");
    QStringList parts{QStringLiteral("読めた %1 件").arg(s.readable)};
    if (s.odd) parts << QStringLiteral("要確認 %1 件").arg(s.odd);
    if (s.unreadable) parts << QStringLiteral("読めない %1 件").arg(s.unreadable);
    return QStringLiteral("ファイル %1 件（%2）").arg(s.files).arg(parts.join(QStringLiteral("、")));
}

QString durationText(double seconds) {
    if (!std::isfinite(seconds)) return QStringLiteral("—");
    if (seconds < 0 || seconds >= 365.0 * 86400) return formatNumber(seconds, 15) + QStringLiteral("秒");
    const long whole = long(seconds);
    const long h = whole / 3600, m = whole / 60 % 60, sec = whole % 60;
    if (h > 0) return QStringLiteral("%1時間%2分%3秒").arg(h).arg(m).arg(sec);
    if (m > 0) return QStringLiteral("%1分%2秒").arg(m).arg(sec);
    return QStringLiteral("%1秒").arg(sec);
}

QString questionLabel(int q) {
    const char *title = bank::titleOf(q);
    return title ? QStringLiteral("問%1　%2").arg(q).arg(QString::fromUtf8(title)) : QStringLiteral("問%1").arg(q);
}

QString questionDescription(int q) {
    const bank::Topic *topic = bank::topicOf(q);
    if (!topic) return questionLabel(q);
    return QStringLiteral("%1（%2）\n%3").arg(questionLabel(q), topicName(*topic), bank::problemText(q, 1));
}

QString stateText(const Pupil &p) {
    switch (p.state) {
    case Pupil::State::Readable: return QStringLiteral("正常");
    case Pupil::State::OddQuestion: return QStringLiteral("要確認：到達問題が 1〜30 の外です");
    case Pupil::State::Unreadable: break;
    }
    return QStringLiteral("読めません：") + visible(p.reason);
}

int displayWidth(QStringView text) {
    int width = 0;
    forEachCodePoint(text, [&width](char32_t u, qsizetype, qsizetype) {
        switch (QChar::category(u)) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_Enclosing:
        case QChar::Other_Format: return;
        default: width += isWide(u) ? 2 : 1;
        }
    });
    return width;
}

QString visible(const QString &text) { return platform::visibleText(text); }

QString reviewDueText(const Pupil &p) {
    return p.wasRead() && p.reviewProblem.isEmpty() ? QString::number(p.reviewDueToday) : QString();
}

QString reviewText(const Pupil &p) {
    if (!p.reviewProblem.isEmpty()) return QStringLiteral("読めません");
    if (p.reviewPractised == 0) return QString();
    return QStringLiteral("%1問中%2問").arg(p.reviewPractised).arg(p.reviewFirstTry);
}

QString table(const ClassReport &report) {
    std::vector<QStringList> rows{headings()};
    for (const Pupil &p : report.pupils) {
        QStringList c = cells(p);
        c[Code] = visible(c[Code]);
        rows.push_back(std::move(c));
    }
    std::array<int, kColumns> width{};
    for (const QStringList &r : rows)
        for (int i = 0; i < kColumns; ++i) width[i] = std::max(width[i], displayWidth(r[i]));

    QString out;
    const auto line = [&](const QStringList &r) {
        for (int i = 0; i < kColumns - 1; ++i)
            out += padded(r[i], width[i], i != Code && i != State) + QStringLiteral("  ");
        out += r[State] + QLatin1Char('\n');
    };
    line(rows.front());
    QStringList rule;
    for (int i = 0; i < kColumns; ++i)  // the last column's rule as wide as its heading
        rule << QString(i == State ? displayWidth(headings()[State]) : width[i], QLatin1Char('-'));
    line(rule);
    std::for_each(rows.begin() + 1, rows.end(), line);
    out += countsLine(summarise(report)) + QLatin1Char('\n');
    return out;
}

QByteArray csv(const ClassReport &report) {
    // The columns keep the places they had before the review came, so that
    // a spreadsheet made from an earlier file reads the same columns;
    // the review's column, and any added later, come at the end.
    QStringList head = headings();
    head.removeAt(Review);
    for (int q = 1; q <= kQuestions; ++q) head << QStringLiteral("問%1ミス").arg(q);
    for (int q = 1; q <= kQuestions; ++q) head << QStringLiteral("問%1秒数").arg(q);
    head << headings()[Review] << QStringLiteral("今日の復習") << QStringLiteral("課題");
    if (report.roster) head << QStringLiteral("出席番号") << QStringLiteral("氏名");

    QString out = head.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    for (const Pupil &p : report.pupils) {
        QStringList c = cells(p);
        c[Code] = visible(c[Code]);  // as in the table: a terminal showing the file runs no escapes
        QStringList fields;
        for (int i = 0; i < kColumns; ++i)
            if (i != Review) fields << csvField(c[i], i == Code || i == State);
        for (int q = 1; q <= kQuestions; ++q) fields << (p.wasRead() ? QString::number(p.missCount[q]) : QString());
        for (int q = 1; q <= kQuestions; ++q) fields << (p.finished(q) ? formatNumber(p.seconds(q), 7) : QString());
        fields << csvField(c[Review], false) << reviewDueText(p) << assignmentCsvText(p, report.assignment);
        if (report.roster) {
            const RosterEntry *known = report.roster->find(p.code);
            fields << csvField(known ? visible(known->number) : QString(), true)
                   << csvField(known ? visible(known->name) : QString(), true);
        }
        out += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

QByteArray html(const ClassReport &report) {
    const ClassSummary s = summarise(report);
    QString out = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">\n"
        "<title>クラスの進み具合</title>\n<style>");
    out += QString::fromUtf8(kStyle) + QStringLiteral("</style>\n</head>\n<body>\n<h1>クラスの進み具合</h1>\n");
    out += QStringLiteral("<p>フォルダー：%1　作成：%2</p>\n<p>%3</p>\n")
               .arg(escaped(QDir(report.folder).absolutePath()),
                    report.readAt.toString(QStringLiteral("yyyy-MM-dd HH:mm")), escaped(countsLine(s)));

    out += topicsHtml(s);
    out += QStringLiteral("<h2>問題ごとの平均ミス数</h2>\n<p class=\"note\">その問題まで進んだ人の平均です。</p>\n");
    out += barChart(QStringLiteral("問題ごとの平均ミス数"), s.averageMisses, 1, QStringLiteral(" 回"));
    std::array<double, kQuestions + 1> reached{};
    std::copy(s.reachedBy.begin(), s.reachedBy.end(), reached.begin());
    out += QStringLiteral("<h2>各問題まで進んだ人数</h2>\n");
    out += barChart(QStringLiteral("各問題まで進んだ人数"), reached, 0, QStringLiteral(" 人"));
    if (s.odd || s.unreadable)
        out += QStringLiteral(
            "<p class=\"note\">グラフには、読めたファイルのうち到達問題が 1〜30 のものだけを数えています。</p>\n");

    out += missGridHtml(report);
    out += QStringLiteral("<h2>一覧</h2>\n<table>\n<thead><tr>");
    QStringList head = headings();
    head[Seconds] = QStringLiteral("合計時間");
    for (const QString &h : head) out += QStringLiteral("<th>%1</th>").arg(h);
    out += QStringLiteral("</tr></thead>\n<tbody>\n");
    for (const Pupil &p : report.pupils) {
        static const char *const rowClass[] = {"", " class=\"odd\"", " class=\"unreadable\""};
        out += QStringLiteral("<tr%1>").arg(QLatin1String(rowClass[int(p.state)]));
        QStringList c = cells(p);
        if (p.wasRead()) c[Seconds] = durationText(p.secondsTotal());
        for (int i = 0; i < kColumns; ++i)
            out +=
                (i == Code || i == State ? QStringLiteral("<td>%1</td>") : QStringLiteral("<td class=\"num\">%1</td>"))
                    .arg(escaped(c[i]));
        out += QStringLiteral("</tr>\n");
    }
    out += QStringLiteral(
        "</tbody>\n</table>\n<p class=\"note\">合計時間は、解き終えた問題にかかった時間の合計です"
        "（取り組み中の問題の記録は開始時刻のことがあるため含めません。30問を解き終えた人は30問目も含めます）。"
        "復習は、復習（pomurin20 --review）で練習した問題の数と、そのうち一度で正解した数です。</p>\n"
        "</body>\n</html>\n");
    return out.toUtf8();
}

}  // namespace report
