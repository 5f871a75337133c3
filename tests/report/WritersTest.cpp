// SPDX-License-Identifier: GPL-3.0-or-later
// The three forms of the overview: the exact CSV bytes, a table that lines
// up with Japanese codes, and an HTML page whose codes stay text.
#include "ClassFolder.h"
#include "report/Writers.h"

#include <QDir>
#include <QRegularExpression>

#include <cmath>
#include <gtest/gtest.h>

using namespace report;
using report_test::pupilOn;
using report_test::writePupil;

namespace {

QString repeated(const QString &piece, int times) {
    QString s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

// A small class: a pupil in the middle, a formula-like code, a code with a
// comma, quotes and a blank on question 1, and a folder in a file's place.
ClassReport smallClass() {
    state::Session middle;
    middle.question = 3;
    middle.score = -3000;
    middle.misses = {0, 1, 0, 2};
    middle.answerTimes = {0, 42, 17, 50412.5f};
    writePupil(".", "1", middle);
    writePupil(".", "=SUM(A1)", pupilOn(2, 3000.25));
    writePupil(".", "a, \"b\"", pupilOn(1, 0));
    QDir().mkdir("bad.ucd");
    // Review records: two questions practised, one right at the first try; a damaged one.
    report_test::writeBytes("1.review", "pomurin20 review 1\r\n2,1,0,0,2026-12-01\r\n3,1,1,1,2026-12-02\r\n");
    report_test::writeBytes("a, \"b\".review", "pomurin20 review 1\r\n31,1,1,1,2026-12-02\r\n");
    return readFolder(".");
}

}  // namespace

TEST(Csv, ExactBytesOfASmallClass) {
    // The columns where they were before the review came; the review's at the end.
    QString heading = "コード,到達問題,得点,ミス合計,合計秒数,状態";
    for (int q = 1; q <= 30; ++q) heading += QString(",問%1ミス").arg(q);
    for (int q = 1; q <= 30; ++q) heading += QString(",問%1秒数").arg(q);
    heading += ",復習,今日の復習,課題";
    const QString expected =
        heading + "\r\n" +
        "1,3,-3000,3,59,正常,1,0,2" + repeated(",0", 27) + ",42,17" + repeated(",", 28) + ",2問中1問,3,\r\n" +
        "'=SUM(A1),2,3000.25,2,11,正常,1,1" + repeated(",0", 28) + ",11" + repeated(",", 29) + ",,2,\r\n" +
        "\"a, \"\"b\"\"\",1,0,1,0,正常,1" + repeated(",0", 29) + repeated(",", 30) + ",読めません,,\r\n" +
        "bad,,,,,読めません：フォルダーです" + repeated(",", 63) + "\r\n";
    EXPECT_EQ(csv(smallClass()), "\xEF\xBB\xBF" + expected.toUtf8());
}

TEST(Csv, EveryRowHasTheSameColumnsAndFormulaLikeCodesStayText) {
    for (const QString code : {"+1", "-2", "@x", "a\nb", "x y", "Ｘ　Ｙ"}) writePupil(".", code, pupilOn(4, -3000));
    const QByteArray bytes = csv(readFolder("."));
    const QString text = QString::fromUtf8(bytes.mid(3));
    // Split records by CR LF outside quotes and count the commas outside quotes.
    QList<int> columns;
    int commas = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '"') quoted = !quoted;
        else if (!quoted && text[i] == ',') ++commas;
        else if (!quoted && text.mid(i, 2) == "\r\n") {
            columns << commas + 1;
            commas = 0;
            ++i;
        }
    }
    EXPECT_FALSE(quoted);
    EXPECT_EQ(columns, QList<int>(7, 69));
    for (const char *start : {"'+1,4,-3000,", "'-2,4,-3000,", "'@x,", "a<U+000A>b,4,", "\"x y\",4,", "\"Ｘ　Ｙ\",4,"})
        EXPECT_TRUE(text.contains("\r\n" + QString::fromUtf8(start))) << start;
}

