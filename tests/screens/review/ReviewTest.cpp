// SPDX-License-Identifier: GPL-3.0-or-later
// The review of missed questions: which questions a round asks, a round
// played from the code box to the summary, and what it reads and writes.
#include "bank/QuestionBank.h"
#include "report/ClassReport.h"
#include "classfolder/FolderScanner.h"
#include "bank/Topics.h"
#include "platform/PictureBox.h"
#include "platform/Media.h"
#include "screens/Program.h"
#include "screens/front/StartMenu.h"
#include "screens/review/Review.h"
#include "screens/review/ReviewScreen.h"
#include "screens/review/ReviewSummary.h"
#include "screens/tutor/TutorScreen.h"
#include "state/CodeHold.h"
#include "state/ProgressFile.h"
#include "state/SaveFiles.h"
#include "support/Fakes.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(ReviewChoice, DueTodayMostMissesFirstTiesInCourseOrderReachedOnlyTenAtMost) {
    const QDate today(2026, 12, 7);
    struct Row {
        const char *what;
        state::Session progress;
        std::vector<std::tuple<int, int, QDate>> practised;  // question, step, due
        std::vector<int> expected;
    } rows[] = {
        {"no misses", progressOn(12, {}), {}, {}},
        {"most misses first, ties in course order", progressOn(12, {{7, 1}, {3, 2}, {9, 4}, {4, 2}}), {}, {9, 3, 4, 7}},
        {"questions beyond the one reached are left out", progressOn(5, {{5, 1}, {6, 3}, {30, 9}}), {}, {5}},
        {"a damaged question number reaches nothing", progressOn(-3, {{1, 2}}), {}, {}},
        {"learnt, or due on a later day: left out", progressOn(10, {{2, 1}, {4, 3}, {8, 2}}),
         {{4, 5, QDate()}, {8, 3, today.addDays(1)}, {2, 1, today}},
         {2}},
        {"at most 10",
         progressOn(30, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 5}, {6, 1}, {7, 1}, {8, 1}, {9, 1}, {10, 1}, {11, 1},
                         {29, 2}}),
         {},
         {5, 29, 1, 2, 3, 4, 6, 7, 8, 9}},
    };
    for (const Row &row : rows) {
        state::review::Record record;
        for (const auto &[q, step, due] : row.practised)
            record.entries[q] = {1, 1, step, QDate(2026, 12, 1), due, row.progress.misses[q]};
        EXPECT_EQ(review::chooseQuestions(row.progress, record, today), row.expected) << row.what;
    }
}

