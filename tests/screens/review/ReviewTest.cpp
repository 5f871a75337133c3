// SPDX-License-Identifier: GPL-3.0-or-later
// The review of missed questions: which questions a round asks, a round
// played from the code box to the summary, and what it reads and writes.
#include "bank/QuestionBank.h"
#include "platform/PictureBox.h"
#include "platform/Media.h"
#include "screens/Program.h"
#include "screens/review/Review.h"
#include "screens/review/ReviewScreen.h"
#include "screens/review/ReviewSummary.h"
#include "screens/tutor/TutorScreen.h"
#include "state/ProgressFile.h"
#include "support/Fakes.h"

#include <QApplication>
#include <QDate>
#include <QFile>
#include <QTimer>

using namespace testing_support;
using screens::ReviewScreen;
using screens::ReviewSummary;

namespace {

QByteArray bytesOf(const QString &name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void writeFile(const QString &name, const QByteArray &bytes) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

state::Session progressOn(int question, std::initializer_list<std::pair<int, short>> misses) {
    state::Session m;
    m.question = static_cast<short>(question);
    for (const auto &[q, n] : misses) m.misses[q] = n;
    return m;
}

TEST(ReviewChoice, MostMissesFirstTiesInCourseOrderReachedOnlyLearntLeftOutTenAtMost) {
    struct Row {
        const char *what;
        state::Session progress;
        std::vector<std::pair<int, int>> learntRun;  // question, run of first tries in the record
        std::vector<int> expected;
    } rows[] = {
        {"no misses", progressOn(12, {}), {}, {}},
        {"most misses first, ties in course order", progressOn(12, {{7, 1}, {3, 2}, {9, 4}, {4, 2}}), {}, {9, 3, 4, 7}},
        {"questions beyond the one reached are left out", progressOn(5, {{5, 1}, {6, 3}, {30, 9}}), {}, {5}},
        {"a damaged question number reaches nothing", progressOn(-3, {{1, 2}}), {}, {}},
        {"right at the first try twice in a row: learnt", progressOn(10, {{2, 1}, {4, 3}, {8, 2}}), {{4, 2}, {8, 1}},
         {8, 2}},
        {"at most 10",
         progressOn(30, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 5}, {6, 1}, {7, 1}, {8, 1}, {9, 1}, {10, 1}, {11, 1},
                         {29, 2}}),
         {},
         {5, 29, 1, 2, 3, 4, 6, 7, 8, 9}},
    };
    for (const Row &row : rows) {
        state::review::Record record;
        for (const auto &[q, run] : row.learntRun) record.entries[q] = {run, run, run, QDate(2026, 12, 1)};
        EXPECT_EQ(review::chooseQuestions(row.progress, record), row.expected) << row.what;
    }
}

class ReviewRound : public ScreenTest {
protected:
    ReviewScreen *screen() { return open<ReviewScreen>(ScreenId::Review); }
    // Clicks answer button k on the review screen.
    void answer(int k) {
        ASSERT_NE(screen(), nullptr);
        click(screen()->answerButtons[k]);
    }
    // Clicks the right answer of the question on show.
    void answerRight() {
        const review::Round::Item *item = review::current().round->current();
        ASSERT_NE(item, nullptr);
        answer(bank::rightButton(item->question, item->variant));
    }
    static QString printed(platform::PictureBox *box) { return box->accessibleDescription(); }
};

