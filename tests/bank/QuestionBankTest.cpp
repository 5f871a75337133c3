// SPDX-License-Identifier: GPL-3.0-or-later
// The answer key and the records' lookup.

#include "ExpectedQuestions.h"

#include "bank/QuestionBank.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>

namespace {

class AnswerKey : public ::testing::TestWithParam<expected::VariantText> {};

// Every caption, the wrong ones included, and the one right button, as the
// independent table gives them.
TEST_P(AnswerKey, captionsAndRightButtonMatchTheTable) {
    const auto &e = GetParam();
    const bank::Question *q = bank::question(e.n);
    ASSERT_NE(q, nullptr);
    const bank::Variant &variant = q->variants[e.v - 1];
    for (int k = 1; k <= 7; ++k) EXPECT_STREQ(variant.captions[k - 1], e.captions[k - 1]) << "Command" << k;
    EXPECT_EQ(bank::rightButton(e.n, e.v), e.right);
    for (int k = 1; k <= 8; ++k) EXPECT_EQ(bank::isRight(e.n, e.v, k), k == e.right) << "Command" << k;
}

TEST_P(AnswerKey, sevenDistinctCaptionsBesideTheOtherButton) {
    const auto &e = GetParam();
    const bank::Variant &variant = bank::question(e.n)->variants[e.v - 1];
    std::set<std::string> seen;
    for (const char *caption : variant.captions) {
        ASSERT_NE(caption, nullptr);
        EXPECT_GT(std::strlen(caption), 0u);
        EXPECT_STRNE(caption, bank::kOtherCaption);
        seen.insert(caption);
    }
    EXPECT_EQ(seen.size(), 7u);
}

INSTANTIATE_TEST_SUITE_P(AllVariants, AnswerKey, ::testing::ValuesIn(expected::kVariants),
                         expected::testName);

TEST(AnswerKey, everyQuestionHasThreeVariantsInOrder) {
    ASSERT_EQ(expected::kVariants.size(), 90u);
    for (int n = bank::kFirstQuestion; n <= bank::kLastQuestion; ++n) {
        const bank::Question *q = bank::question(n);
        ASSERT_NE(q, nullptr) << n;
        EXPECT_EQ(q->number, n);
    }
}

// The check depends on the variant as well as the question: in the second
// half of the course no two variants share their right button.
TEST(AnswerKey, secondHalfVariantsHaveThreeDifferentRightButtons) {
    for (int n = 16; n <= 30; ++n) {
        std::set<int> rights;
        for (int v = 1; v <= 3; ++v) rights.insert(bank::rightButton(n, v));
        EXPECT_EQ(rights.size(), 3u) << "question " << n;
    }
}

TEST(AnswerKey, otherButtonReadsSonota) {
    EXPECT_STREQ(bank::kOtherCaption, "その他");
}

TEST(AnswerKey, outOfRangeQuestionsAreAbsent) {
    for (int n : {INT_MIN, -1, 0, 31, 32, INT_MAX}) EXPECT_EQ(bank::question(n), nullptr) << n;
}

TEST(AnswerKey, outOfRangeArgumentsAreNeverRight) {
    const int pairs[][2] = {{0, 1},  {31, 1}, {-1, 2},      {INT_MIN, 1}, {INT_MAX, 3},
                            {1, 0},  {1, 4},  {30, -1},     {15, INT_MAX}, {16, INT_MIN}};
    for (const auto &p : pairs) {
        EXPECT_EQ(bank::rightButton(p[0], p[1]), 0) << p[0] << "," << p[1];
        for (int k = -1; k <= 9; ++k) EXPECT_FALSE(bank::isRight(p[0], p[1], k)) << k;
    }
    // A valid variant with an impossible button number.
    for (int k : {INT_MIN, -1, 0, 8, 9, INT_MAX}) {
        EXPECT_FALSE(bank::isRight(1, 1, k)) << k;
        EXPECT_FALSE(bank::isRight(30, 3, k)) << k;
    }
}

}  // namespace