TEST(ReviewSpacing, StepsOverAMonthMissesCourseMissesLearntLaterDatesAndTheFirstForm) {
    // Question 7, missed twice in the course: each practice on the day it
    // is due, and the day it is due next.
    const struct {
        QDate day;
        bool right;
        QDate due;
    } month[] = {{QDate(2026, 12, 1), true, QDate(2026, 12, 2)},   {QDate(2026, 12, 2), true, QDate(2026, 12, 5)},
                 {QDate(2026, 12, 5), false, QDate(2026, 12, 6)},  {QDate(2026, 12, 6), true, QDate(2026, 12, 9)},
                 {QDate(2026, 12, 9), true, QDate(2026, 12, 16)},  {QDate(2026, 12, 16), true, QDate(2027, 1, 6)},
                 {QDate(2027, 1, 6), true, QDate()}};
    state::review::Record r;
    for (const auto &p : month) {
        state::review::notePractice(r, 7, p.right, p.day, 2);
        EXPECT_EQ(state::review::dueDate(r, 7, 2, p.day), p.due) << p.day.toString().toStdString();
    }
    EXPECT_EQ(state::review::render(r), "pomurin20 review 2\r\n7,7,6,5,2027-01-06,-,2\r\n");
    // Learnt, then missed in the course: right at the first try climbs from the bottom again.
    state::review::notePractice(r, 7, true, QDate(2027, 2, 1), 3);
    EXPECT_EQ(state::review::dueDate(r, 7, 3, QDate(2027, 2, 1)), QDate(2027, 2, 2));

    const QDate today(2026, 12, 7);
    const struct {
        const char *what, *record;
        short courseMisses;
        QDate due;
    } reads[] = {
        {"learnt", "pomurin20 review 2\r\n7,7,6,5,2027-01-06,-,2\r\n", 2, QDate()},
        {"learnt, missed in the course since", "pomurin20 review 2\r\n7,7,6,5,2027-01-06,-,2\r\n", 3, today},
        {"on step 2, missed in the course since", "pomurin20 review 2\r\n7,2,2,2,2026-12-06,2026-12-09,2\r\n", 3, today},
        {"dated later than today: due within its step's spacing",
         "pomurin20 review 2\r\n7,2,2,3,2027-03-01,2027-03-08,2\r\n", 2, QDate(2026, 12, 14)},
        {"first form, right twice after a miss: step 3", "pomurin20 review 1\r\n7,3,2,2,2026-12-01\r\n", 2,
         QDate(2026, 12, 8)},
        {"first form, right once and never missed: step 1", "pomurin20 review 1\r\n7,1,1,1,2026-12-01\r\n", 2,
         QDate(2026, 12, 2)},
        {"missed in the course, never practised", "pomurin20 review 2\r\n", 1, today},
        {"course begun anew (the record saw 3), missed once in it", "pomurin20 review 2\r\n7,2,2,2,2026-12-06,2026-12-09,3\r\n", 1, today},
        {"course begun anew, not missed in it yet", "pomurin20 review 2\r\n7,2,2,2,2026-12-06,2026-12-09,3\r\n", 0, QDate(2026, 12, 9)},
        {"never missed", "pomurin20 review 2\r\n", 0, QDate()},
    };
    for (const auto &row : reads) {
        state::review::Record read;
        ASSERT_NO_THROW(state::review::parse(row.record, read)) << row.what;
        state::review::Misses misses{};
        misses[7] = 2;
        state::review::adoptCourseMisses(read, misses);
        EXPECT_EQ(state::review::dueDate(read, 7, row.courseMisses, today), row.due) << row.what;
    }
    // A test day on 12月10日 over question 7's topic: due the day before, until the test.
    state::review::TestDayPull pull{QDate(2026, 12, 10), {}};
    const struct { const char *what, *record; QDate on, due; bool inTopic = true; } pulls[] = {
        {"due after the test", "7,2,2,3,2026-12-06,2026-12-13,2", QDate(2026, 12, 7), QDate(2026, 12, 9)},
        {"the day before", "7,2,2,3,2026-12-06,2026-12-13,2", QDate(2026, 12, 9), QDate(2026, 12, 9)},
        {"the test day itself", "7,2,2,3,2026-12-06,2026-12-13,2", QDate(2026, 12, 10), QDate(2026, 12, 9)},
        {"after the test", "7,2,2,3,2026-12-06,2026-12-13,2", QDate(2026, 12, 11), QDate(2026, 12, 13)},
        {"not of the 課題's topics", "7,2,2,3,2026-12-06,2026-12-13,2", QDate(2026, 12, 7), QDate(2026, 12, 13), false},
        {"due on the test day", "7,2,2,3,2026-12-03,2026-12-10,2", QDate(2026, 12, 7), QDate(2026, 12, 10)},
        {"practised the day before", "7,3,3,2,2026-12-09,2026-12-12,2", QDate(2026, 12, 9), QDate(2026, 12, 12)},
    };
    for (const auto &row : pulls) {
        state::review::Record read;
        pull.questions[7] = row.inTopic;
        ASSERT_NO_THROW(state::review::parse(QByteArray("pomurin20 review 2\r\n") + row.record + "\r\n", read)) << row.what;
        EXPECT_EQ(state::review::dueDate(read, 7, 2, row.on, &pull), row.due) << row.what;
    }
    state::review::Record old;
    // Due days the writer never makes (beyond the step's spacing, none on a step, one when learnt), each named.
    const auto why = [&old](const QByteArray &line) {
        try { state::review::parse("pomurin20 review 2\r\n" + line + "\r\n", old); } catch (const state::ProgressError &e) { return QString::fromUtf8(e.what()); }
        return QString();
    };
    for (const auto &[line, reason] : {std::pair{"7,2,2,2,2026-12-06,2026-12-10,2", "次の復習の日が段階 2 に合いません"},
                                       {"7,2,2,2,2026-12-06,-,2", "次の復習の日が段階 2 に合いません"},
                                       {"7,2,2,5,2026-12-06,2026-12-27,2", "次の復習の日が段階 5 に合いません"},
                                       {"7,2,2,2,2026-12-06,2026-13-06,2", "日付が読めません"},
                                       {"7,2,2,0,2026-12-06,2026-12-06,2", "段階が 1 から 5 の外です"}})
        EXPECT_EQ(why(line), QString("復習の記録が壊れています（2 行目の%1）。").arg(reason));
    // Four practices ahead on day 0 keep step 1 and its day; right ahead keeps the day, a miss ahead goes back.
    state::review::Record ahead;
    for (int i = 0; i < 5; ++i) state::review::notePractice(ahead, 9, true, QDate(2026, 12, 1), 1);
    EXPECT_EQ(state::review::render(ahead), "pomurin20 review 2\r\n9,5,5,1,2026-12-01,2026-12-02,1\r\n");
    for (const int day : {2, 4}) state::review::notePractice(ahead, 9, true, QDate(2026, 12, day), 1);
    EXPECT_EQ(state::review::render(ahead), "pomurin20 review 2\r\n9,7,7,2,2026-12-04,2026-12-05,1\r\n");
    state::review::notePractice(ahead, 9, false, QDate(2026, 12, 4), 1);
    EXPECT_EQ(state::review::render(ahead), "pomurin20 review 2\r\n9,8,7,1,2026-12-04,2026-12-05,1\r\n");
    state::review::parse("pomurin20 review 1\r\n7,3,2,2,2026-12-01\r\n", old);
    state::review::adoptCourseMisses(old, {0, 0, 0, 0, 0, 0, 0, 2});
    EXPECT_EQ(state::review::render(old), "pomurin20 review 2\r\n7,3,2,3,2026-12-01,2026-12-08,2\r\n");
}