TEST_F(ReviewRound, PlayedFromTheCodeBoxToTheSummaryWritesTheRecordAndNotTheProgressFile) {
    state::Session saved = progressOn(12, {{3, 2}, {5, 4}, {12, 1}, {20, 3}});
    saved.userCode = "taro";
    saved.score = 9000;
    state::progress::save(saved);
    const QByteArray progress = bytesOf("taro.ucd");

    // A code with no progress file is refused and the box comes back;
    // the rounds' variants: 1, 2 and 3, the comeback of question 5 variant 2.
    dialogs.inputAnswers = {"nobody", "taro"};
    random.values = {0.0, 0.5, 0.9, 0.0};
    ASSERT_TRUE(review::start());
    EXPECT_EQ(dialogs.calls,
              QStringList({"input|半角８文字以内で、ユーザーコードを入力してください・・・|ユーザーコード入力（復習）",
                           "error|このコードの記録はまだありません。\n別のコードを入れてください。|ぽむりん紀行20",
                           "input|半角８文字以内で、ユーザーコードを入力してください・・・|ユーザーコード入力（復習）"}));
    EXPECT_TRUE(QFile::exists("taro.ucd.hold")) << "the code is held as the course holds it";
    EXPECT_EQ(random.seeds.size(), 1) << "seeded once a round, so that its questions' variants differ";
    screens::showScreen(ScreenId::Review);
    ASSERT_NE(screen(), nullptr);
    EXPECT_TRUE(printed(screen()->questionBox).contains("【問題５】"));
    EXPECT_EQ(screen()->scoreLabel->text(), "1／3");
    EXPECT_FALSE(screen()->nextButton->isEnabled());  // not answered yet: the question stays
    EXPECT_FALSE(review::current().round->next());

    // Question 5: a wrong answer is marked, HELP shows the tutor for
    // question 5, which hands back to the same question.
    answer(8);
    EXPECT_EQ(screen()->verdictLabel->text(), "違う");
    EXPECT_EQ(screen()->answerButtons[8]->text(), "× その他");
    EXPECT_FALSE(screen()->answerButtons[8]->isEnabled());
    EXPECT_EQ(media.log.mid(media.log.size() - 2), QStringList({"Open Chimes2.wav", "Sound"}));
    click(screen()->helpButton);
    settle();
    auto *tutor = open<screens::TutorScreen>(ScreenId::Tutor);
    ASSERT_NE(tutor, nullptr);
    EXPECT_EQ(screen(), nullptr);
    EXPECT_TRUE(printed(tutor->explanationBox).contains("【例題】"));
    click(tutor->exitButton);
    settle();
    ASSERT_NE(screen(), nullptr);
    EXPECT_TRUE(printed(screen()->questionBox).contains("【問題５】"));
    answerRight();
    EXPECT_EQ(screen()->verdictLabel->text(), "正解");
    EXPECT_EQ(screen()->scoreLabel->text(), "1／4") << "question 5 comes back at the end";
    click(screen()->nextButton);
    // Questions 3 and 12 right at the first try, then question 5 again,
    // missed once more.
    for (const char *heading : {"【問題３】", "【問題12】"}) {
        EXPECT_TRUE(printed(screen()->questionBox).contains(QString::fromUtf8(heading))) << heading;
        answerRight();
        click(screen()->nextButton);
    }
    EXPECT_TRUE(printed(screen()->questionBox).contains("【問題５】"));
    EXPECT_EQ(review::current().round->current()->variant, 2);
    answer(8);
    answerRight();
    click(screen()->nextButton);
    settle();

    auto *summary = open<ReviewSummary>(ScreenId::ReviewSummary);
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->size(), QSize(400, 328));  // 6000 × 4920 twips
    EXPECT_EQ(summary->practisedLabel->text(), "練習した問題：3問");
    EXPECT_EQ(summary->firstTryLabel->text(), "一度で正解した問題：2問");
    EXPECT_EQ(summary->missedList->text(), "問5　√の中を簡単に（ａ√ｂ）");

    const QByteArray day = QDate::currentDate().toString(Qt::ISODate).toLatin1();
    EXPECT_EQ(bytesOf("taro.review"),
              "pomurin20 review 1\r\n3,1,1,1," + day + "\r\n5,1,0,0," + day + "\r\n12,1,1,1," + day + "\r\n");
    EXPECT_EQ(bytesOf("taro.ucd"), progress);

    // もう一度: the next round from the record as it stands.
    click(summary->againButton);
    settle();
    ASSERT_NE(screen(), nullptr);
    EXPECT_EQ(screen()->scoreLabel->text(), "1／3");
    click(screen()->quitButton);  // answered No: the round stays
    EXPECT_NE(screen(), nullptr);
}

