// SPDX-License-Identifier: GPL-3.0-or-later
// The teacher's window on the offscreen platform: it reads a folder off
// the interface thread, follows a pupil's save, and what its two buttons
// write.  Dialogs and the browser are answered by a fake.
#include "ClassFolder.h"
#include "report/Writers.h"
#include "platform/Forms.h"
#include "platform/PictureBox.h"
#include "report/window/BarChart.h"
#include "report/window/ChartPage.h"
#include "report/window/ClassWindow.h"
#include "report/window/Explanation.h"
#include "report/window/StartFolder.h"
#include "report/window/TopicTable.h"
#include "report/WindowEntry.h"
#include "screens/tutor/ExpectedTutorOutput.h"
#include "screens/tutor/TutorScreen.h"
#include "state/Session.h"
#include "support/EnvVar.h"

#include <QAccessible>
#include <QApplication>
#include <QBrush>
#include <QComboBox>
#include <QGraphicsView>
#include <QPointer>
#include <QScreen>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QSignalSpy>
#include <QTabBar>
#include <QToolTip>
#include <QHeaderView>
#include <QHelpEvent>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace report;
using namespace report::window;
using namespace classfolder;
using namespace report_test;

namespace {

struct FakeDialogs : WindowDialogs {
    QString folderAnswer, csvAnswer, csvSuggested;
    QList<QUrl> opened;
    QStringList errors, asked;
    bool browserOpens = true, startAgain = false;
    bool startLessonAgain(QWidget *, const QString &question) override {
        asked << question;
        return startAgain;
    }
    QString chooseFolder(QWidget *, const QString &) override { return folderAnswer; }
    QString chooseCsvFile(QWidget *, const QString &suggested) override {
        csvSuggested = suggested;
        return csvAnswer;
    }
    bool openPage(const QUrl &page) override {
        opened << page;
        return browserOpens;
    }
    void showError(QWidget *, const QString &text) override { errors << text; }
    QString rosterAnswer;
    QString chooseRosterFile(QWidget *, const QString &) override { return rosterAnswer; }
};

// Every text a screen reader finds in a widget's tree.
void accessibleTexts(QAccessibleInterface *node, QStringList &out) {
    if (!node) return;
    for (const auto t : {QAccessible::Name, QAccessible::Description, QAccessible::Value, QAccessible::Help})
        out << node->text(t);
    for (int i = 0; i < node->childCount(); ++i) accessibleTexts(node->child(i), out);
}

// The texts printed in a tutor box by the example and the first `clicks`
// explanation steps of question q, as the tutor's own tests expect them.
QStringList expectedPieces(int q, int box, int clicks) {
    QStringList pieces;
    for (const tutor_test::ExpectedPiece &p : tutor_test::kExpectedOutput) {
        if (p.question != q || p.box != box || p.click > clicks) continue;
        if (p.color == tutor_test::kCleared) pieces.clear();
        else pieces << QString::fromUtf8(p.text);
    }
    return pieces;
}

QStringList printedPieces(const platform::PictureBox *box) {
    QStringList pieces;
    for (const platform::PrintedText &t : box->printed()) pieces << t.text;
    return pieces;
}

// Lets a queued close and the deletion it leads to happen.
void settle() {
    QTest::qWait(10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The class of ClassFolder.h and a 4 GiB file that takes no room (the
// reader's bound, not the file's size, decides), opened in a window.
class ClassWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        makeClass();
        const int huge = ::open("class/huge.ucd", O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(huge, 0);
        ASSERT_EQ(::ftruncate(huge, off_t(1) << 32), 0);
        ::close(huge);
        window = std::make_unique<ClassWindow>(dialogs, QDir::current().filePath("pages"));
        // Only the tests' own calls and the file-system notification look again.
        window->live().setRescanInterval(3600 * 1000);
    }

    // Opens the class folder and waits (on the event loop, for the reader
    // thread) until the window has taken it in.
    bool opened(const QString &folder = "class") {
        QSignalSpy spy(window.get(), &ClassWindow::refreshed);
        window->openFolder(folder);
        return spy.wait(10000);
    }

    // Waits until the row of code shows text in column, or 10 s pass.
    bool rowShows(const QString &code, int column, const QString &text) {
        for (int i = 0; i < 100; ++i) {
            const int row = window->model().rowOfCode(code);
            if (row >= 0 && window->model().index(row, column).data().toString() == text) return true;
            QSignalSpy(window.get(), &ClassWindow::refreshed).wait(100);
        }
        return false;
    }

    QPushButton *button(const char *name) { return window->findChild<QPushButton *>(name); }

    // The headings of the columns a view shows, left to right.
    static QStringList shownHeadings(const QTableView *view) {
        QStringList shown;
        if (!view) return {"no such view"};
        for (int v = 0, c; v < view->model()->columnCount(); ++v)
            if (!view->isColumnHidden(c = view->horizontalHeader()->logicalIndex(v)))
                shown << view->model()->headerData(c, Qt::Horizontal).toString();
        return shown;
    }

    FakeDialogs dialogs;
    std::unique_ptr<ClassWindow> window;
};

}  // namespace

TEST_F(ClassWindowTest, ShowsTheFolderReadOffTheInterfaceThreadAndChangesNothing) {
    state::Session done = pupilOn(30, 90000);
    done.answerTimes[30] = 95;  // question 30 answered in 95 s: the course is done
    writePupil("class", "11", done);
    writeBytes("class/2.ucd.hold", "pomurin20 hold\nhost PC-02\npid 1\ntoken 00ff\nquestion 5\nmisses 3\n");
    const QStringList before = snapshot("class");
    window->show();
    EXPECT_FALSE(button("csvButton")->isEnabled());  // nothing to save yet
    // Opened within its screen's free area, narrower here than 1040, every button in it.
    const QRect room = window->screen()->availableGeometry();
    ASSERT_LT(room.width(), 1040);
    for (const QPushButton *b : window->findChildren<QPushButton *>())
        EXPECT_TRUE(room.contains(QRect(b->mapToGlobal(QPoint(0, 0)), b->size()))) << b->text().toStdString();
    ASSERT_TRUE(opened());
    auto *table = window->findChild<QTableView *>("classTable");
    ASSERT_TRUE(table);
    ASSERT_EQ(table->model()->rowCount(), 10);
    EXPECT_EQ(table->model()->index(9, ClassModel::Code).data().toString(), "山田");
    // The row of a pupil marked (on question 5 as the hold says), of one on question 30, of one done.
    const auto cells = [table](int row) {
        QStringList shown;
        for (int c = 0; c <= ClassModel::State; ++c) shown << table->model()->index(row, c).data().toString();
        return shown.join('|').toStdString();
    };
    EXPECT_EQ(cells(0), "2|問5で3回ミス|5|3000|4|36秒|PC-02||正常");
    EXPECT_EQ(cells(3), "10||30|87000|31|12分5秒|||正常");
    EXPECT_EQ(cells(4), "11||全問終了|90000|31|13分40秒|||正常");  // the sheet's and the CSV's figure too
    QCoreApplication::processEvents();  // 状態 as wide as its longest text, not the rest of the table
    const int stateWidth = table->columnWidth(ClassModel::State), longest = table->fontMetrics().horizontalAdvance(
        "読めません：こわれています（本人に確認／バックアップを戻す／よそへ移す）");
    EXPECT_TRUE(stateWidth >= longest && stateWidth < longest + 40) << stateWidth << " for " << longest;
    EXPECT_EQ(table->model()->index(0, ClassModel::Help).data(Qt::ToolTipRole).toString().toStdString(),
              "<p>問5で3回ミス<br>\n問5　√の中を簡単に（ａ√ｂ）</p>");
    const int huge = window->model().rowOfCode("huge");
    ASSERT_GE(huge, 0);
    EXPECT_TRUE(window->model().index(huge, ClassModel::State).data().toString().startsWith("読めません"));
    EXPECT_TRUE(button("csvButton")->isEnabled());
    // The headings shown over the table, and over the grid one column a question.
    QStringList questions;
    for (int q = 1; q <= 30; ++q) questions << QString::number(q);
    EXPECT_EQ(shownHeadings(table),
              QStringList({"コード", "要支援", "到達問題", "得点", "ミス合計", "合計時間", "プレイ中の端末", "復習", "状態"}));
    EXPECT_EQ(shownHeadings(window->findChild<QTableView *>("missGrid")), QStringList({"コード", "要支援"}) + questions);
    EXPECT_EQ(shownHeadings(window->findChild<QTableView *>("lessonTable")),
              QStringList({"コード", "要支援", "プレイ中の端末", "進んだ問題", "増えたミス", "プレイ時間", "状態"}));
    // この時間: the pupils here counted, the files that cannot be read first with what is wrong.
    EXPECT_EQ(window->findChild<QLabel *>("lessonTotals")->text().section("から", 1),
              "　来ている人 1 人　進んだ問題 0 問・増えたミス 0 回・プレイ時間 0秒　読めないファイル 4 件");
    const QAbstractItemModel *lesson = window->findChild<QTableView *>("lessonTable")->model();
    QStringList lessonRows;
    for (int r = 0; r < 6; ++r)
        lessonRows << lesson->index(r, ClassModel::Code).data().toString() + "|" + lesson->index(r, ClassModel::State).data().toString();
    EXPECT_EQ(lessonRows, QStringList({"broken|読めません：こわれています（本人に確認／バックアップを戻す／よそへ移す）",
                                       "huge|読めません：こわれています（本人に確認／バックアップを戻す／よそへ移す）",
                                       "link|読めません：ファイルではありません（よそへ移す）",
                                       "pipe|読めません：ファイルではありません（よそへ移す）", "2|", "1|"}));
    const auto tip = [table](int column) { return table->model()->headerData(column, Qt::Horizontal, Qt::ToolTipRole); };
    EXPECT_EQ(tip(ClassModel::Reached), "いま取り組んでいる問題の番号です（プレイ中ならいまの問題、30問を解き終えた人は全問終了）");
    EXPECT_EQ(tip(ClassModel::Score), "正解で3000点ふえ、ミスで3000点へり、ルーレットでも増減します。マイナスになることもあります");
    EXPECT_EQ(tip(ClassModel::Seconds), "解き終えた問題にかかった時間の合計です（いま取り組んでいる問題の時間は入りません）");
    // A question's heading: its title read with its number, what it asks shown.
    const int q12 = ClassModel::FirstQuestion + 11;
    EXPECT_EQ(table->model()->headerData(q12, Qt::Horizontal, Qt::AccessibleTextRole).toString(), "問12　√をふくむ式の展開");
    EXPECT_EQ(table->model()->headerData(q12, Qt::Horizontal, Qt::ToolTipRole).toString(),
              "問12　√をふくむ式の展開（√をふくむ式の計算）\n次の計算をせよ。\n(２ ＋ ４√３)(３ － √３)");
    EXPECT_EQ(table->accessibleName(), "一覧");
    // The 分野ごと tab is filled from the folder: how many pupils reached each topic.
    const auto *topics = window->findChild<TopicTable *>("topicTable");
    ASSERT_TRUE(topics);
    QStringList reached;
    for (int r = 0; r < topics->rowCount(); ++r) reached << topics->item(r, TopicTable::Pupils)->text();
    EXPECT_EQ(reached, QStringList({"6 人", "4 人", "2 人", "2 人", "2 人", "2 人"}));
    EXPECT_EQ(snapshot("class"), before);
}

// この時間: what each pupil did since the lesson's start, fewest questions
// advanced first (a new file and a course begun again count from nothing);
// the start is kept in the teacher's data folder, never the class folder,
// and a window opened again within two hours carries on; 授業を始める restarts.
TEST_F(ClassWindowTest, ThisLessonCountsFromItsStartKeptInTheTeachersDataFolder) {
    const auto names = [] {
        QStringList n = QDir("class").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        n.sort();
        return n;
    };
    QStringList expected = names() << "20.ucd";
    expected.sort();
    window = std::make_unique<ClassWindow>(dialogs, "pages", nullptr, "data");
    ASSERT_TRUE(opened());
    auto *label = window->findChild<QLabel *>("lessonTotals");
    const QString start = window->model().lesson().start.toLocalTime().toString("HH:mm");
    EXPECT_EQ(label->text(), "授業の始め " + start + " から　来ている人 0 人　進んだ問題 0 問・増えたミス 0 回・プレイ時間 0秒　読めないファイル 4 件");
    saveLikeTheGame("class", "2", pupilOn(7, 0));  // from question 4: 3 on, 3 misses more, 45 s more
    saveLikeTheGame("class", "3", pupilOn(2, 0));  // from 5 back to 2: begun again
    writePupil("class", "20", pupilOn(3, 0));      // new
    window->live().rescan();
    ASSERT_TRUE(rowShows("20", ClassModel::Advanced, "3"));
    const auto rows = [](const ClassWindow &w) {
        QStringList shown;
        const QAbstractItemModel *m = w.findChild<QTableView *>("lessonTable")->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c : {ClassModel::Code, ClassModel::Advanced, ClassModel::AddedMisses, ClassModel::LessonTime})
                cells << m->index(r, c).data().toString();
            shown << cells.join(' ');
        }
        return shown;
    };
    // Who did something first, fewest questions advanced first; the pupils
    // with nothing this lesson below them, greyed.
    const QStringList lesson{"broken   ", "huge   ", "link   ", "pipe   ", "3 2 2 11秒", "2 3 3 45秒", "20 3 4 23秒", "1 0 0 0秒", "10 0 0 0秒", "山田 0 0 0秒"};
    EXPECT_EQ(rows(*window), lesson);
    const QAbstractItemModel *shown = window->findChild<QTableView *>("lessonTable")->model();
    for (int r = 4; r < 10; ++r)
        EXPECT_EQ(shown->index(r, ClassModel::Code).data(Qt::ForegroundRole),
                  r < 7 ? QVariant() : QVariant(QBrush(QColor(0x9a, 0x9a, 0x9a)))) << r;
    EXPECT_EQ(label->text(), "授業の始め " + start + " から　来ている人 3 人　進んだ問題 8 問・増えたミス 9 回・プレイ時間 1分19秒　読めないファイル 4 件");
    const QStringList kept = QDir("data").entryList(QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(kept[0].startsWith("授業-") && kept[0].endsWith(".json")) << kept[0].toStdString();
    EXPECT_EQ(names(), expected);

    window = std::make_unique<ClassWindow>(dialogs, "pages", nullptr, "data");
    ASSERT_TRUE(opened());
    EXPECT_EQ(rows(*window), lesson);
    const QString file = "data/" + kept[0], folder = window->model().folder();
    const QDateTime began = window->model().lesson().start;
    EXPECT_TRUE(loadLesson(file, folder, began.addSecs(2 * 3600 - 1)).started());
    EXPECT_FALSE(loadLesson(file, folder, began.addSecs(2 * 3600)).started());
    EXPECT_FALSE(loadLesson(file, folder + "/other", began).started());
    // A number the window never writes makes the whole lesson file damaged.
    const QByteArray good = readAll(file);
    const qsizetype from = good.indexOf(":[") + 1, to = good.indexOf(']', from) + 1;
    ASSERT_GT(from, 0);
    const QByteArray entry = good.mid(from, to - from);
    for (const char *bad : {"[-2147483649,0,0]", "[31,0,0]", "[2.5,0,0]", "[3,-9.3e18,0]", "[3,983041,0]",
                            "[3,0,-1e308]", "[3,0]", "[3,0,\"1\"]", "7"}) {
        writeBytes(file, QByteArray(good).replace(entry, bad));
        EXPECT_FALSE(loadLesson(file, folder, began).started()) << bad;
    }
    writeBytes(file, QByteArray(good).replace(entry, "[30,-983040,1e39]"));
    EXPECT_TRUE(loadLesson(file, folder, began).started());
    writeBytes(file, good);
    // 授業を始める asks first, naming when the lesson began; the default keeps it.
    button("lessonButton")->click();
    EXPECT_EQ(dialogs.asked, QStringList("いまの授業は " + start + " に始まりました。\n授業を始めなおすと、この時間の数"
                                         "（進んだ問題・増えたミス・プレイ時間）はいまから数えなおしになります。"));
    EXPECT_EQ(rows(*window), lesson);
    dialogs.startAgain = true;
    button("lessonButton")->click();
    EXPECT_EQ(rows(*window).filter(" 0 0 0秒").size(), 6);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

// The window as the program opens it: 要支援 first, within the screen's free
// area, and its lesson kept in the teacher's data folder for the next start.
TEST_F(ClassWindowTest, TheProgramsWindowOpensWithHelpFirstAndCarriesItsLessonOn) {
    const testing_support::EnvVar data("XDG_DATA_HOME", QDir::current().filePath("xdg").toUtf8()),
        config("XDG_CONFIG_HOME", QDir::current().filePath("xdg").toUtf8());
    writeBytes("class/山田.ucd.hold", "pomurin20 hold\nhost PC-9\npid 1\ntoken 00ff\nquestion 1\nmisses 3\n");
    window.reset();
    QDateTime began[2];
    for (QDateTime &start : began) {
        QTimer::singleShot(0, [&] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *w = qobject_cast<ClassWindow *>(top); w && QTest::qWaitFor([w] { return w->model().helpCount(); })) {
                    start = w->model().lesson().start;
                    EXPECT_EQ(w->findChild<QTableView *>("classTable")->model()->index(0, ClassModel::Code).data(), "山田");
                    EXPECT_TRUE(w->screen()->availableGeometry().contains(w->frameGeometry()));
                }
            QCoreApplication::quit();
        });
        EXPECT_EQ(runWindow("class"), 0);
    }
    EXPECT_TRUE(began[0].isValid());
    EXPECT_EQ(began[1], began[0]);
    EXPECT_EQ(lastChosenFolder(), QDir("class").absolutePath());  // the folder given is remembered
    QTimer::singleShot(0, [] {  // --window --roster: the list taken for the folder opened
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *w = qobject_cast<ClassWindow *>(top)) {
                EXPECT_TRUE(QTest::qWaitFor([w] { return w->model().notStartedCount() == 1; }));
            }
        QCoreApplication::quit();
    });
    EXPECT_EQ(runWindow("class", nullptr, parseRoster("番号,氏名,コード\n1,a,ken\n").roster), 0);
}

