// SPDX-License-Identifier: GPL-3.0-or-later
// The text-box console: line-by-line printing, positions, colours,
// clearing, clipping, columns, user coordinates, and where raised exponent
// digits are drawn.
#include "platform/ConsoleModel.h"
#include "platform/Fonts.h"

#include <gtest/gtest.h>

using platform::ConsoleModel;
using platform::PrintedText;

namespace {

const QString I = QString(QChar(0x3000));  // ideographic space
QString ideo(int n) { return I.repeated(n); }
QString blanks(int n) { return QString(n, QLatin1Char(' ')); }

ConsoleModel questionArea() {
    // The quiz screens' question area: 11.25 pt gothic, 15 px = 225 twips per line.
    return ConsoleModel(platform::makeFont(platform::Face::Gothic, 11.25), 6315, 1875);
}

TEST(Console, PrintsLineByLineFromTheLeftEdge) {
    ConsoleModel c = questionArea();
    EXPECT_EQ(c.lineHeight(), 225);
    c.newLine();
    c.print("見出し");
    c.print("二行目");
    ASSERT_EQ(c.printed().size(), 2);
    EXPECT_EQ(c.printed()[0].y, 225);
    EXPECT_EQ(c.printed()[1].y, 450);
    EXPECT_EQ(c.printed()[1].x, 0);
    EXPECT_EQ(c.currentY(), 675);
    EXPECT_EQ(c.currentX(), 0);
}

TEST(Console, StayOnTheLineContinuesAfterTheTextWidth) {
    ConsoleModel c = questionArea();
    c.printStay("ｙ＝");
    c.setColor(platform::paletteColor(12));
    c.printStay("－２ｘ");
    c.print("です");
    ASSERT_EQ(c.printed().size(), 3);
    EXPECT_DOUBLE_EQ(c.printed()[1].x, c.textWidth("ｙ＝"));
    EXPECT_DOUBLE_EQ(c.printed()[2].x, c.textWidth("ｙ＝") + c.textWidth("－２ｘ"));
    EXPECT_EQ(c.printed()[2].y, 0);
    EXPECT_EQ(c.printed()[0].color, QColor(Qt::black));
    EXPECT_EQ(c.printed()[1].color, QColor(255, 0, 0));
    EXPECT_EQ(c.printed()[2].color, QColor(255, 0, 0));  // colour stays until changed
    EXPECT_EQ(c.currentY(), 225);
    EXPECT_EQ(c.readableText(), QString("ｙ＝－２ｘです"));
}

TEST(Console, SetYMovesOnlyTheVerticalPosition) {
    ConsoleModel c = questionArea();
    c.printStay("abc");
    const double x = c.currentX();
    c.setY(750);
    EXPECT_EQ(c.currentX(), x);
    c.print("z");
    EXPECT_EQ(c.printed().last().y, 750);
    EXPECT_EQ(c.currentY(), 975);
}

TEST(Console, ClearEmptiesTheBoxAndReturnsToTheTop) {
    ConsoleModel c = questionArea();
    c.print("a");
    c.line(0, 0, 10, 10, Qt::black);
    c.setY(900);
    c.clear();
    EXPECT_TRUE(c.printed().isEmpty());
    EXPECT_TRUE(c.graphics().isEmpty());
    EXPECT_EQ(c.currentX(), 0);
    EXPECT_EQ(c.currentY(), 0);
    EXPECT_EQ(c.readableText(), QString());
}

TEST(Console, TextBelowTheBottomEdgeIsClipped) {
    // The mascot's speech box: 9 pt mincho, 12 px = 180 twips per line.
    ConsoleModel c(platform::makeFont(platform::Face::Mincho, 9), 4155, 555);
    c.print("一");
    c.print("二");
    c.print("三");
    c.print("四");
    ASSERT_EQ(c.printed().size(), 4);
    EXPECT_FALSE(c.isClipped(c.printed()[2]));  // 360 + 180 <= 555
    EXPECT_TRUE(c.isClipped(c.printed()[3]));   // starts at 540
}

TEST(Console, ColumnsAreAverageCharacterWidths) {
    ConsoleModel c(platform::makeFont(platform::Face::Gothic, 11.25), 3315, 3315);
    c.printAtColumn(1, "y");
    c.printAtColumn(9, "-2");
    const double col = QFontMetricsF(c.font()).averageCharWidth() * 15;
    EXPECT_EQ(c.printed()[0].x, 0);
    EXPECT_DOUBLE_EQ(c.printed()[1].x, 8 * col);
    EXPECT_EQ(c.printed()[1].y, 225);
}

TEST(Console, UserScaleMapsCornersAndKeepsText) {
    ConsoleModel c(platform::makeFont(platform::Face::Gothic, 11.25), 3000, 3000);
    c.print("y");
    c.setScale(-4, 30, 4, -30);
    EXPECT_EQ(c.toTwips(-4, 30), QPointF(0, 0));
    EXPECT_EQ(c.toTwips(4, -30), QPointF(3000, 3000));
    EXPECT_EQ(c.toTwips(0, 0), QPointF(1500, 1500));
    c.point(1, -2, Qt::red);
    c.circle(0, 0, 1, Qt::blue);
    EXPECT_EQ(c.graphics().size(), 2);
    EXPECT_EQ(c.printed().size(), 1);
    c.setScale(1, 1, 1, 5);  // degenerate: ignored rather than dividing by zero
    EXPECT_EQ(c.toTwips(4, -30), QPointF(3000, 3000));
}

// --- Raised exponents ------------------------------------------------------

// Prints an exponent line, moves up to y and prints the base line in
// pieces; returns the console.
struct ExponentCase {
    const char *name;
    QString exponent;
    double baseY;
    QStringList basePieces;  // printed with "stay" except the last
    int blankLinesBefore;
    // For each digit group, the base text that ends right where it belongs.
    QStringList glyphEnds;
};

class ExponentPlacement : public ::testing::TestWithParam<ExponentCase> {};

TEST_P(ExponentPlacement, DigitStandsAtTheUpperRightOfItsBase) {
    const ExponentCase &p = GetParam();
    ConsoleModel c = questionArea();
    for (int i = 0; i < p.blankLinesBefore; ++i) c.print("x");  // lines above
    const int index = int(c.printed().size());
    c.print(p.exponent);
    c.setY(p.baseY);
    for (int i = 0; i < p.basePieces.size(); ++i) {
        if (i + 1 < p.basePieces.size())
            c.printStay(p.basePieces[i]);
        else
            c.print(p.basePieces[i]);
    }
    ASSERT_TRUE(c.isExponentLine(index));
    const auto placed = c.exponentPlacement(index);
    ASSERT_EQ(placed.size(), p.glyphEnds.size());
    const QString base = p.basePieces.join(QString());
    for (int k = 0; k < placed.size(); ++k) {
        const double glyphEnd = c.textWidth(p.glyphEnds[k]);
        EXPECT_GE(placed[k].x, glyphEnd - 0.01) << p.name << " digit " << k;
        // The digit ends before the next visible glyph of the base line.
        int next = int(p.glyphEnds[k].size());
        while (next < base.size() && (base[next] == ' ' || base[next] == QChar(0x3000))) ++next;
        if (next < base.size()) {
            EXPECT_NEAR(placed[k].width, c.exponentWidth(placed[k].digits), 0.01);
            EXPECT_LE(placed[k].x + placed[k].width, c.textWidth(base.left(next)) + 0.01)
                << p.name << " digit " << k;
        }
    }
    // The printed text stays the literal.
    EXPECT_EQ(c.printed()[index].text, p.exponent);
}

INSTANTIATE_TEST_SUITE_P(
    HardCases, ExponentPlacement,
    ::testing::Values(
        // (3 + 2√2) squared: the digit after the closing parenthesis.
        ExponentCase{"square_of_sum", ideo(5) + blanks(16) + "2", 750, {ideo(5) + "(３ ＋ ２√２)  "}, 3,
                     {ideo(5) + "(３ ＋ ２√２)"}},
        // 4x^3y^2 - 2x^2y^3: four digits over four letters.
        ExponentCase{"four_powers", ideo(5) + "     3   2        2   3", 750,
                     {ideo(5) + "４ ｘ   ｙ  －２ ｘ   ｙ  "}, 3,
                     {ideo(5) + "４ ｘ", ideo(5) + "４ ｘ   ｙ", ideo(5) + "４ ｘ   ｙ  －２ ｘ",
                      ideo(5) + "４ ｘ   ｙ  －２ ｘ   ｙ"}},
        // 5xy^3 - 10x^3y^2: the single blank after the first x is no gap.
        ExponentCase{"skips_single_blank", ideo(5) + "       3            3   2", 750,
                     {ideo(5) + "５ ｘ ｙ   － １０ ｘ   ｙ  "}, 3,
                     {ideo(5) + "５ ｘ ｙ", ideo(5) + "５ ｘ ｙ   － １０ ｘ", ideo(5) + "５ ｘ ｙ   － １０ ｘ   ｙ"}},
        // Blanks inside the indentation follow an ideographic space: no gap.
        ExponentCase{"blanks_in_indentation", ideo(5) + "  2", 750, {ideo(3) + "  " + ideo(1) + "ｘ   － １２ｘ ＋ ３５"},
                     3, {ideo(3) + "  " + ideo(1) + "ｘ"}},
        // A base line printed in coloured pieces, the gap inside the first.
        ExponentCase{"pieces", ideo(3) + "         2", 1790, {ideo(2) + "ｙ＝－２ｘ   ", " のグラフを"}, 7,
                     {ideo(2) + "ｙ＝－２ｘ"}},
        // A gap that spans two pieces.
        ExponentCase{"gap_across_pieces", ideo(4) + "    2", 750, {ideo(2) + "３ｙｘ ", " ＋３ｙｘ－６ｙ"}, 3,
                     {ideo(2) + "３ｙｘ"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ExponentPlacementRule, KeepsLiteralPositionsWhenCountsDiffer) {
    auto width = [](const QString &t) { return double(t.size()) * 100; };
    auto digit = [](const QString &t) { return double(t.size()) * 200; };  // wider than a gap
    const QVector<PrintedText> base = {{"ab  cd", 0, 100, Qt::black}};  // one gap
    const auto placed = platform::placeExponentDigits("  2  3", 0, base, width, digit);
    ASSERT_EQ(placed.size(), 2);
    EXPECT_EQ(placed[0].x, 200);  // literal: two blanks before it
    EXPECT_EQ(placed[1].x, 500);
    const auto one = platform::placeExponentDigits("     2", 0, base, width, digit);
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0].x, 200);  // the gap after "ab", no room to move right
    const auto narrow = platform::placeExponentDigits("     2", 0, base, width, [](const QString &) { return 50.0; });
    EXPECT_EQ(narrow[0].x, 215);  // a pixel of room after the glyph
}

TEST(ExponentPlacementRule, OnlyBlankAndDigitLinesOverlappedFromBelowAreExponents) {
    EXPECT_TRUE(platform::looksLikeExponentLine(ideo(2) + "  2"));
    EXPECT_FALSE(platform::looksLikeExponentLine("   "));
    EXPECT_FALSE(platform::looksLikeExponentLine("x 2"));
    EXPECT_FALSE(platform::looksLikeExponentLine("２"));  // full-width digits are text

    ConsoleModel c = questionArea();
    c.print("   2");
    c.print("ｘ  ");  // the next line, not overlapping
    EXPECT_FALSE(c.isExponentLine(0));
    c.clear();
    c.print("   2");  // last item: nothing overlaps it
    EXPECT_FALSE(c.isExponentLine(0));
}

}  // namespace