class ReviewRound : public ScreenTest {
protected:
    ReviewScreen *screen() { return open<ReviewScreen>(ScreenId::Review); }
    // Clicks answer button k on the review screen.
    void answer(int k) {
        ASSERT_NE(screen(), nullptr);
        click(screen()->board.answerButtons[k]);
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
    state::Session saved = progressOn(12, {{3, 2}, {4, 2}, {5, 4}, {12, 1}, {20, 3}});
    saved.userCode = "taro";
    saved.score = 9000;
    state::progress::save(saved);
    const QByteArray progress = bytesOf("taro.ucd");
    // A record of the first form: question 12 right once, due since 2 December; 4 right twice, due on the 8th.
    writeFile("taro.review", "pomurin20 review 1\r\n4,2,2,2,2026-12-05\r\n12,1,1,1,2026-12-01\r\n");
    clock.day = QDate(2026, 12, 7);

    // A code with no progress file is refused and the box comes back;
    // the rounds' variants: 1, 2 and 3, the comeback of question 5 variant 2.
    dialogs.inputAnswers = {"nobody", "taro"};
    random.values = {0.0, 0.5, 0.9, 0.0};
    ASSERT_TRUE(review::start());
    const QString box = "input|復習：間違えた問題を練習します。\n半角８文字以内で、ユーザーコードを入力してください・・・|"
                        "ユーザーコード入力（復習）";
    EXPECT_EQ(dialogs.calls,
              QStringList({box, "error|このコードの記録はまだありません。\n別のコードを入れてください。|ぽむりん紀行20", box}));
    EXPECT_TRUE(QFile::exists("taro.ucd.hold")) << "the code is held as the course holds it";
    EXPECT_EQ(random.seeds.size(), 1) << "seeded once a round, so that its questions' variants differ";
    screens::showScreen(ScreenId::Review);
    ASSERT_NE(screen(), nullptr);
    const QString ask = "「解答群から正解を選び、ｸﾘｯｸしろよ！」\n「分からなかったら〔HELP〕をｸﾘｯｸするんだな！」";
    const QString prompt = "「前に間違えた問題だ。今度はできるかな？」\n" + ask;
    auto says = [this](const QString &text, int palette) {
        EXPECT_EQ(printed(screen()->board.speechBox), text);
        EXPECT_EQ(screen()->board.speechBox->color(), platform::paletteColor(palette)) << text.toStdString();
    };
    auto tally = [this] { return screen()->board.scoreCaption->text() + " " + screen()->board.scoreLabel->text(); };
    EXPECT_TRUE(printed(screen()->board.questionBox).contains("【問題５】"));
    EXPECT_EQ(tally(), "復習 1／3");
    says(prompt, 0);
    EXPECT_FALSE(screen()->board.nextButton->isEnabled());  // not answered yet: the question stays
    EXPECT_FALSE(review::current().round->next());

    // Question 5: a wrong answer is marked, HELP shows the tutor for
    // question 5, which hands back to the same question, still marked.
    answer(8);
    EXPECT_EQ(screen()->board.verdictLabel->text(), "違う");
    says(" 間違いだぞ!!\n ほかの答えを選ぶか、\n [HELP]で解き方を見るんだ!!", 4);
    EXPECT_EQ(media.log.mid(media.log.size() - 2), QStringList({"Open Chimes2.wav", "Sound"}));
    click(screen()->board.helpButton);
    settle();
    auto *tutor = open<screens::TutorScreen>(ScreenId::Tutor);
    ASSERT_NE(tutor, nullptr);
    EXPECT_EQ(screen(), nullptr);
    EXPECT_TRUE(printed(tutor->explanationBox).contains("【例題】"));
    click(tutor->exitButton);
    settle();
    ASSERT_NE(screen(), nullptr);
    EXPECT_TRUE(printed(screen()->board.questionBox).contains("【問題５】"));
    says(prompt, 0);
    EXPECT_EQ(screen()->board.answerButtons[8]->text(), "× その他");
    EXPECT_FALSE(screen()->board.answerButtons[8]->isEnabled());
    const QPalette marked = screen()->board.answerButtons[8]->palette();  // readable though disabled
    EXPECT_EQ(marked.color(QPalette::Disabled, QPalette::ButtonText), marked.color(QPalette::Active, QPalette::ButtonText));
    answerRight();
    const int right = bank::rightButton(5, 1);
    EXPECT_EQ(screen()->board.answerButtons[right]->text(), "○ " + QString::fromUtf8(bank::question(5)->variants[0].captions[right - 1]));
    EXPECT_EQ(screen()->board.verdictLabel->text(), "正解");
    EXPECT_EQ(media.log.mid(media.log.size() - 2), QStringList({"Open Chimes.wav", "Sound"}));
    says(" 正解だ!! よく直したな!!\n [次へ]をクリックして、次の問題だ!!", 1);
    EXPECT_EQ(tally(), "復習 1／3") << "the round does not grow";
    click(screen()->board.nextButton);
    // Questions 3 and 12 right at the first try, then question 5 again,
    // missed once more.
    for (const char *step : {"【問題３】|復習 2／3", "【問題12】|復習 3／3"}) {
        const QStringList expect = QString::fromUtf8(step).split('|');
        EXPECT_TRUE(printed(screen()->board.questionBox).contains(expect[0])) << step;
        EXPECT_EQ(tally(), expect[1]);
        answerRight();
        says(" 正解だ!! 一度でできたな!!\n [次へ]をクリックして、次の問題だ!!", 1);
        click(screen()->board.nextButton);
    }
    EXPECT_TRUE(printed(screen()->board.questionBox).contains("【問題５】"));
    EXPECT_EQ(tally(), "もう一度 1／1");
    says("「さっき間違えた問題だ。今度はできるかな？」\n" + ask, 0);
    EXPECT_EQ(review::current().round->current()->variant, 2);
    answerRight();
    says(" 正解だ!! 今度はできたな!!\n [次へ]をクリックして、まとめを見るんだ!!", 1);
    click(screen()->board.nextButton);
    settle();

    auto *summary = open<ReviewSummary>(ScreenId::ReviewSummary);
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->size(), QSize(400, 320));  // 6000 × 4800 twips
    QStringList table;
    for (int i = 0; i < 4; ++i)
        table << summary->numberLabels[i]->text() + " " + summary->titleLabels[i]->text() + " " + summary->resultLabels[i]->text();
    EXPECT_EQ(table, QStringList({"問5 √の中を簡単に（ａ√ｂ） ×", "問3 " + QString::fromUtf8(bank::titleOf(3)) + " ○",
                                  "問12 " + QString::fromUtf8(bank::titleOf(12)) + " ○", "  "}));
    EXPECT_EQ(summary->wordLabel->text(), "3問中2問が一度で正解！\n間違えた問題は、また出てくるぞ！");
    EXPECT_EQ(summary->nextDueLabel->text(), "次の復習：12月8日（火）");
    EXPECT_EQ(bytesOf("taro.review"), "pomurin20 review 2\r\n3,1,1,1,2026-12-07,2026-12-08,2\r\n"
                                      "4,2,2,2,2026-12-05,2026-12-08,2\r\n"  // not practised: kept, its misses seen
                                      "5,1,0,1,2026-12-07,2026-12-08,4\r\n12,2,2,2,2026-12-07,2026-12-10,1\r\n");
    EXPECT_EQ(bytesOf("taro.ucd"), progress);