TEST(Csv, ControlCharactersInCodesAreShownAsInTheTable) {
    // ESC, DEL, a C1 control, a direction override, a tab before a formula.
    const QStringList codes{"x\x1b[31m", "d\x7f", QString("c") + QChar(0x85) + "d", QString("r") + QChar(0x202E) + "lt",
                            "\t=1+1", "ぽ😀"};
    for (const QString &code : codes) writePupil(".", code, pupilOn(4, 0));
    ClassReport report = readFolder(".");
    // A file that could not be opened: the reason names it.
    const Pupil unreadable{.code = "y\x1b[2J", .reason = "「y\x1b[2J.ucd」を開けません（許可がありません）。"};
    report.pupils.push_back(unreadable);
    const QString text = QString::fromUtf8(csv(report).mid(3));
    const QString shown = table(report), page = QString::fromUtf8(html(report));
    for (const QString &code : codes) {
        EXPECT_TRUE(text.contains("\r\n" + visible(code) + ",4,")) << visible(code).toStdString();
        EXPECT_TRUE(shown.contains(visible(code) + " ")) << visible(code).toStdString();
    }
    EXPECT_TRUE(text.contains("\r\nx<U+001B>[31m,4,"));
    EXPECT_TRUE(text.contains("\r\nぽ😀,4,") && shown.contains("ぽ😀 ") && page.contains(">ぽ😀<"));  // outside the BMP: itself
    // The reason, as the table, the page and the window show it.
    const QString reason = stateText(unreadable);
    EXPECT_EQ(reason, "読めません：「y<U+001B>[2J.ucd」を開けません（許可がありません）。");
    EXPECT_TRUE(text.contains(reason)) << text.toStdString();
    EXPECT_TRUE(shown.contains(reason)) << shown.toStdString();
    EXPECT_TRUE(page.contains(reason.toHtmlEscaped())) << page.toStdString();
    EXPECT_FALSE(shown.contains(QChar(0x1b)) || page.contains(QChar(0x1b)));
    // No control or format character but the line ends.
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) {
            EXPECT_TRUE(c == '\r' || c == '\n') << "U+" << std::hex << int(c.unicode());
        }
    }
}

TEST(Table, WidthCountsWideCharactersTwice) {
    EXPECT_EQ(displayWidth(u"abc"), 3);
    EXPECT_EQ(displayWidth(u"太郎"), 4);
    EXPECT_EQ(displayWidth(u"ｶﾅ"), 2);          // half-width katakana
    EXPECT_EQ(displayWidth(u"ＡＢ１"), 6);      // full-width letters and digits
    EXPECT_EQ(displayWidth(u"　"), 2);          // ideographic space
    EXPECT_EQ(displayWidth(u"か\u3099"), 2);    // combining voiced mark
    EXPECT_EQ(displayWidth(u"𠮷"), 2);          // outside the basic plane
    EXPECT_EQ(displayWidth(u"😀"), 2);
    EXPECT_EQ(displayWidth(u"é"), 1);
}

TEST(Table, ColumnsLineUpWithJapaneseAndControlCharactersAreShownNotSent) {
    writePupil(".", "2", pupilOn(30, 87000));
    writePupil(".", "10", pupilOn(3, -3000));
    writePupil(".", "3年1組 山田", pupilOn(12, 123456.5));
    writePupil(".", "ﾊﾅｺ", pupilOn(1, 0));
    writePupil(".", "x\x1b[31m", pupilOn(4, 0));
    QDir().mkdir("かぎ.ucd");
    const QString out = table(readFolder("."));
    EXPECT_FALSE(out.contains(QChar(0x1b)));
    EXPECT_TRUE(out.contains("x<U+001B>[31m"));

    QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2 + 6 + 1);
    EXPECT_EQ(lines.last(), "ファイル 6 件（読めた 5 件、読めない 1 件）");
    lines.removeLast();
    // The code column is left-aligned, the numbers right-aligned and the
    // state starts in one column for every line.
    const QStringList stateTexts{"状態", "----", "正常", "読めません：フォルダーです"};
    int stateColumn = -1, scoreEnd = -1;
    for (const QString &line : lines) {
        const qsizetype at = [&] {
            for (const QString &s : stateTexts)
                if (line.endsWith(s)) return line.size() - s.size();
            return qsizetype(-1);
        }();
        ASSERT_GE(at, 0) << line.toStdString();
        const int column = displayWidth(QStringView(line).left(at));
        if (stateColumn < 0) stateColumn = column;
        EXPECT_EQ(column, stateColumn) << line.toStdString();
        if (line.startsWith("2 ")) scoreEnd = displayWidth(QStringView(line).left(line.indexOf("87000") + 5));
        if (line.startsWith("3年1組")) {
            EXPECT_EQ(displayWidth(QStringView(line).left(line.indexOf("123456.5") + 8)), scoreEnd);
        }
    }
    EXPECT_GT(scoreEnd, 0);
    EXPECT_TRUE(lines[2].startsWith("2 ")) << "sorted by code";
}

