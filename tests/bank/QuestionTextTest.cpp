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

const char *const kClosing = "　　　　下の解答群から適するものを１つ選び、クリックしなさい。";
const char *const kBlankClosing = "        下の解答群から適するものを１つ選び、クリックしなさい。";
const char *const kFractionNote[] = {
    "　　　　　　　　　　　　　　　　ｂ",
    " 　　　　※ ｂ／ａ は 分数 ― のことである。",
    "　　　　　　　　　　　　　　　　ａ",
};

// "　【問題１】" .. "　【問題９】" with full-width digits, then ASCII digits.
std::string heading(int n) {
    static const char *const kFullWidth[] = {"０", "１", "２", "３", "４",
                                             "５", "６", "７", "８", "９"};
    return std::string("　【問題") + (n < 10 ? kFullWidth[n] : std::to_string(n)) + "】";
}

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

std::vector<std::string> expectedOnActivation(const expected::VariantText &e) {
    const QColor black = platform::paletteColor(0);
    const QColor red = platform::paletteColor(12);
    auto add = [](std::vector<std::string> &rows, const char *text, int y, const QColor &c) {
        rows.push_back(row(QString::fromUtf8(text), 0, y, c));
    };
    std::vector<std::string> rows;
    // The blank first line prints nothing; the heading is the second line.
    add(rows, heading(e.n).c_str(), 225, black);
    int y = 450;
    if (const char *instruction = expected::kInstruction[e.n]) {
        add(rows, instruction, y, black);
        y += 225;
    }
    for (const expected::Line &line : e.problem) {
        add(rows, line.text, line.y, black);
        y = line.y + 225;
    }
    const bool blankClosing = e.n == 23 && e.v != 2;
    add(rows, blankClosing ? kBlankClosing : kClosing, y, black);
    if (e.n == 6 || e.n == 8) {
        for (const char *line : kFractionNote) add(rows, line, y += 225, red);
    }
    return rows;
}

class DrawnQuestion : public ::testing::TestWithParam<expected::VariantText> {};

TEST_P(DrawnQuestion, showsItsLinesInPlaceOnActivation) {
    const auto &e = GetParam();
    EXPECT_EQ(drawn(e.n, e.v, Path::Activation), expectedOnActivation(e));
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
    std::vector<std::string> onNext = expectedOnActivation(e);
    if (e.n == 9 || e.n == 10)
        onNext[1] = row(QStringLiteral("　　　　分母に√がない形にせよ。"), 0, 450, platform::paletteColor(0));
    if (e.n == 23 && e.v == 2)
        onNext.back() = row(QString::fromUtf8(kBlankClosing), 0, 975, platform::paletteColor(0));
    EXPECT_EQ(drawn(e.n, e.v, Path::Next), onNext);
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
