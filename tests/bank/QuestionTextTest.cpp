// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing a question into the question area: the lines, where they stand,
// their colours, and what changes with the path.

#include "ExpectedQuestions.h"
#include "QuestionAreaFixture.h"

#include "screens/quiz/QuestionText.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using bank::Path;

// One printed piece as a readable row, so that a mismatch shows the text.
std::string row(const QString &text, double x, double y, const QColor &color) {
    return "x=" + std::to_string(static_cast<int>(x)) + " y=" + std::to_string(static_cast<int>(y)) +
           " " + color.name().toStdString() + " [" + text.toStdString() + "]";
}

std::vector<std::string> drawn(int n, int v, Path path) {
    platform::ConsoleModel area = testing_bank::makeQuestionArea();
    quiz::printQuestion(area, n, v, path);
    std::vector<std::string> rows;
    for (const platform::PrintedText &p : area.printed()) rows.push_back(row(p.text, p.x, p.y, p.color));
    return rows;
}

// The rows the independent table gives; every line starts at the left edge.
std::vector<std::string> expectedRows(const expected::VariantText &e, Path path) {
    std::vector<std::string> rows;
    for (const expected::AreaLine &l : expected::questionArea(e, path == Path::Next))
        rows.push_back(row(QString::fromStdString(l.text), 0, l.y, platform::paletteColor(l.palette)));
    return rows;
}

class DrawnQuestion : public ::testing::TestWithParam<expected::VariantText> {};

TEST_P(DrawnQuestion, showsItsLinesInPlaceOnActivation) {
    const auto &e = GetParam();
    EXPECT_EQ(drawn(e.n, e.v, Path::Activation), expectedRows(e, Path::Activation));
}

TEST_P(DrawnQuestion, fitsInTheQuestionAreaAndEndsInBlack) {
    const auto &e = GetParam();
    for (Path path : {Path::Activation, Path::Next}) {
        platform::ConsoleModel area = testing_bank::makeQuestionArea();
        quiz::printQuestion(area, e.n, e.v, path);
        ASSERT_FALSE(area.printed().isEmpty());
        for (const platform::PrintedText &p : area.printed()) {
            EXPECT_FALSE(area.isClipped(p)) << p.text.toStdString();
            EXPECT_LE(area.textWidth(p.text), area.widthTwips()) << p.text.toStdString();
        }
        EXPECT_EQ(area.color(), platform::paletteColor(0));
    }
}

// Only the instruction of questions 9 and 10 and the closing line of
// question 23 variant 2 depend on the path.
TEST_P(DrawnQuestion, nextPathDiffersOnlyWhereItMust) {
    const auto &e = GetParam();
    EXPECT_EQ(drawn(e.n, e.v, Path::Next), expectedRows(e, Path::Next));
}

INSTANTIATE_TEST_SUITE_P(AllVariants, DrawnQuestion, ::testing::ValuesIn(expected::kVariants),
                         expected::testName);

TEST(DrawnQuestion, continuesFromThePrintPosition) {
    // The caller clears the area first; what is drawn starts where the print
    // position stands and leaves it below the last line.
    platform::ConsoleModel area = testing_bank::makeQuestionArea();
    quiz::printQuestion(area, 5, 1, Path::Activation);
    EXPECT_DOUBLE_EQ(area.currentY(), 1125);
    area.clear();
    area.setY(300);
    quiz::printQuestion(area, 1, 1, Path::Next);
    ASSERT_EQ(area.printed().size(), 3);
    EXPECT_DOUBLE_EQ(area.printed()[0].y, 525);
    EXPECT_EQ(area.printed()[0].text, QStringLiteral("　【問題１】"));
}

TEST(DrawnQuestion, outOfRangeDrawsNothing) {
    const int pairs[][2] = {{0, 1}, {31, 1}, {-5, 2}, {INT_MIN, 3}, {1, 0}, {1, 4}, {30, INT_MAX}};
    for (const auto &p : pairs) {
        for (Path path : {Path::Activation, Path::Next}) {
            platform::ConsoleModel area = testing_bank::makeQuestionArea();
            quiz::printQuestion(area, p[0], p[1], path);
            EXPECT_TRUE(area.printed().isEmpty()) << p[0] << "," << p[1];
            EXPECT_DOUBLE_EQ(area.currentY(), 0);
        }
    }
}

}  // namespace