    // もう一度 the same day: nothing is due; 先取りで練習 takes the soonest due.
    dialogs.choices = {0};
    click(summary->againButton);
    settle();
    EXPECT_EQ(dialogs.calls.last(), "choose|今日復習する問題はありません。\n次の復習は12月8日（火）です。\n"
                                    "先取りで練習することもできます。|ぽむりん紀行20|先取りで練習/終了");
    ASSERT_NE(screen(), nullptr);
    EXPECT_EQ(tally(), "復習 1／4");
    EXPECT_TRUE(printed(screen()->board.questionBox).contains("【問題５】"));
    click(screen()->board.quitButton);  // answered No: the round stays
    EXPECT_NE(screen(), nullptr);
    // Two days later, questions 5, 3 and 4 are due, 12 not yet.
    clock.day = QDate(2026, 12, 9);
    EXPECT_EQ(review::chooseQuestions(review::current().progress, review::current().record, clock.day),
              std::vector<int>({5, 3, 4}));
}

TEST_F(ReviewRound, AgainWithNothingLeftSaysSoAndEnds) {
    state::Session saved = progressOn(2, {{2, 1}});
    saved.userCode = "mai";
    state::progress::save(saved);
    // On the 21-day step and due today: learnt at the next right answer.
    writeFile("mai.review", "pomurin20 review 2\r\n2,4,4,4,2026-11-17,2026-12-08,1\r\n");
    clock.day = QDate(2026, 12, 8);
    dialogs.inputAnswers = {"mai"};
    ASSERT_TRUE(review::start());
    screens::showScreen(ScreenId::Review);
    answerRight();
    click(screen()->board.nextButton);
    settle();
    ASSERT_NE(open<ReviewSummary>(ScreenId::ReviewSummary), nullptr);
    click(open<ReviewSummary>(ScreenId::ReviewSummary)->againButton);
    EXPECT_EQ(dialogs.calls.last(), "choose|復習する問題はもうありません。どの問題も覚えました！|ぽむりん紀行20|終了");
    EXPECT_TRUE(platform::forms::programEnded());
}

