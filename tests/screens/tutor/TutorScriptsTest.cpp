// SPDX-License-Identifier: GPL-3.0-or-later
// Plays the tutor's example problems and explanation scripts into console
// models and checks what lands where: texts, positions, colours, graphics.
#include "screens/tutor/ExpectedTutorOutput.h"
#include "screens/tutor/TutorScripts.h"

#include "platform/ConsoleModel.h"

#include <QFontMetricsF>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

using platform::ConsoleModel;
using platform::PrintedText;
using tutor_test::kCleared;
using tutor_test::kContinues;
using tutor_test::kExpectedOutput;

constexpr double kBoxSize = 3375;  // both tutor boxes are square
constexpr double kLine = 225;      // 15 px lines
constexpr QChar kIdeographicSpace(0x3000);

QFont boxFont() {
    QFont f(QStringLiteral("IPAPGothic"));
    f.setPixelSize(15);
    return f;
}

QColor colorOf(char c) {
    switch (c) {
    case 'R': return QColor(255, 0, 0);
    case 'B': return QColor(0, 0, 255);
    default: return QColor(0, 0, 0);
    }
}

std::string str(const QString &s) { return s.toStdString(); }

struct TutorBoxes {
    ConsoleModel picture1{boxFont(), kBoxSize, kBoxSize};
    ConsoleModel picture2{boxFont(), kBoxSize, kBoxSize};
    ConsoleModel &box(int n) { return n == 1 ? picture1 : picture2; }
};

// What a box should hold after the given click: every piece printed since
// its last clear, with x following from where each piece starts.
QVector<PrintedText> expectedContent(const ConsoleModel &model, int q, int click, int box) {
    const double column = QFontMetricsF(model.font()).averageCharWidth() * platform::kTwipsPerPixel;
    QVector<PrintedText> out;
    for (const auto &e : kExpectedOutput) {
        if (e.question != q || e.click > click || e.box != box) continue;
        if (e.color == kCleared) {
            out.clear();
            continue;
        }
        double x = 0;
        if (e.where == kContinues) {
            x = out.back().x + model.textWidth(out.back().text);
        } else if (e.where > 0) {
            x = (e.where - 1) * column;
        }
        out.push_back({QString::fromUtf8(e.text), x, double(e.y), colorOf(e.color)});
    }
    return out;
}

bool clearedBy(int q, int click, int box) {
    for (const auto &e : kExpectedOutput)
        if (e.question == q && e.click == click && e.box == box && e.color == kCleared) return true;
    return false;
}

void expectContent(const ConsoleModel &model, const QVector<PrintedText> &expected) {
    const auto &actual = model.printed();
    ASSERT_EQ(actual.size(), expected.size()) << "readable text:\n" << str(model.readableText());
    for (int i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE("piece " + std::to_string(i) + " \"" + str(expected[i].text) + "\"");
        EXPECT_EQ(str(actual[i].text), str(expected[i].text));
        EXPECT_DOUBLE_EQ(actual[i].x, expected[i].x);
        EXPECT_DOUBLE_EQ(actual[i].y, expected[i].y);
        EXPECT_EQ(actual[i].color.rgb(), expected[i].color.rgb());
    }
}

class EveryQuestion : public ::testing::TestWithParam<int> {};

INSTANTIATE_TEST_SUITE_P(Tutor, EveryQuestion, ::testing::Range(1, 31),
                         [](const auto &info) { return "question" + std::to_string(info.param); });

TEST_P(EveryQuestion, examplesAndStepsPrintTheirTextsWhereAndInTheColourScripted) {
    const int q = GetParam();
    TutorBoxes b;
    tutor::printExample(b.picture1, q);
    {
        SCOPED_TRACE("example");
        expectContent(b.picture1, expectedContent(b.picture1, q, 0, 1));
        EXPECT_TRUE(b.picture2.printed().isEmpty());
    }
    for (int k = 1; k < tutor::clickCount(q); ++k) {
        SCOPED_TRACE("step " + std::to_string(k));
        tutor::performStep(b.picture1, b.picture2, q, k);
        expectContent(b.picture1, expectedContent(b.picture1, q, k, 1));
        expectContent(b.picture2, expectedContent(b.picture2, q, k, 2));
        // Nothing of the worked example runs off the bottom of a box.
        for (int n : {1, 2})
            for (const PrintedText &item : b.box(n).printed())
                EXPECT_FALSE(b.box(n).isClipped(item)) << "Picture" << n << " y=" << item.y << " " << str(item.text);
    }
}

