// SPDX-License-Identifier: GPL-3.0-or-later
// What each question asks: its topic and title, and its problem as text.
#include "bank/Topics.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct Expected {
    const char *topic;
    int first, last;
};

// The course's topics as the teacher reads them, in order.
constexpr Expected kTopics[] = {
    {"平方根", 1, 4},          {"√の変形と乗除", 5, 10}, {"√をふくむ式の計算", 11, 16},
    {"因数分解", 17, 21},      {"２次方程式", 22, 26},   {"関数ｙ＝ａｘ²", 27, 30},
};

TEST(Topics, EveryQuestionHasOneTopicAndOneTitleOfItsOwn) {
    const auto topics = bank::topics();
    ASSERT_EQ(topics.size(), std::size(kTopics));
    std::set<std::string> titles;
    int q = 1;
    for (size_t i = 0; i < topics.size(); ++i) {
        EXPECT_STREQ(topics[i].name, kTopics[i].topic);
        EXPECT_EQ(topics[i].first, kTopics[i].first) << kTopics[i].topic;
        EXPECT_EQ(topics[i].last, kTopics[i].last) << kTopics[i].topic;
        for (; q <= kTopics[i].last; ++q) {
            EXPECT_EQ(bank::topicOf(q), &topics[i]) << q;
            const char *title = bank::titleOf(q);
            ASSERT_NE(title, nullptr) << q;
            const int length = int(QString::fromUtf8(title).size());
            EXPECT_TRUE(length >= 4 && length <= 20) << q << " " << title;
            titles.insert(title);
        }
    }
    EXPECT_EQ(q, 31);
    EXPECT_EQ(titles.size(), 30u);
    for (int outside : {0, 31, -1}) {
        EXPECT_EQ(bank::topicOf(outside), nullptr);
        EXPECT_EQ(bank::titleOf(outside), nullptr);
    }
}

// The problem as drawn, the raised exponents written after their bases.
TEST(Topics, ProblemTextReadsAsDrawnWithRaisedExponents) {
    const struct {
        int n, v;
        const char *text;
    } cases[] = {
        {1, 1, "１６の平方根を求めよ。"},
        {12, 1, "次の計算をせよ。\n(２ ＋ ４√３)(３ － √３)"},
        {12, 3, "次の計算をせよ。\n(３ ＋ ２√２)²"},
        {17, 1, "次の式を因数分解したときの１つのカッコの中を求めよ。\n４ ｘ³ ｙ²－２ ｘ² ｙ³"},
        {18, 2, "次の式を因数分解したときの１つのカッコの中を求めよ。\nｘ² ＋ ｘ － ４２"},
        {23, 1, "次の２次方程式を解け。\n９(ｘ＋４)² ＝ ３６"},
        {29, 1, "関数 ｙ＝－２ｘ² について、ｘの変域が次のとき、\nｙの変域を求めよ。\n－１≦ｘ≦３"},
    };
    for (const auto &c : cases) EXPECT_EQ(bank::problemText(c.n, c.v), QString::fromUtf8(c.text)) << c.n << "/" << c.v;
    EXPECT_TRUE(bank::problemText(31, 1).isEmpty());
    EXPECT_TRUE(bank::problemText(1, 4).isEmpty());
    // No variant leaves an exponent line or a digit group unplaced.
    for (int n = 1; n <= 30; ++n)
        for (int v = 1; v <= 3; ++v) {
            const QString text = bank::problemText(n, v);
            EXPECT_FALSE(text.contains("  ")) << n << "/" << v << " " << text.toStdString();
            EXPECT_FALSE(text.contains("（2")) << n << "/" << v << " " << text.toStdString();
        }
}

}  // namespace