TEST_F(ReviewRound, ARecordThatCannotBeSavedIsSaidAndTheProgramEnds) {
    state::Session saved = progressOn(2, {{2, 1}});
    saved.userCode = "sae";
    state::progress::save(saved);
    dialogs.inputAnswers = {"sae"};
    ASSERT_TRUE(review::start());
    screens::showScreen(ScreenId::Review);
    ASSERT_TRUE(QFile::remove("sae.ucd.hold"));  // the hold vanished: another program may save now
    answerRight();
    EXPECT_EQ(dialogs.calls.last(), "error|復習の記録を保存できませんでした。\nこのコードは今ほかのところで使われています。|ぽむりん紀行20");
    EXPECT_TRUE(platform::forms::programEnded());
}

TEST_F(ReviewRound, CancellingTheCodeBoxMeansPmAndEndsWithNothingToReviewWithoutWaiting) {
    platform::setSoundEnabled(false);
    state::Session pm = progressOn(3, {});
    pm.userCode = "pm";
    state::progress::save(pm);
    QObject guard;  // takes the check below with it when the test ends
    bool looped = false;
    QTimer::singleShot(0, &guard, [&looped] {
        looped = true;
        QCoreApplication::quit();
    });
    EXPECT_EQ(screens::runReview(*qobject_cast<QApplication *>(QCoreApplication::instance())), 0);
    EXPECT_FALSE(looped) << "no window is open: no event loop is entered";
    EXPECT_EQ(dialogs.calls.last(), "choose|まだ一度も間違えていないので、復習する問題はありません。|ぽむりん紀行20|終了");
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
    EXPECT_EQ(dialogs.calls[7], "choose|まだ一度も間違えていないので、復習する問題はありません。|ぽむりん紀行20|終了");
    EXPECT_EQ(bytesOf("hana.review"), "pomurin20 review 1\r\n2,1,2,0,2026-12-01\r\n");
    EXPECT_EQ(bytesOf("ken.review"), twice);
    EXPECT_FALSE(QFile::exists("jiro.review"));
    EXPECT_FALSE(QFile::exists("jiro.ucd.hold")) << "the hold is given up when the review ends";
    writeFile("bad.ucd", "3,x\r\n");  // a damaged progress file: named, and the box comes back
    dialogs.inputAnswers = {"bad", "jiro"};
    EXPECT_FALSE(review::start());
    EXPECT_TRUE(dialogs.calls.contains("error|進み具合のファイル「bad.ucd」を読めませんでした。\n進み具合のファイルが短すぎます（数が 2 個、62 個必要です）。\n先生に知らせてください。|ぽむりん紀行20")) << dialogs.calls.join('\n').toStdString();
    // Codes that cannot name a file are named, as in the course's box; the
    // empty code is "pm", and with no file of pm's the review ends.
    const std::pair<QString, QString> refused[] = {{" held", "コードの前か後ろに空白があります。"}, {"../x", "コードに「/」や「\\」は使えません。"},
        {QString(300, 'a'), "コードが長すぎます。"}, {"", "コードが空なので pm の記録を探しましたが、まだありません。"}};
    for (const auto &[code, why] : refused) {
        dialogs.calls.clear();
        dialogs.inputAnswers = {code, "jiro"};
        EXPECT_FALSE(review::start());
        EXPECT_EQ(dialogs.calls[1], "error|" + why + (code.isEmpty() ? "" : "\n別のコードを入れてください。") + "|ぽむりん紀行20");
        EXPECT_EQ(dialogs.calls.size(), code.isEmpty() ? 2 : 4);
    }
}