TEST_P(EveryQuestion, stepNumbersOutsideTheScriptPrintNothing) {
    const int q = GetParam();
    TutorBoxes b;
    for (int k : {-1, 0, tutor::clickCount(q), tutor::clickCount(q) + 1})
        tutor::performStep(b.picture1, b.picture2, q, k);
    EXPECT_TRUE(b.picture1.printed().isEmpty());
    EXPECT_TRUE(b.picture2.printed().isEmpty());
    EXPECT_EQ(b.picture1.currentY(), 0);
    EXPECT_EQ(b.picture2.currentY(), 0);
}

TEST_P(EveryQuestion, exampleEndsWithThePromptExceptForQuestions18And27) {
    const int q = GetParam();
    TutorBoxes b;
    tutor::printExample(b.picture1, q);
    const auto &items = b.picture1.printed();
    ASSERT_GE(items.size(), 3);
    EXPECT_EQ(str(items.first().text), " 【例題】");
    EXPECT_EQ(items.first().y, kLine);  // after one blank line
    const bool prompted = items.last().text == QStringLiteral("  [次へ]をクリックするんじゃ！");
    EXPECT_EQ(prompted, q != 18 && q != 27);
}

// Checks one exponent line: the model places each digit group at a gap of
// its base line, that is right after the glyph that carries the exponent
// and before the next visible glyph.  Returns false when the digit groups
// and the gaps do not pair up.
bool checkExponentLine(const ConsoleModel &model, int index) {
    const auto &items = model.printed();
    const PrintedText &exp = items[index];
    SCOPED_TRACE("exponent line \"" + str(exp.text) + "\" y=" + std::to_string(exp.y));
    EXPECT_TRUE(model.isExponentLine(index));
    if (index + 1 >= items.size()) {
        ADD_FAILURE() << "no base line";
        return false;
    }
    const double baseY = items[index + 1].y;
    EXPECT_GT(baseY, exp.y);
    EXPECT_LT(baseY, exp.y + kLine);

    // Glyphs of the base line, across its pieces, with their extents.
    struct Glyph {
        QChar c;
        double left, right;
    };
    std::vector<Glyph> glyphs;
    for (int j = index + 1; j < items.size() && items[j].y == baseY && (j == index + 1 || items[j].x > 0); ++j) {
        const PrintedText &piece = items[j];
        for (int i = 0; i < piece.text.size(); ++i)
            glyphs.push_back({piece.text[i], piece.x + model.textWidth(piece.text.left(i)),
                              piece.x + model.textWidth(piece.text.left(i + 1))});
    }
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == kIdeographicSpace; };
    struct Gap {
        double ownerEnd;
        double nextStart;  // the box's right edge when nothing visible follows
    };
    std::vector<Gap> gaps;
    for (size_t g = 1; g < glyphs.size(); ++g) {
        if (glyphs[g].c != QLatin1Char(' ') || blank(glyphs[g - 1].c)) continue;
        size_t end = g;
        while (end < glyphs.size() && glyphs[end].c == QLatin1Char(' ')) ++end;
        if (end - g < 2) continue;
        size_t next = end;
        while (next < glyphs.size() && blank(glyphs[next].c)) ++next;
        gaps.push_back({glyphs[g - 1].right, next < glyphs.size() ? glyphs[next].left : model.widthTwips()});
    }

    QStringList groups;
    for (const auto &m : QRegularExpression(QStringLiteral("[0-9]+")).globalMatch(exp.text)) groups << m.captured();
    if (groups.size() != int(gaps.size())) {
        ADD_FAILURE() << groups.size() << " digit groups but " << gaps.size() << " gaps in the base line";
        return false;
    }
    const auto placed = model.exponentPlacement(index);
    EXPECT_EQ(placed.size(), groups.size());
    for (int k = 0; k < std::min<int>(placed.size(), groups.size()); ++k) {
        EXPECT_EQ(str(placed[k].digits), str(groups[k]));
        const double left = placed[k].x;
        const double right = left + placed[k].width;
        EXPECT_NEAR(placed[k].width, model.exponentWidth(placed[k].digits), 0.01);
        EXPECT_GE(left, gaps[k].ownerEnd - 0.5) << "digit " << k << " overlaps its base glyph";
        EXPECT_LE(right, gaps[k].nextStart + 0.5) << "digit " << k << " runs into the next glyph";
    }
    return true;
}

