// SPDX-License-Identifier: GPL-3.0-or-later
// The class's 課題 in the review: what a round holds and in what order,
// and a pupil's rounds from the teacher's message to 「課題は全部できました」.
#include "bank/QuestionBank.h"
#include "platform/PictureBox.h"
#include "screens/review/Review.h"
#include "screens/review/ReviewMix.h"
#include "screens/review/ReviewScreen.h"
#include "screens/review/ReviewSummary.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QFile>

using namespace testing_support;

namespace {

state::assignment::Assignment assignmentOf(std::vector<int> q, QDate test = {}) { return {q, QDateTime(QDate(2026, 12, 7), QTime(8, 0)), test}; }

TEST(AssignmentRound, MadeOfTheDueAndThe課題LeftMixedByTopic) {
    // The pupil's misses, the 課題 (none: no 課題), its marks in the record (answering an earlier 課題?).
    const struct Row { const char *what; std::vector<std::pair<int, short>> misses; std::vector<int> assigned;
        std::vector<std::pair<int, char>> marks; bool earlier課題; std::vector<int> expected; } rows[] = {
        {"own due, topics apart until only one is left", {{17, 3}, {18, 2}, {3, 1}, {19, 1}}, {}, {}, false, {17, 3, 18, 19}},
        {"課題 only, one topic", {}, {17, 18, 19, 20}, {}, false, {17, 18, 19, 20}},
        {"both", {{2, 1}, {12, 1}}, {17, 18, 19}, {}, false, {17, 2, 18, 12, 19}},
        {"a 課題 question also due is asked once", {{18, 1}, {5, 1}}, {17, 18}, {}, false, {17, 5, 18}},
        {"done left out, wrong asked again", {}, {17, 18, 19}, {{17, 'o'}, {18, 'x'}}, false, {18, 19}},
        {"answers to an earlier 課題 do not count", {}, {17, 18, 19}, {{17, 'o'}}, true, {17, 18, 19}},
        {"all done, nothing due", {}, {17}, {{17, 'o'}}, false, {}},
        {"ten of their own at most, and the whole 課題",
         {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}, {9, 1}, {10, 1}, {11, 1}, {12, 1}},
         {27, 28}, {}, false, {5, 1, 6, 2, 7, 3, 8, 27, 9, 4, 10, 28}},
    };
    for (const Row &row : rows) {
        state::Session progress;
        progress.question = 30;
        for (const auto &[q, n] : row.misses) progress.misses[q] = n;
        state::review::Record record;
        record.assignment.set = QDateTime(QDate(2026, 12, row.earlier課題 ? 1 : 7), QTime(8, 0));
        for (const auto &[q, mark] : row.marks) record.assignment.marks[q] = mark;
        std::optional<state::assignment::Assignment> a;
        if (!row.assigned.empty()) a = assignmentOf(row.assigned);
        EXPECT_EQ(review::chooseRound(progress, record, a, QDate(2026, 12, 7)), row.expected) << row.what;
    }
}

class AssignmentReview : public ScreenTest {
protected:
    screens::ReviewScreen *screen() { return open<screens::ReviewScreen>(ScreenId::Review); }
    QString bubble() { return screen()->board.speechBox->accessibleDescription().section('\n', 0, 0); }
    void answerAndGoOn(bool right) {
        const review::Round::Item *item = review::current().round->current();
        const int k = item ? bank::rightButton(item->question, item->variant) : 1;
        for (int b : {right ? k : k % 8 + 1, k, -1}) click(b < 0 ? screen()->board.nextButton : screen()->board.answerButtons[b]);
        settle();
    }
};

TEST_F(AssignmentReview, TheTeachersMessageAMixedRoundAndThe課題DoneAtTheEnd) {
    state::Session saved;
    saved.question = 30, saved.misses[3] = 1, saved.userCode = "aki";
    state::progress::save(saved);
    ASSERT_NO_THROW(state::assignment::write(QString(), assignmentOf({17, 18}, QDate(2026, 12, 15))));
    clock.day = QDate(2026, 12, 7), dialogs.inputAnswers = {"aki"};
    ASSERT_TRUE(review::start());
    EXPECT_EQ(dialogs.calls.value(1), "choose|先生からの課題：因数分解 2問（12月15日のテストまで）|ぽむりん紀行20|はじめる");
    screens::showScreen(ScreenId::Review);
    // 17 and 18 of one topic, 3 of another between them; 18 missed once.
    QStringList seen;
    for (bool right : {true, true, false, true}) {
        ASSERT_NE(screen(), nullptr);
        seen << QString::number(review::current().round->current()->question) + bubble();
        answerAndGoOn(right);
    }
    EXPECT_EQ(seen, QStringList({"17「先生からの課題だ。できるかな？」", "3「前に間違えた問題だ。今度はできるかな？」",
                                 "18「先生からの課題だ。できるかな？」", "18「さっき間違えた問題だ。今度はできるかな？」"}));
    EXPECT_EQ(open<screens::ReviewSummary>(ScreenId::ReviewSummary)->wordLabel->text(), "3問中2問が一度で正解！\n間違えた問題は、また出てくるぞ！");
    // 17 done and off the ladder; 18 missed: on its first step.
    QFile record("aki.review");
    EXPECT_EQ(record.open(QIODevice::ReadOnly) ? record.readAll() : "", "pomurin20 review 4\r\n3,1,1,1,2026-12-07,2026-12-08,1\r\n18,1,0,1,2026-12-07,2026-12-08,0\r\n"
                                "assignment,2026-12-07 08:00:00,17o,18x\r\n");
    // Again: only 18 is left; right, and the 課題 is done.
    click(open<screens::ReviewSummary>(ScreenId::ReviewSummary)->againButton);
    settle();
    ASSERT_TRUE(screen() && review::current().round->length() == 1);
    answerAndGoOn(true);
    EXPECT_EQ(open<screens::ReviewSummary>(ScreenId::ReviewSummary)->wordLabel->text(), "課題は全部できました！\n全部一度で正解！よくがんばったな！");
    dialogs.choices = {1};
    click(open<screens::ReviewSummary>(ScreenId::ReviewSummary)->againButton);
    EXPECT_EQ(dialogs.calls.last(), "choose|課題は全部できました。\n今日復習する問題はありません。\n次の復習は12月8日（火）です。\n"
                                    "先取りで練習することもできます。|ぽむりん紀行20|先取りで練習/終了");
    // A damaged 課題 is none: the next start (the program run again) has no message and the pupil's own review.
    ASSERT_TRUE(QFile::resize("課題.txt", 20));
    clock.day = QDate(2026, 12, 8), dialogs.calls.clear(), dialogs.inputAnswers = {"aki"}, platform::forms::resetForTests();
    ASSERT_TRUE(review::start());
    EXPECT_TRUE(dialogs.calls.size() == 1 && !review::current().assignment && review::current().round->length() == 2) << "3 and 18, still due on its own day";
}

}  // namespace