TEST(Table, AnEmptyFolderSaysSo) {
    const QString out = table(readFolder("."));
    EXPECT_TRUE(out.contains("コード"));
    EXPECT_TRUE(out.endsWith("進み具合のファイル（*.ucd）がありません。\n"));
}

TEST(Html, CodesAreTextAndThePageStandsAlone) {
    writePupil(".", "<b>", pupilOn(3, 0));
    writePupil(".", "a&b\"c'", pupilOn(4, 0));
    writePupil(".", "<script>alert(1)", pupilOn(5, 0));
    writePupil(".", "花子", pupilOn(6, 0));
    QDir().mkdir("<img src=x>.ucd");
    const QString page = QString::fromUtf8(html(readFolder(".")));

    EXPECT_TRUE(page.contains("<td>&lt;b&gt;</td>"));
    EXPECT_TRUE(page.contains("<td>a&amp;b&quot;c&#39;</td>"));
    EXPECT_TRUE(page.contains("<td>&lt;script&gt;alert(1)</td>"));
    EXPECT_TRUE(page.contains("<td>花子</td>"));
    EXPECT_FALSE(page.contains("<b>"));
    EXPECT_FALSE(page.contains("<script", Qt::CaseInsensitive));
    EXPECT_FALSE(page.contains("<img"));
    // Nothing is fetched from elsewhere, and a policy forbids it anyway.
    EXPECT_FALSE(page.contains(QRegularExpression("<[^>]*\\s(src|href)\\s*=|url\\(|@import")));
    EXPECT_TRUE(page.contains("default-src 'none'"));
    EXPECT_TRUE(page.contains("<meta charset=\"utf-8\">"));
    EXPECT_EQ(page.count("<svg"), 2);
    // The table (a heading row and a row a file), the misses grid (two
    // heading rows, a row a file), the key of 30 questions and the six topics.
    EXPECT_EQ(page.count("<tr"), (1 + 5) + (2 + 5) + (1 + 30) + (1 + 6));
}

TEST(Html, ChartsShowAverageMissesAndHowManyReachedEachQuestion) {
    writePupil(".", "a", pupilOn(30, 0));  // question 2: 2 misses
    writePupil(".", "b", pupilOn(3, 0));   // question 2: 2 misses, question 3: 1
    writePupil(".", "c", pupilOn(1, 0));   // question 1: 1 miss
    const QString page = QString::fromUtf8(html(readFolder(".")));
    const qsizetype missesChart = page.indexOf("<svg"), reachedChart = page.indexOf("<svg", missesChart + 1);
    const QString misses = page.mid(missesChart, page.indexOf("</svg>", missesChart) - missesChart),
                  reached = page.mid(reachedChart, page.indexOf("</svg>", reachedChart) - reachedChart);

    // Each bar's title says what its question asks, then its first variant.
    for (const char *bar : {"問1　平方根を求める：1.0 回\n１６の平方根を求めよ。</title>",
                            "問2　√をはずす（√１６＝４）：2.0 回\n", "問3　√の値（１００倍の数）：0.5 回\n",
                            "問30　ｙの変域（ｘが０をふくまない）：1.0 回\n関数 ｙ＝－２ｘ² について、"})
        EXPECT_TRUE(misses.contains("<title>" + QString::fromUtf8(bar))) << bar;
    for (const char *bar : {"問1　平方根を求める：3 人\n", "問3　√の値（１００倍の数）：2 人\n", "問4　√の値（１００分の１の数）：1 人\n"})
        EXPECT_TRUE(reached.contains("<title>" + QString::fromUtf8(bar))) << bar;
    // The topics under the numbers, in both charts.
    for (const char *topic : {">平方根<", ">√の変形と乗除<", ">√をふくむ式の計算<", ">因数分解<", ">２次方程式<", ">関数ｙ＝ａｘ²<"}) {
        EXPECT_EQ(misses.count(QString::fromUtf8(topic)), 1) << topic;
        EXPECT_EQ(reached.count(QString::fromUtf8(topic)), 1) << topic;
    }
    EXPECT_EQ(misses.count("<rect"), 30 - 8);  // no misses on 6, 9, ..., 27: no bar
    EXPECT_EQ(reached.count("<rect"), 30);
    // The tallest bar reaches the top of the scale and no bar leaves the chart.
    for (const QRegularExpressionMatch &m : QRegularExpression("<rect [^>]*y=\"(-?[\\d.]+)\"").globalMatch(page))
        EXPECT_GE(m.captured(1).toDouble(), 0);
}