TEST_P(EveryQuestion, everyExponentDigitSitsInAGapOfItsBaseLine) {
    const int q = GetParam();
    // The exponent lines the scripts hold: only blanks and digits, at the
    // left edge.
    int expected = 0;
    for (const auto &e : kExpectedOutput)
        if (e.question == q && e.text && e.where == tutor_test::kLeft &&
            platform::looksLikeExponentLine(QString::fromUtf8(e.text)))
            ++expected;

    TutorBoxes b;
    int found = 0;
    for (int k = 0; k < tutor::clickCount(q); ++k) {
        SCOPED_TRACE("click " + std::to_string(k));
        const qsizetype before[3] = {0, b.picture1.printed().size(), b.picture2.printed().size()};
        if (k == 0)
            tutor::printExample(b.picture1, q);
        else
            tutor::performStep(b.picture1, b.picture2, q, k);
        for (int n : {1, 2}) {
            const ConsoleModel &m = b.box(n);
            for (int i = clearedBy(q, k, n) ? 0 : int(before[n]); i < m.printed().size(); ++i) {
                if (m.printed()[i].x != 0 || !platform::looksLikeExponentLine(m.printed()[i].text)) continue;
                ++found;
                checkExponentLine(m, i);
            }
        }
    }
    EXPECT_EQ(found, expected);
}

TEST(TutorScripts, clickCountsIncludeTheClosingClick) {
    const int counts[31] = {0, 5, 5, 6, 6, 5, 7, 8, 9, 8, 9, 5, 6, 7, 6, 8,
                            7, 5, 6, 5, 5, 5, 4, 7, 6, 5, 6, 7, 5, 6, 6};
    for (int q = 1; q <= 30; ++q) EXPECT_EQ(tutor::clickCount(q), counts[q]) << "question " << q;
    int total = 0;
    for (int q = 1; q <= 30; ++q) total += tutor::clickCount(q);
    EXPECT_EQ(total, std::accumulate(counts, counts + 31, 0));
    EXPECT_EQ(total, 185);
}

TEST(TutorScripts, questionsOutsideTheCoursePrintNothing) {
    for (int q : {-1, 0, 31, 100}) {
        TutorBoxes b;
        EXPECT_EQ(tutor::clickCount(q), 0) << q;
        tutor::printExample(b.picture1, q);
        for (int k = 0; k < 10; ++k) tutor::performStep(b.picture1, b.picture2, q, k);
        EXPECT_TRUE(b.picture1.printed().isEmpty()) << q;
        EXPECT_TRUE(b.picture2.printed().isEmpty()) << q;
        EXPECT_TRUE(b.picture2.graphics().isEmpty()) << q;
        EXPECT_EQ(b.picture1.currentY(), 0) << q;
    }
}

TEST(TutorScripts, greetingIsThreeBlackLinesInTheSpeechBox) {
    QFont mincho(QStringLiteral("IPAMincho"));
    mincho.setPixelSize(12);
    ConsoleModel picture3(mincho, 4455, 615);
    tutor::printGreeting(picture3);
    const char *lines[] = {"「わしが数学博士である。」", "「わしの説明を良く聞くんじゃ。」",
                           "「そして、再度、問題に挑戦してみるんじゃ。」"};
    ASSERT_EQ(picture3.printed().size(), 3);
    for (int i = 0; i < 3; ++i) {
        const PrintedText &item = picture3.printed()[i];
        EXPECT_EQ(str(item.text), lines[i]);
        EXPECT_EQ(item.x, 0);
        EXPECT_EQ(item.y, i * 180.0);
        EXPECT_EQ(item.color.rgb(), QColor(0, 0, 0).rgb());
        EXPECT_FALSE(picture3.isClipped(item));
    }
}