TEST_F(ClassWindowTest, APupilsSaveShowsByNotificationAndByTheRegularLook) {
    EXPECT_EQ(LiveFolder().rescanInterval(), 5 * 1000);  // unless a test sets it
    ASSERT_TRUE(opened());
    // The folder reports the game's save, with no call from the test.
    saveLikeTheGame("class", "2", pupilOn(13, 12000));
    EXPECT_TRUE(rowShows("2", ClassModel::Reached, "13"));
    // A network folder that reports nothing: the regular look, here at a
    // short interval, finds a new pupil's file and one written in place.
    window->live().setNotifications(false);
    window->live().setRescanInterval(50);
    writePupil("class", "7", pupilOn(2, 700));
    writePupil("class", "1", pupilOn(4, 5000));
    dateAhead("class/1.ucd");
    EXPECT_TRUE(rowShows("7", ClassModel::Score, "700"));
    EXPECT_TRUE(rowShows("1", ClassModel::Score, "5000"));
}

TEST_F(ClassWindowTest, CsvButtonWritesTheWritersCsvWhereTheTeacherChose) {
    ASSERT_TRUE(opened());
    dialogs.csvAnswer = QDir::current().filePath("out.csv");
    button("csvButton")->click();
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    EXPECT_EQ(readAll("out.csv"), csv(readFolder("class")));
    EXPECT_TRUE(dialogs.csvSuggested.endsWith("classの記録.csv")) << dialogs.csvSuggested.toStdString();
    // The message stays through the next looks, beside 要支援, until the teacher's next action.
    auto *status = window->findChild<QLabel *>("statusLabel");
    const QString saved = "「" + dialogs.csvAnswer + "」に保存しました。　";
    window->live().rescan();
    ASSERT_TRUE(QSignalSpy(window.get(), &ClassWindow::refreshed).wait(10000));
    EXPECT_TRUE(status->text().startsWith(saved + "ファイル 9 件（読めた 5 件、読めない 4 件）　要支援 0 人　")) << status->text().toStdString();
    QTest::mouseClick(window->findChild<QTabBar *>(), Qt::LeftButton);
    EXPECT_TRUE(status->text().startsWith("ファイル 9 件（読めた 5 件、読めない 4 件）　要支援 0 人　")) << status->text().toStdString();

    // Cancelled: nothing said.  A progress file's name in any case (file
    // servers often ignore case): refused, the folder untouched.
    dialogs.csvAnswer.clear();
    button("csvButton")->click();
    const QStringList before = snapshot("class");
    for (const QString name : {"class/1.ucd", "class/1.UCD", "class/1.Ucd"}) {
        dialogs.csvAnswer = name;
        button("csvButton")->click();
        ASSERT_FALSE(dialogs.errors.isEmpty()) << name.toStdString();
        EXPECT_EQ(dialogs.errors.takeLast(), "「" + name + "」は進み具合のファイルの名前です。そこには書き込みません。");
    }
    dialogs.csvAnswer = "class/1.review";
    button("csvButton")->click();
    ASSERT_FALSE(dialogs.errors.isEmpty());
    EXPECT_EQ(dialogs.errors.takeLast(), "「class/1.review」は復習の記録の名前です。そこには書き込みません。");
    EXPECT_EQ(snapshot("class"), before);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(ClassWindowTest, PageButtonWritesThePageAndOpensItInTheBrowser) {
    ASSERT_TRUE(opened());
    button("pageButton")->click();
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    ASSERT_EQ(dialogs.opened.size(), 1);
    EXPECT_EQ(dialogs.opened[0], QUrl::fromLocalFile(window->pageFile()));
    const QString page = QString::fromUtf8(readAll(window->pageFile()));
    EXPECT_TRUE(page.contains(QDir::current().filePath("class")));
    EXPECT_TRUE(page.contains("<th scope=\"row\">山田</th>"));  // a row of the misses grid
    EXPECT_EQ(page.count("<svg"), 2);

    // No browser: the teacher is told where the page is.
    dialogs.browserOpens = false;
    button("pageButton")->click();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(window->pageFile()));
}

