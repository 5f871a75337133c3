// SPDX-License-Identifier: GPL-3.0-or-later
// Raised exponents: every digit of an exponent line must land at the upper
// right of the glyph it belongs to, whatever the width of a blank in the
// question area's font.

#include "ExpectedQuestions.h"
#include "QuestionAreaFixture.h"

#include "screens/quiz/QuestionText.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <string>
#include <vector>

namespace {

constexpr double kTolerance = 0.5;  // twips; widths are fractional
constexpr QChar kIdeographicSpace(0x3000);

// A gap of a base line: a run of two or more ASCII blanks right after a
// glyph that is not a blank.  The digit placed there must sit between the
// end of that glyph and the start of the next visible one.
struct Gap {
    QString glyph;
    double glyphEnd = 0;
    double nextGlyph = 0;
};

std::vector<Gap> gapsOf(const platform::ConsoleModel &area, const platform::PrintedText &base) {
    std::vector<Gap> gaps;
    const QString &t = base.text;
    for (int i = 1; i < t.size(); ++i) {
        const QChar before = t[i - 1];
        if (t[i] != QLatin1Char(' ') || before == QLatin1Char(' ') || before == kIdeographicSpace)
            continue;
        int end = i;
        while (end < t.size() && t[end] == QLatin1Char(' ')) ++end;
        if (end - i < 2) continue;
        Gap gap;
        gap.glyph = QString(before);
        gap.glyphEnd = base.x + area.textWidth(t.left(i));
        // A trailing gap is bounded by the right edge of the area only.
        gap.nextGlyph = end < t.size() ? base.x + area.textWidth(t.left(end)) : area.widthTwips();
        gaps.push_back(gap);
    }
    return gaps;
}

int digitGroups(const QString &exponentLine) {
    static const QRegularExpression kDigits(QStringLiteral("[0-9]+"));
    int count = 0;
    for (auto it = kDigits.globalMatch(exponentLine); it.hasNext(); it.next()) ++count;
    return count;
}

class RaisedExponent : public ::testing::TestWithParam<expected::VariantText> {};

TEST_P(RaisedExponent, digitsStandAtTheUpperRightOfTheirGlyphs) {
    const auto &e = GetParam();
    platform::ConsoleModel area = testing_bank::makeQuestionArea();
    quiz::printQuestion(area, e.n, e.v, bank::Path::Activation);

    std::vector<int> exponentLines;
    for (int i = 0; i < area.printed().size(); ++i)
        if (area.isExponentLine(i)) exponentLines.push_back(i);

    if (e.powers.empty()) {
        EXPECT_TRUE(exponentLines.empty());
        return;
    }
    ASSERT_EQ(exponentLines.size(), 1u);
    const int index = exponentLines.front();
    const platform::PrintedText &exponent = area.printed()[index];
    const platform::PrintedText &base = area.printed()[index + 1];
    // The base line is moved up so that it overlaps the exponent line.
    EXPECT_GT(base.y, exponent.y);
    EXPECT_LT(base.y, exponent.y + area.lineHeight());

    const std::vector<Gap> gaps = gapsOf(area, base);
    // As many digit groups as gaps: the literal fallback never applies.
    ASSERT_EQ(digitGroups(exponent.text), static_cast<int>(gaps.size()));
    ASSERT_EQ(gaps.size(), e.powers.size());

    const QVector<platform::PlacedExponent> placed = area.exponentPlacement(index);
    ASSERT_EQ(placed.size(), static_cast<int>(e.powers.size()));
    for (int k = 0; k < placed.size(); ++k) {
        SCOPED_TRACE("exponent " + std::to_string(k + 1));
        EXPECT_EQ(placed[k].digits, QString::fromUtf8(e.powers[k].digits));
        EXPECT_EQ(gaps[k].glyph, QString::fromUtf8(e.powers[k].base));
        EXPECT_GE(placed[k].x, gaps[k].glyphEnd - kTolerance);
        EXPECT_NEAR(placed[k].width, area.exponentWidth(placed[k].digits), kTolerance);
        EXPECT_LE(placed[k].x + placed[k].width, gaps[k].nextGlyph + kTolerance);
    }
}

INSTANTIATE_TEST_SUITE_P(AllVariants, RaisedExponent, ::testing::ValuesIn(expected::kVariants),
                         expected::testName);

}  // namespace