TEST(Html, MissesGridHasACellPerQuestionReachedInItsStep) {
    state::Session m;
    m.question = 5;
    m.misses = {0, 0, 1, 2, 7, 1};  // question 5 is the one being worked on
    m.answerTimes = {0, 5, 5, 5, 5, 50412.5f};
    writePupil(".", "a", m);
    writePupil(".", "<b>", pupilOn(30, 0));
    QDir().mkdir("c.ucd");
    const QString page = QString::fromUtf8(html(readFolder(".")));
    const qsizetype grid = page.indexOf("<table class=\"misses\">");
    ASSERT_GE(grid, 0);
    const QString rows = page.mid(grid, page.indexOf("</table>", grid) - grid);

    const auto rowOf = [&](const QString &code) {
        const qsizetype at = rows.indexOf("<tr><th scope=\"row\">" + code + "</th>");
        return at < 0 ? QString() : rows.mid(at, rows.indexOf("</tr>", at) - at);
    };
    const QString a = rowOf("a");
    EXPECT_TRUE(a.contains("<td class=\"m0\">0</td><td class=\"m1\">1</td><td class=\"m2\">2</td>"
                           "<td class=\"m3\">7</td><td class=\"m1\">1</td><td></td>"))
        << a.toStdString();
    EXPECT_EQ(a.count("<td></td>"), 25);
    EXPECT_EQ(rowOf("&lt;b&gt;").count("<td class=\"m"), 30);
    EXPECT_EQ(rowOf("c").count("<td></td>"), 30);  // not read: no cell
    EXPECT_EQ(rows.count("<th scope=\"col\""), 31);
    // The topics over their questions, and every question titled with what it asks.
    EXPECT_TRUE(rows.contains("<th scope=\"colgroup\" colspan=\"4\" class=\"topic\">平方根</th>"
                              "<th scope=\"colgroup\" colspan=\"6\" class=\"topic\">√の変形と乗除</th>"
                              "<th scope=\"colgroup\" colspan=\"6\" class=\"topic\">√をふくむ式の計算</th>"
                              "<th scope=\"colgroup\" colspan=\"5\" class=\"topic\">因数分解</th>"
                              "<th scope=\"colgroup\" colspan=\"5\" class=\"topic\">２次方程式</th>"
                              "<th scope=\"colgroup\" colspan=\"4\" class=\"topic\">関数ｙ＝ａｘ²</th>"));
    EXPECT_TRUE(rows.contains("<th scope=\"col\" class=\"topic\" title=\"問17　共通因数でくくる（因数分解）\n"
                              "次の式を因数分解したときの１つのカッコの中を求めよ。\n４ ｘ³ ｙ²－２ ｘ² ｙ³\">17</th>"));
    EXPECT_EQ(rows.count(" title=\"問"), 30);
    // The key under the grid: a row a question.
    const qsizetype key = page.indexOf("<table class=\"key-table\">");
    ASSERT_GT(key, grid);
    EXPECT_TRUE(page.mid(key).contains("<tr><td class=\"num\">12</td><td>√をふくむ式の計算</td><td>√をふくむ式の展開</td>"
                                       "<td class=\"problem\">次の計算をせよ。\n(２ ＋ ４√３)(３ － √３)</td></tr>"));
    // Each step's colour is in the page's style, with the legend.
    for (const char *step : {"td.m0", "td.m1", "td.m2", "td.m3"}) EXPECT_TRUE(page.contains(step)) << step;
    EXPECT_TRUE(page.contains("<p class=\"key\"><span class=\"m0\">0</span>ミスなし<span class=\"m1\">1</span>ミス 1 回"
                              "<span class=\"m2\">2</span>ミス 2 回<span class=\"m3\">3+</span>ミス 3 回以上"
                              "<span></span>まだ進んでいない</p>"));
}