// The folder's name, one that looks like markup, is shown as typed (the
// model's tooltips, which quote a pupil's code, are checked whole in WindowModelTest).
TEST_F(ClassWindowTest, ChoosingAnotherFolderShowsItsRowsAndIsRemembered) {
    ASSERT_TRUE(opened());
    const QString other = QDir::current().filePath("<font size=6>other");
    QDir().mkdir(other);
    writePupil(other, "9", pupilOn(2, 0));
    const testing_support::EnvVar config("XDG_CONFIG_HOME", QDir::current().filePath("config").toUtf8());
    dialogs.folderAnswer = other;
    QSignalSpy refreshed(window.get(), &ClassWindow::refreshed);
    button("chooseButton")->click();
    ASSERT_TRUE(refreshed.wait(10000));
    ASSERT_EQ(window->model().rowCount(), 1);
    EXPECT_EQ(window->model().pupil(0).code, "9");
    EXPECT_TRUE(readAll("config/pomurin20/pomurin20-report.conf").contains("other"));
    auto *label = window->findChild<QLabel *>("folderLabel");
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), "フォルダー：" + other);
    EXPECT_TRUE(label->toolTip().contains("&lt;font size=6&gt;other")) << label->toolTip().toStdString();
    EXPECT_EQ(window->findChild<QLabel *>("statusLabel")->textFormat(), Qt::PlainText);
    struct stat was {};  // chosen again after a rewrite in place that kept its size and times: read afresh, lesson begun
    ASSERT_EQ(::stat(qPrintable(other + "/9.ucd"), &was), 0);
    writePupil(other, "9", pupilOn(2, 5));
    const timespec kept[2] = {was.st_atim, was.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, qPrintable(other + "/9.ucd"), kept, 0), 0);
    const QDateTime chosen = QDateTime::currentDateTimeUtc().addSecs(-1);
    button("chooseButton")->click();
    ASSERT_TRUE(refreshed.wait(10000));
    EXPECT_TRUE(window->model().pupil(0).score == 5 && button("lessonButton")->isEnabled() && window->model().lesson().start >= chosen);
}