TEST_F(ReviewRound, ANewStartKeepsTheRecordsDaysAndAMissInTheNewCourseBringsItsQuestionBack) {
    state::Session saved = progressOn(20, {{7, 3}, {12, 2}});
    saved.userCode = "aki";
    state::progress::save(saved);
    writeFile("aki.review", "pomurin20 review 2\r\n7,3,3,3,2026-12-03,2026-12-10,3\r\n12,2,2,2,2026-12-05,2026-12-08,2\r\n");
    clock.day = QDate(2026, 12, 8);
    // 初めからやる in the course: question 1, no misses; the record has seen nothing of the new course.
    screens::showScreen(ScreenId::StartMenu);
    dialogs.inputAnswers = {"aki"};
    click(open<screens::StartMenu>(ScreenId::StartMenu)->newRunButton);
    settle();
    EXPECT_EQ(bytesOf("aki.review"), "pomurin20 review 2\r\n7,3,3,3,2026-12-03,2026-12-10,0\r\n12,2,2,2,2026-12-05,2026-12-08,0\r\n");
    for (const auto &[misses7, round] : {std::pair{0, std::vector<int>{12}}, {1, std::vector<int>{7, 12}}}) {
        state::session().misses[7] = short(misses7);  // the new course: question 7 missed once, or not yet
        state::progress::save(state::session());
        dialogs.inputAnswers = {"aki"};
        ASSERT_TRUE(review::start());
        EXPECT_EQ(review::chooseQuestions(review::current().progress, review::current().record, clock.day), round);
        EXPECT_EQ(review::current().round->length(), int(round.size()));
    }
}