TEST(Html, TopicSummaryGivesMissesPerQuestionReachedAndMarksTheMost) {
    // Two pupils: "a" reached 30 with 3 misses on each of 17..21, "b" on
    // question 18 with 4 misses on 17 and 1 on 18 (the one worked on).
    state::Session a = pupilOn(30, 0), b = pupilOn(18, 0);
    a.misses = {};
    for (int q = 17; q <= 21; ++q) a.misses[q] = 3;
    b.misses = {};
    b.misses[17] = 4;
    b.misses[18] = 1;
    writePupil(".", "a", a);
    writePupil(".", "b", b);
    const QString page = QString::fromUtf8(html(readFolder(".")));
    const qsizetype at = page.indexOf("<table class=\"topics\">");
    ASSERT_GE(at, 0);
    const QString table = page.mid(at, page.indexOf("</table>", at) - at);
    // Factorisation: (15 + 5) misses over 5 + 2 questions reached.
    const QString expected = QString::fromUtf8(
        "<tr><td>平方根</td><td class=\"num\">1〜4</td><td class=\"num\">2 人</td><td class=\"num\">0.00 回</td>"
        "<td class=\"bar\"><span style=\"width: 0%\"></span></td></tr>\n"
        "<tr><td>√の変形と乗除</td><td class=\"num\">5〜10</td><td class=\"num\">2 人</td><td class=\"num\">0.00 回</td>"
        "<td class=\"bar\"><span style=\"width: 0%\"></span></td></tr>\n"
        "<tr><td>√をふくむ式の計算</td><td class=\"num\">11〜16</td><td class=\"num\">2 人</td><td class=\"num\">0.00 回</td>"
        "<td class=\"bar\"><span style=\"width: 0%\"></span></td></tr>\n"
        "<tr class=\"weakest\"><td>因数分解</td><td class=\"num\">17〜21</td><td class=\"num\">2 人</td><td class=\"num\">2.86 回</td>"
        "<td class=\"bar\"><span style=\"width: 100%\"></span></td></tr>\n"
        "<tr><td>２次方程式</td><td class=\"num\">22〜26</td><td class=\"num\">1 人</td><td class=\"num\">0.00 回</td>"
        "<td class=\"bar\"><span style=\"width: 0%\"></span></td></tr>\n"
        "<tr><td>関数ｙ＝ａｘ²</td><td class=\"num\">27〜30</td><td class=\"num\">1 人</td><td class=\"num\">0.00 回</td>"
        "<td class=\"bar\"><span style=\"width: 0%\"></span></td></tr>\n</tbody>\n");
    EXPECT_EQ(table.mid(table.indexOf("<tbody>\n") + 8).toStdString(), expected.toStdString());
}

TEST(Writers, TimesForPeopleInMinutesAndSecondsAtTheirEdges) {
    const std::pair<double, const char *> cases[] = {
        {0, "0秒"},          {59, "59秒"},        {59.9, "59秒"},          {60, "1分0秒"},
        {1656, "27分36秒"},  {3599, "59分59秒"},  {3600, "1時間0分0秒"},    {86399, "23時間59分59秒"},
        {-5, "-5秒"},        {1e12, "1000000000000秒"},
    };
    for (const auto &[seconds, text] : cases) EXPECT_EQ(durationText(seconds), QString::fromUtf8(text)) << seconds;
    EXPECT_EQ(durationText(std::nan("")), "—");
    // The page shows them; the CSV keeps whole seconds (59 in ExactBytesOfASmallClass).
    state::Session m = pupilOn(3, 0);
    m.answerTimes = {0, 1600, 56, 50412.5f};
    writePupil(".", "t", m);
    EXPECT_TRUE(QString::fromUtf8(html(readFolder("."))).contains("<td class=\"num\">27分36秒</td>"));
}