TEST_F(ClassWindowTest, EveryControlIsReachedByTheKeyboard) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_TRUE(opened());
    button("chooseButton")->setFocus();
    QStringList order;
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const QWidget *w = QApplication::focusWidget();
        order << (w->objectName().startsWith("qt_") ? QString(w->metaObject()->className()) : w->objectName());
    }
    EXPECT_EQ(order, QStringList({"csvButton", "pdfButton", "pageButton", "rosterButton", "questionList", "explainButton",
                                  "assignButton", "projectButton", "QTabBar", "classTable"}));
    EXPECT_EQ(window->findChild<QWidget *>("questionList")->accessibleName(), "説明する問題");
    // The tab bar's arrow keys bring the grid; Tab goes into it.
    auto *bar = window->findChild<QTabBar *>();
    ASSERT_TRUE(bar);
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Right);
    QTest::keyClick(bar, Qt::Key_Tab);
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "missGrid");
}

// A question chosen by a bar (its tooltip says what it asks), grid or list is
// explained by the game's tutor and script, scaled to the window, stepped by
// click and key, closed by Esc, EXIT or its last step; nothing else changes.
TEST_F(ClassWindowTest, AChosenQuestionIsExplainedByTheTutorsOwnScriptAndNoFileChanges) {
    const QStringList before = snapshot("class");
    const QStringList here = QDir(".").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    window->resize(1040, 720);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_TRUE(opened());
    auto *tabs = window->findChild<QTabWidget *>("tabs");
    QStringList pages;
    for (int i = 0; i < tabs->count(); ++i) pages << tabs->tabText(i);
    EXPECT_EQ(pages, QStringList({"一覧", "問題ごとのミス", "グラフ", "分野ごと", "この時間", "課題"}));
    tabs->setCurrentIndex(2);
    const QList<BarChart *> charts = window->findChildren<BarChart *>();
    ASSERT_EQ(charts.size(), 2);
    BarChart *chart = charts[0];
    int x = 0;
    while (x < chart->width() && chart->questionAt(x) != 21) ++x;
    const QPoint bar(x + 3, chart->height() / 2);
    ASSERT_EQ(chart->questionAt(bar.x()), 21);
    QHelpEvent help(QEvent::ToolTip, bar, chart->mapToGlobal(bar));
    QApplication::sendEvent(chart, &help);
    EXPECT_TRUE(QToolTip::text().startsWith("問21　共通因数をくくって公式（因数分解）\n次の式を因数分解したときの１つのカッコの中を求めよ。\n"
                                            "ａ² ｂ － ４ａｂ ＋ ４ｂ\n"))
        << QToolTip::text().toStdString();
    QTest::mouseClick(chart, Qt::LeftButton, {}, bar);
    EXPECT_EQ(window->chosenQuestion(), 21);
    EXPECT_EQ(window->findChild<QComboBox *>("questionList")->currentText(), "問21　共通因数をくくって公式");
    for (BarChart *c : charts) EXPECT_EQ(c->chosen(), 21);

    auto *grid = window->findChild<QTableView *>("missGrid");
    ASSERT_TRUE(grid);
    grid->setCurrentIndex(grid->model()->index(0, ClassModel::FirstQuestion + 28));
    button("explainButton")->click();
    QPointer<ExplanationWindow> shown = window->findChild<ExplanationWindow *>();
    ASSERT_TRUE(shown);
    // The bar names the question beside 戻る, left of the step; EXIT is the one close button.
    const auto *title = shown->page()->findChild<QLabel *>("questionTitle");
    EXPECT_EQ(title->text(), "問29　ｙの変域（ｘが０をふくむ）");
    EXPECT_GE(title->x(), shown->page()->findChild<QPushButton *>("backButton")->geometry().right());
    EXPECT_LE(title->geometry().right(), shown->page()->findChild<QLabel *>("stepLabel")->x());
    EXPECT_EQ(shown->page()->findChild<QLabel *>("stepLabel")->text(), "説明 0 / 5");
    EXPECT_FALSE(shown->page()->findChild<QPushButton *>("closeButton"));
    screens::TutorScreen *tutor = shown->tutor();
    EXPECT_EQ(printedPieces(tutor->explanationBox), expectedPieces(29, 1, 0));
    EXPECT_EQ(tutor->speechBox->printed().size(), 3);
    // The tutor screen fills the window's width or height, whole; in a small
    // window it is made smaller, still whole.
    auto *view = shown->findChild<QGraphicsView *>("explanationView");
    const auto whole = [view](bool fills) {
        const QRect page = view->mapFromScene(view->sceneRect()).boundingRect();
        const QSize room = view->viewport()->size();
        return page.width() <= room.width() + 2 && page.height() <= room.height() + 2 &&
               (!fills || page.width() >= room.width() - 2 || page.height() >= room.height() - 2);
    };
    EXPECT_TRUE(whole(true));
    EXPECT_GT(shown->scale(), 1.0);
    shown->setWindowState(Qt::WindowNoState);
    shown->resize(300, 240);
    QCoreApplication::processEvents();
    EXPECT_TRUE(whole(false));
    EXPECT_LT(shown->scale(), 1.0);

    // A real click on the scaled 次へ reaches the tutor's button; → and ← step.
    const QPoint next = view->mapFromScene(
        QPointF(tutor->nextButton->mapTo(tutor->parentWidget(), tutor->nextButton->rect().center())));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, next);
    EXPECT_EQ(shown->stepsShown(), 1);
    shown->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(shown));
    QTest::keyClick(shown, Qt::Key_Right);
    EXPECT_EQ(shown->stepsShown(), 2);
    QTest::keyClick(shown, Qt::Key_Left);
    EXPECT_EQ(shown->stepsShown(), 1);
    EXPECT_EQ(printedPieces(shown->tutor()->explanationBox), expectedPieces(29, 1, 1));
    EXPECT_EQ(printedPieces(shown->tutor()->workingBox), expectedPieces(29, 2, 1));
    shown->back();
    EXPECT_EQ(printedPieces(shown->tutor()->explanationBox), expectedPieces(29, 1, 0));
    // → once too often stays on the last step; the grid behind keeps its question.
    for (int k = 0; k < 6; ++k) QTest::keyClick(shown, Qt::Key_Right);
    settle();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->stepsShown(), 5);
    EXPECT_EQ(window->chosenQuestion(), 29);
    QTest::keyClick(shown, Qt::Key_Escape);
    settle();
    EXPECT_FALSE(shown);

    // The first and last questions are marked like any other, and explained to
    // their last step as in the game, question 30 with its graph.
    for (const auto &[q, steps, graph] : {std::tuple(1, 4, false), std::tuple(30, 5, true)}) {
        window->chooseQuestion(q);
        for (BarChart *c : charts) EXPECT_EQ(c->chosen(), q);
        shown = window->explain();
        ASSERT_TRUE(shown) << q;
        EXPECT_EQ(shown->stepCount(), steps);
        for (int k = 1; k <= steps; ++k) shown->next();
        EXPECT_EQ(printedPieces(shown->tutor()->workingBox), expectedPieces(q, 2, steps));
        EXPECT_EQ(!shown->tutor()->workingBox->graphics().isEmpty(), graph);
        shown->next();
        settle();
        EXPECT_FALSE(shown) << q;
    }
    // From the list (marked on both charts): every step, then the closing click, as for a pupil.
    window->findChild<QComboBox *>("questionList")->setCurrentIndex(16);
    for (BarChart *c : charts) EXPECT_EQ(c->chosen(), 17);
    shown = window->explain();
    ASSERT_TRUE(shown);
    for (int k = 1; k <= shown->stepCount(); ++k) shown->next();
    EXPECT_EQ(printedPieces(shown->tutor()->workingBox), expectedPieces(17, 2, shown->stepCount()));
    shown->next();
    settle();
    EXPECT_FALSE(shown);
    // The tutor's EXIT closes it too.
    shown = window->explain();
    shown->tutor()->exitButton->click();
    settle();
    EXPECT_FALSE(shown);

    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(platform::forms::showLog().isEmpty());
    EXPECT_EQ(state::session().question, 0);
    EXPECT_EQ(snapshot("class"), before);
    EXPECT_EQ(QDir(".").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), here);
}