TEST(TutorScripts, colourSetAtTheEndOfAStepCarriesIntoTheNextClick) {
    // Question 9 ends step 1 with red; step 2 prints red until its black.
    TutorBoxes b;
    tutor::printExample(b.picture1, 9);
    tutor::performStep(b.picture1, b.picture2, 9, 1);
    const auto afterStep1 = b.picture1.printed().size();
    EXPECT_EQ(b.picture1.color().rgb(), QColor(255, 0, 0).rgb());
    tutor::performStep(b.picture1, b.picture2, 9, 2);
    const auto &items = b.picture1.printed();
    ASSERT_EQ(items.size(), afterStep1 + 2);
    for (auto i = afterStep1; i < items.size(); ++i) EXPECT_EQ(items[i].color.rgb(), QColor(255, 0, 0).rgb());
    EXPECT_EQ(b.picture1.color().rgb(), QColor(0, 0, 0).rgb());
}

// Lines printed in several pieces: each piece starts where the one before
// it ends, and a line whose last piece stays open leaves the print
// position at its end.
struct ContinuedLine {
    int question, step, box, pieces;
    const char *line;
    bool endsMidLine;
};

class ContinuedLines : public ::testing::TestWithParam<ContinuedLine> {};

INSTANTIATE_TEST_SUITE_P(Tutor, ContinuedLines, ::testing::Values(
    ContinuedLine{11, 2, 1, 6, " ＝ ３√５ － ２√５ ＋ √５", true},
    ContinuedLine{17, 4, 2, 3, " ＝ ２ｘｙ(ｘ－３ｙ)", true},
    ContinuedLine{19, 1, 1, 2, "　　　＝ (Ａ－Ｂ)  　　を利用する。", false},
    ContinuedLine{20, 2, 1, 2, " ＝ (３ｘ)  －(２ｙ)  　   なので、", false},
    ContinuedLine{21, 2, 1, 7, " ＝ ３ｙｘ  ＋３ｙｘ－３ｙ・２", false}),
    [](const auto &info) {
        return "question" + std::to_string(info.param.question) + "step" + std::to_string(info.param.step);
    });

TEST_P(ContinuedLines, piecesFollowEachOtherOnOneLine) {
    const ContinuedLine c = GetParam();
    TutorBoxes b;
    tutor::printExample(b.picture1, c.question);
    for (int k = 1; k < c.step; ++k) tutor::performStep(b.picture1, b.picture2, c.question, k);
    const auto before = b.box(c.box).printed().size();
    tutor::performStep(b.picture1, b.picture2, c.question, c.step);
    const ConsoleModel &m = b.box(c.box);
    const auto &items = m.printed();

    // Find the first piece that another piece continues.
    qsizetype first = -1;
    for (auto i = before; i + 1 < items.size(); ++i)
        if (items[i + 1].y == items[i].y && items[i + 1].x > 0) {
            first = i;
            break;
        }
    ASSERT_GE(first, 0);
    QString line = items[first].text;
    int pieces = 1;
    for (auto i = first + 1; i < items.size() && items[i].y == items[first].y && items[i].x > 0; ++i) {
        EXPECT_DOUBLE_EQ(items[i].x, items[i - 1].x + m.textWidth(items[i - 1].text)) << str(items[i].text);
        line += items[i].text;
        ++pieces;
    }
    EXPECT_EQ(items[first].x, 0);
    EXPECT_EQ(str(line), c.line);
    EXPECT_EQ(pieces, c.pieces);
    if (c.endsMidLine) {
        EXPECT_DOUBLE_EQ(m.currentX(), items.last().x + m.textWidth(items.last().text));
        EXPECT_EQ(m.currentY(), items.last().y);
    } else {
        EXPECT_EQ(m.currentX(), 0);
    }
}

// The graph pages of questions 29 and 30: y = -2x^2 sampled by adding the
// step to x until it passes the end.  Adding 0.1 sixty times to -3 lands
// just above 3, so the sparse black curve has 60 points, not 61.
struct Sampling {
    QRgb color;
    double start, end, step;
    int count;
};