// A classmate's entry at the record's name in a 3770 folder: the pupil's
// record goes beside it, where the review, the CSV's reader and the
// window's scanner all find it; the classmate's entries are left alone.
TEST_F(ReviewRound, AClassmatesEntryAtTheRecordsNameSendsItBesideWhereEveryReaderFindsIt) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two accounts";
    state::files::setGroupShared(true);
    ASSERT_TRUE(QDir().mkdir("class") && ::chmod("class", 03770) == 0 && QDir::setCurrent("class"));
    clock.day = QDate(2026, 12, 8);
    const QByteArray theirs = "pomurin20 review 2\r\n2,9,9,5,2026-12-01,-,1\r\n";
    for (const QString kind : {"file", "link", "folder", "fifo"}) {
        SCOPED_TRACE(kind.toStdString());
        state::Session saved = progressOn(3, {{2, 1}});
        saved.userCode = kind;
        state::progress::save(saved);
        const QByteArray usual = QFile::encodeName(kind + ".review"), planted = usual + "-0123456789ab";
        ASSERT_EQ(kind == "link"     ? ::symlink("file.review", usual.constData())
                  : kind == "folder" ? ::mkdir(usual.constData(), 0755)
                  : kind == "fifo"   ? ::mkfifo(usual.constData(), 0644)
                                     : 0, 0);
        if (kind == "file") writeFile(usual, theirs);
        writeFile(planted, theirs);
        ASSERT_EQ(::lchown(usual.constData(), 65534, 0) | ::lchown(planted.constData(), 65534, 0), 0);
        dialogs.inputAnswers = {kind};
        ASSERT_TRUE(review::start());
        screens::showScreen(ScreenId::Review);
        answerRight();
        QStringList beside = QDir().entryList({kind + ".review-*"}, QDir::Files);
        beside.removeOne(planted);
        ASSERT_EQ(beside.size(), 1);
        EXPECT_EQ(bytesOf(beside[0]), "pomurin20 review 2\r\n2,1,1,1,2026-12-08,2026-12-09,1\r\n");
        EXPECT_EQ(bytesOf(planted), theirs);
        EXPECT_EQ(QFileInfo(usual).ownerId(), 65534u);
        QStringList read;  // the pupil's 復習 as the CSV's reader, then the window's scanner, read it
        for (const report::Pupil &p : report::readFolder(".").pupils)
            if (p.code == kind) read << QString("%1 %2").arg(p.reviewPractised).arg(p.reviewProblem);
        for (const classfolder::Row &row : classfolder::FolderScanner().scan(".").changed)
            if (row.pupil.code == kind) read << QString("%1 %2").arg(row.pupil.reviewPractised).arg(row.pupil.reviewProblem);
        EXPECT_EQ(read, QStringList({"1 ", "1 "}));
        platform::forms::resetForTests();
        state::codeHold().release();
    }
    // The classmate's file taken away: the pupil's next review takes the record back to its name.
    ASSERT_TRUE(QFile::remove("file.review"));
    dialogs.inputAnswers = {"file"};
    EXPECT_FALSE(review::start());  // nothing due before tomorrow
    EXPECT_EQ(QDir().entryList({"file.review*"}, QDir::Files), QStringList({"file.review", "file.review-0123456789ab"}));
    state::codeHold().release();
    state::files::setGroupShared(false);
    QDir::setCurrent("..");
}

// The desktop logging out: the review ends as its close box ends it and
// its hold is gone, so the pupil's next machine gets the code at once.
TEST_F(ReviewRound, LoggingOutEndsTheReviewAndGivesItsHoldUp) {
    platform::setSoundEnabled(false);
    state::Session saved = progressOn(3, {{2, 1}});
    saved.userCode = "rin";
    state::progress::save(saved);
    for (const int signal : {SIGTERM, SIGHUP}) {
        platform::forms::resetForTests();
        dialogs.inputAnswers = {"rin"};
        bool heldMeanwhile = false;
        QObject watchdog;  // a log-out that leaves the loop running fails here, at once
        QTimer::singleShot(3000, &watchdog, [] { QCoreApplication::exit(1); });
        QTimer::singleShot(0, [&heldMeanwhile, signal] { heldMeanwhile = QFile::exists("rin.ucd.hold") && ::kill(::getpid(), signal) == 0; });
        EXPECT_EQ(screens::runReview(*qobject_cast<QApplication *>(QCoreApplication::instance())), 0);
        EXPECT_TRUE(heldMeanwhile);
        EXPECT_TRUE(platform::forms::open().isEmpty());
        EXPECT_FALSE(QFile::exists("rin.ucd.hold")) << signal;
    }
    platform::setSoundEnabled(true);
}

}  // namespace