// グラフ: an average of 0 misses is a figure, drawn on the axis with its
// label; a question nobody reached has none.
TEST(ClassWindowCharts, AZeroAverageIsDrawnAndAQuestionNobodyReachedIsNot) {
    ClassSummary s;
    s.reachedBy[1] = 2;  // on average 0 misses
    ChartPage page;
    page.setSummary(s);
    BarChart *chart = page.missChart();
    EXPECT_TRUE(chart->accessibleDescription().startsWith("問1　平方根を求める：0.0 回、問2　√をはずす（√１６＝４）：まだだれも進んでいません、"));
    chart->resize(800, 250);
    const QImage image = chart->grab().toImage();
    const auto barAt = [&](int q) {  // just above the axis (44 pixels from the bottom)
        int first = 0, last = 0;
        for (int x = 0; x < chart->width(); ++x)
            if (chart->questionAt(x) == q) (first ? last : first) = x, last = x;
        return image.pixelColor((first + last) / 2, image.height() - 44 - 2) == QColor(0x4a, 0x7b, 0xd0);
    };
    EXPECT_TRUE(barAt(1));
    EXPECT_FALSE(barAt(2));
}

TEST(ReportCommandWindow, WindowOptionIsRecognisedAndNotMixedWithFiles) {
    const std::pair<QStringList, bool> cases[] = {
        {{"--window"}, true}, {{"--window", "class"}, true}, {{"class", "--window"}, true}, {{"class"}, false},
        {{"--", "--window"}, false},  // a folder of that name
        {{"--window", "--csv", "a.csv"}, false},
    };
    for (const auto &[args, window] : cases) EXPECT_EQ(wantsWindow(args), window) << args.join(' ').toStdString();
    // A usage error, never the window: a watchdog closes one that opens, so that the test fails in seconds.
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        ADD_FAILURE() << "the window opened";
        QApplication::closeAllWindows();
        QCoreApplication::exit(kFailed);
    });
    watchdog.start(5000);
    for (const QString output : {"--csv", "--html", "--pdf"}) {
        const Result r = runReport({"--window", output, "a.out"});
        EXPECT_EQ(r.status, kUsage) << output.toStdString();
        EXPECT_TRUE(r.err.startsWith("--window は --csv、--html、--pdf と一緒には使えません（ウィンドウのボタンで書けます）。\n使い方"))
            << r.err.toStdString();
    }
}