TEST_F(ReviewRound, AgainWithNothingLeftSaysSoAndEnds) {
    state::Session saved = progressOn(2, {{2, 1}});
    saved.userCode = "mai";
    state::progress::save(saved);
    writeFile("mai.review", "pomurin20 review 1\r\n2,1,1,1,2026-12-01\r\n");  // learnt at the next right answer
    dialogs.inputAnswers = {"mai"};
    ASSERT_TRUE(review::start());
    screens::showScreen(ScreenId::Review);
    answerRight();
    click(screen()->nextButton);
    settle();
    ASSERT_NE(open<ReviewSummary>(ScreenId::ReviewSummary), nullptr);
    click(open<ReviewSummary>(ScreenId::ReviewSummary)->againButton);
    EXPECT_EQ(dialogs.calls.last(), "error|復習する問題はまだありません。|ぽむりん紀行20");
    EXPECT_TRUE(platform::forms::programEnded());
}

TEST_F(ReviewRound, CancellingTheCodeBoxEndsTheProgramWithoutWaiting) {
    platform::setSoundEnabled(false);
    QObject guard;  // takes the check below with it when the test ends
    bool looped = false;
    QTimer::singleShot(0, &guard, [&looped] {
        looped = true;
        QCoreApplication::quit();
    });
    EXPECT_EQ(screens::runReview(*qobject_cast<QApplication *>(QCoreApplication::instance())), 0);
    EXPECT_FALSE(looped) << "no window is open: no event loop is entered";
    EXPECT_EQ(dialogs.calls.size(), 1);
    platform::setSoundEnabled(true);
}

TEST_F(ReviewRound, AHeldCodeOrADamagedRecordAsksAgainAndNothingToReviewEndsTheReview) {
    state::Session saved = progressOn(4, {{2, 1}});
    saved.userCode = "held";
    state::progress::save(saved);
    // The course plays "held" on another machine now.
    writeFile("held.ucd.hold", "pomurin20 hold\nhost pc-12\npid 4711\ntoken 0123456789abcdef0123456789abcdef\n");
    saved.userCode = "hana";
    state::progress::save(saved);
    saved.userCode = "jiro";
    saved.misses = {};
    state::progress::save(saved);
    writeFile("hana.review", "pomurin20 review 1\r\n2,1,2,0,2026-12-01\r\n");
    QFile::copy("hana.ucd", "ken.ucd");
    const QByteArray twice = "pomurin20 review 1\r\n2,1,1,1,2026-12-01\r\n2,1,0,0,2026-12-02\r\n";
    writeFile("ken.review", twice);

    dialogs.inputAnswers = {"held", "hana", "ken", "jiro"};
    EXPECT_FALSE(review::start());
    ASSERT_EQ(dialogs.calls.size(), 8);
    EXPECT_EQ(dialogs.calls[1], "error|このコードは今ほかのコンピューター（pc-12）で使われています。\n"
                                "別のコードを入れてください。|ぽむりん紀行20");
    EXPECT_EQ(dialogs.calls[3],
              "error|「hana.review」：復習の記録が壊れています（2 行目の回数が合いません）。\n先生に知らせてください。|"
              "ぽむりん紀行20");
    EXPECT_EQ(dialogs.calls[5], "error|「ken.review」：復習の記録が壊れています（3 行目の問題 2 は 2 度目です）。\n"
                                "先生に知らせてください。|ぽむりん紀行20");
    EXPECT_EQ(dialogs.calls[7], "error|復習する問題はまだありません。|ぽむりん紀行20");
    EXPECT_EQ(bytesOf("hana.review"), "pomurin20 review 1\r\n2,1,2,0,2026-12-01\r\n");
    EXPECT_EQ(bytesOf("ken.review"), twice);
    EXPECT_FALSE(QFile::exists("jiro.review"));
    EXPECT_FALSE(QFile::exists("jiro.ucd.hold")) << "the hold is given up when the review ends";
}

}  // namespace