struct GraphCase {
    int question;
    std::vector<Sampling> samplings;
};

class GraphPages : public ::testing::TestWithParam<GraphCase> {};

INSTANTIATE_TEST_SUITE_P(Tutor, GraphPages, ::testing::Values(
    GraphCase{29, {{qRgb(255, 0, 0), -2, 3, 0.01, 501}}},
    GraphCase{30, {{qRgb(0, 0, 0), -3, 3, 0.1, 60}, {qRgb(255, 0, 0), 1, 3, 0.001, 2001}}}),
    [](const auto &info) { return "question" + std::to_string(info.param.question); });

TEST_P(GraphPages, axesAndPointsOfTheParabola) {
    const GraphCase g = GetParam();
    TutorBoxes b;
    tutor::printExample(b.picture1, g.question);
    tutor::performStep(b.picture1, b.picture2, g.question, 1);
    const auto explanation = b.picture1.printed();
    tutor::performStep(b.picture1, b.picture2, g.question, 2);
    EXPECT_EQ(b.picture1.printed(), explanation);  // the graph goes only into the working box
    EXPECT_TRUE(b.picture1.graphics().isEmpty());

    const ConsoleModel &m = b.picture2;
    ASSERT_TRUE(m.hasScale());
    EXPECT_NEAR(m.toTwips(-4, 30).x(), 0, 1e-6);
    EXPECT_NEAR(m.toTwips(-4, 30).y(), 0, 1e-6);
    EXPECT_NEAR(m.toTwips(4, -30).x(), kBoxSize, 1e-6);
    EXPECT_NEAR(m.toTwips(4, -30).y(), kBoxSize, 1e-6);

    const auto &gr = m.graphics();
    int points = 0;
    for (const Sampling &s : g.samplings) points += s.count;
    ASSERT_EQ(gr.size(), 2 + points);
    const double axes[2][4] = {{-3.9, 0, 3.9, 0}, {0, 29, 0, -29}};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(gr[i].kind, platform::Graphic::Line);
        EXPECT_EQ(gr[i].color.rgb(), QColor(0, 0, 0).rgb());
        EXPECT_DOUBLE_EQ(gr[i].x1, axes[i][0]);
        EXPECT_DOUBLE_EQ(gr[i].y1, axes[i][1]);
        EXPECT_DOUBLE_EQ(gr[i].x2, axes[i][2]);
        EXPECT_DOUBLE_EQ(gr[i].y2, axes[i][3]);
    }
    int i = 2;
    for (const Sampling &s : g.samplings) {
        SCOPED_TRACE("from " + std::to_string(s.start) + " step " + std::to_string(s.step));
        const int first = i;
        for (int n = 0; n < s.count; ++n, ++i) {
            const auto &p = gr[i];
            ASSERT_EQ(p.kind, platform::Graphic::Point);
            ASSERT_EQ(p.color.rgb(), s.color);
            ASSERT_DOUBLE_EQ(p.y1, -2 * p.x1 * p.x1);
            if (n > 0) {
                ASSERT_NEAR(p.x1 - gr[i - 1].x1, s.step, 1e-9);
            }
            const QPointF at = m.toTwips(p.x1, p.y1);
            ASSERT_TRUE(at.x() >= 0 && at.x() <= kBoxSize && at.y() >= 0 && at.y() <= kBoxSize);
        }
        EXPECT_EQ(gr[first].x1, s.start);
        EXPECT_LE(gr[i - 1].x1, s.end);
        EXPECT_GT(gr[i - 1].x1 + s.step, s.end);
    }
}

TEST(TutorScripts, graphReadingStartsFromAFreshExplanationBox) {
    for (int q : {29, 30}) {
        TutorBoxes b;
        tutor::printExample(b.picture1, q);
        for (int k = 1; k <= 3; ++k) tutor::performStep(b.picture1, b.picture2, q, k);
        const auto &items = b.picture1.printed();
        ASSERT_FALSE(items.isEmpty());
        EXPECT_EQ(str(items.first().text), " 【例題】") << q;
        EXPECT_EQ(items.first().y, kLine) << q;
        EXPECT_FALSE(b.picture2.graphics().isEmpty()) << q;  // the graph stays
    }
}

}  // namespace