TEST_F(ClassWindowTest, AClassListNamesPupilsAndTheProjectorNamesNoneOfThem) {
    writePupil("class", "さくら2", pupilOn(12, 3000));
    writeBytes("list.csv", "\xEF\xBB\xBF番号,氏名,コード\r\n131,丸山 十,ken\r\n132,山田 花子,山田\r\n133,青木 一,さくら2\r\n");
    window = std::make_unique<ClassWindow>(dialogs, "pages", nullptr, "data");
    ASSERT_TRUE(opened());
    dialogs.rosterAnswer = "list.csv";
    button("rosterButton")->click();
    const auto *status = window->findChild<QLabel *>("statusLabel");
    EXPECT_TRUE(status->text().startsWith("名簿を読み込みました（3 人）。")) << status->text().toStdString();
    EXPECT_TRUE(status->text().contains("要支援 0 人　未着手 1 人"));
    const auto *table = window->findChild<QTableView *>("classTable");
    EXPECT_EQ(shownHeadings(table).mid(0, 3), QStringList({"番号", "氏名", "コード"}));
    const auto *lesson = window->findChild<QTableView *>("lessonTable");
    EXPECT_EQ(shownHeadings(lesson).mid(0, 3), QStringList({"番号", "氏名", "コード"}));
    EXPECT_EQ(lesson->horizontalHeader()->sortIndicatorSection(), int(ClassModel::Number));
    // Kept in the teacher's own folder for this class folder, never in the class folder.
    EXPECT_TRUE(QFile::exists(rosterFile("data", QDir("class").absolutePath())));
    EXPECT_EQ(QDir("class").entryList({"*.json", "*.csv"}, QDir::Files), QStringList());
    window = std::make_unique<ClassWindow>(dialogs, "pages", nullptr, "data");
    window->show();
    ASSERT_TRUE(opened());
    ASSERT_EQ(window->model().notStartedCount(), 1);
    EXPECT_TRUE(window->findChild<QLabel *>("lessonTotals")->text().endsWith("読めないファイル 4 件"));  // not the one not started

    // 投影 (F5): the class's figures; no code, name or number of a pupil anywhere in it.
    window->chooseQuestion(12);
    QTest::keyClick(window.get(), Qt::Key_F5);
    QPointer<ProjectorWindow> projector = window->projector();
    ASSERT_TRUE(projector);
    ClassWall *wall = projector->wall();
    wall->grab();
    const QStringList painted = wall->paintedTexts();
    EXPECT_EQ(painted.mid(0, 2), QStringList({"記録 10 人　要支援 0 人　未着手 1 人", "問12　√をふくむ式の展開"}));
    EXPECT_GE(wall->textSize(), 0.03 * projector->screen()->geometry().height());
    QStringList seen = painted;
    accessibleTexts(QAccessible::queryAccessibleInterface(projector), seen);
    EXPECT_TRUE(seen.contains("記録 10 人、要支援 0 人、未着手 1 人、問12　√をふくむ式の展開"));
    seen << projector->windowTitle();
    for (const QWidget *w : projector->findChildren<QWidget *>()) seen << w->toolTip() << w->windowTitle();
    for (const char *secret : {"131", "132", "133", "丸山", "山田", "花子", "青木", "ken", "さくら", "broken", "link",
                                  "pipe", "huge"})
        for (const QString &text : seen) EXPECT_FALSE(text.contains(QString::fromUtf8(secret))) << secret << " in " << text.toStdString();
    // F6's explanation opens over the wall; with one screen, Esc goes back to the teacher's view.
    ExplanationWindow *explanation = window->explain();
    EXPECT_EQ(explanation->parentWidget(), projector.data());
    explanation->close();
    settle();
    EXPECT_TRUE(projector->onTeachersScreen());
    projector->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(projector));
    QTest::keyClick(projector, Qt::Key_Escape);
    settle();
    EXPECT_FALSE(projector);

    button("unrosterButton")->click();
    EXPECT_FALSE(window->model().roster());
    EXPECT_FALSE(QFile::exists(rosterFile("data", QDir("class").absolutePath())));
    EXPECT_EQ(window->findChild<QTableView *>("classTable")->horizontalHeader()->sortIndicatorSection(), int(ClassModel::Help));
}
