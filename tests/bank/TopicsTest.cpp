// SPDX-License-Identifier: GPL-3.0-or-later
// What each question asks: its topic and title, and its problem as text.
#include "bank/Topics.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Every question has the topic whose range holds it and a short title of its
// own; nothing outside 1..30 has either.  (The topics' names and ranges are
// checked whole where the report lists them.)
TEST(Topics, EveryQuestionHasOneTopicAndOneTitleOfItsOwn) {
    std::set<std::string> titles;
    for (int q = 1; q <= 30; ++q) {
        const bank::Topic *topic = bank::topicOf(q);
        ASSERT_NE(topic, nullptr) << q;
        EXPECT_TRUE(topic->first <= q && q <= topic->last) << q << " " << topic->name;
        const char *title = bank::titleOf(q);
        ASSERT_NE(title, nullptr) << q;
        EXPECT_TRUE(QString::fromUtf8(title).size() >= 4 && QString::fromUtf8(title).size() <= 20) << q << " " << title;
        titles.insert(title);
    }
    EXPECT_EQ(titles.size(), 30u);
    for (int outside : {0, 31, -1}) {
        EXPECT_EQ(bank::topicOf(outside), nullptr);
        EXPECT_EQ(bank::titleOf(outside), nullptr);
    }
}

// The problem as drawn, the raised exponents written after their bases.
TEST(Topics, ProblemTextReadsAsDrawnWithRaisedExponents) {
    // (Variant 1 of questions 1, 12 and 17 is checked where the report shows it.)
    const struct { int n, v; const char *text; } cases[] = {
        {12, 3, "次の計算をせよ。\n(３ ＋ ２√２)²"},
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
