// SPDX-License-Identifier: GPL-3.0-or-later
// The class's 課題 for the teacher: who may write its file, the command
// line, the CSV's column, and the window from setting it to 済.
#include "ClassFolder.h"
#include "report/Writers.h"
#include "report/window/ClassWindow.h"
#include "report/window/TopicTable.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include <sys/stat.h>

using namespace report;
using namespace report_test;

namespace {

QString today(int days = 0) { return QDate::currentDate().addDays(days).toString(Qt::ISODate); }

TEST(AssignmentFile, CountsOnlyFromATeachersAccountAndAnythingElseIsNamedAndLeft) {
    const auto nameOf = [](uid_t u) { return u == 1001 ? QString("tanaka") : QString("sato"); };
    const struct { const char *who; uid_t owner; bool counts; } rows[] = {{"the folder's owner", 1000, true}, {"root", 0, true}, {"a named teacher", 1001, true}, {"a classmate", 1002, false}};
    for (const auto &r : rows) EXPECT_EQ(state::assignment::writtenByTeacher(r.owner, 1000, {"suzuki", "tanaka"}, nameOf), r.counts) << r.who;
    const QString todo = "課題は出ていないものとして扱います。「課題を出す…」で出しなおすか、ファイル「課題.txt」を確かめてください。";
    ASSERT_TRUE(QDir().mkdir("link") && QDir().mkdir("fifo"));
    ASSERT_TRUE(::symlink("elsewhere", "link/課題.txt") == 0 && ::mkfifo("fifo/課題.txt", 0600) == 0);
    const struct { const char *folder; QString problem; } planted[] = {{"link", "「link/課題.txt」を開けません（シンボリックリンクは使えません）。" + todo},
                   {"fifo", "「fifo/課題.txt」はFIFO（名前付きパイプ）で、課題のファイルではありません。" + todo}};
    for (const auto &p : planted) {
        const state::assignment::Found found = state::assignment::read(p.folder);
        EXPECT_EQ(found.kind == state::assignment::Found::Kind::Unusable ? found.problem : "", p.problem);
        EXPECT_EQ(runReport({p.folder, "--assign", "1"}).status, kFailed) << p.folder;
        EXPECT_EQ(QDir(p.folder).entryList(QDir::System | QDir::Files), QStringList({"課題.txt"})) << "never removed";
    }
}

void twoPupils() {
    QDir().mkdir("class");
    for (const char *code : {"aki", "ben"}) writePupil("class", code, pupilOn(30, 0));
}

TEST(AssignmentCommand, SetsReplacesAndClearsAndRefusesWrongLines) {
    twoPupils();
    for (const QStringList &wrong : QList<QStringList>{{"class", "--assign", "31"}, {"class", "--assign", "8,8"},
             {"class", "--assign", "8", "--test-day", "2026-13-01"}, {"class", "--assign", "8", "--test-day", today()},
             {"class", "--test-day", today(7)}, {"class", "--assign", "8", "--csv", "x.csv"}})
        EXPECT_EQ(runReport(wrong).status, kUsage) << wrong.join(' ').toStdString();
    EXPECT_TRUE(!QFile::exists("class/課題.txt") && runReport({"nowhere", "--assign", "8"}).status == kFailed);

    Result r = runReport({"class", "--assign", "18,17", "--test-day", "2099-12-15"});
    ASSERT_EQ(r.status, kDone) << r.err.toStdString();
    const QString set = QDate::currentDate().toString("M月d日");
    EXPECT_EQ(r.out, "課題を出しました：因数分解 2問（問17・18）、" + set + "に出しました、テストの日 12月15日\n");
    const QByteArray file = readAll("class/課題.txt");
    EXPECT_TRUE(file.startsWith("pomurin20 課題 1\r\nquestions 17,18\r\nset " + today().toLatin1() + " ")) << file.toStdString();
    EXPECT_TRUE(file.size() == 79 && file.endsWith("\r\ntest 2099-12-15\r\n")) << "four lines, the time to the second";
    // aki did 17 right at the first try, 18 not yet; ben's record answers another 課題.
    const QByteArray stamp = file.mid(file.indexOf("set ") + 4, 19);
    writeBytes("class/aki.review", "pomurin20 review 4\r\n18,1,0,1,2026-12-07,2026-12-08,1\r\nassignment," + stamp + ",17o,18x\r\n");
    writeBytes("class/ben.review", "pomurin20 review 4\r\nassignment,2026-01-01 08:00:00,17o,18o\r\n");
    const QString csvText = QString::fromUtf8(csv(readFolder("class")));
    EXPECT_TRUE(csvText.section("\r\n", 0, 0).endsWith(",今日の復習,課題"));
    EXPECT_TRUE(csvText.section("\r\n", 1, 1).endsWith(",1／2")) << csvText.section("\r\n", 1, 1).toStdString();
    EXPECT_TRUE(csvText.section("\r\n", 2, 2).endsWith(",0／2"));
    EXPECT_EQ(runReport({"class", "--csv", "class/課題.txt"}).status, kUsage) << "an output never replaces it";

    r = runReport({"class", "--assign", "1"});
    EXPECT_EQ(r.out, "前の課題（因数分解 2問（問17・18）、" + set + "に出しました、テストの日 12月15日）を置きかえました。\n"
                     "課題を出しました：平方根 1問（問1）、" + set + "に出しました\n");
    EXPECT_TRUE(runReport({"class", "--assign-clear"}).status == kDone && !QFile::exists("class/課題.txt"));
    EXPECT_EQ(runReport({"class", "--assign-clear"}).out, "課題は出ていません。\n");
}

struct AssignDialogs : window::WindowDialogs {
    std::vector<int> proposed;
    window::AssignmentChoice answer;
    QStringList asked, errors;
    QString chooseFolder(QWidget *, const QString &) override { return {}; }
    QString chooseCsvFile(QWidget *, const QString &) override { return {}; }
    bool openPage(const QUrl &) override { return false; }
    void showError(QWidget *, const QString &text) override { errors << text; }
    std::optional<window::AssignmentChoice> chooseAssignment(QWidget *, const window::AssignmentChoice &p, const QDate &) override {
        return proposed = p.questions, answer;
    }
    bool confirm(QWidget *, const QString &question, const QString &) override { return asked << question, true; }
};

TEST(AssignmentWindow, ATopicSetAsThe課題AndAPupilsRecordShows済) {
    twoPupils();
    AssignDialogs dialogs;
    window::ClassWindow w(dialogs, "pages");
    w.live().setRescanInterval(3600 * 1000);
    const auto looked = [&w] { return QSignalSpy(&w, &window::ClassWindow::refreshed).wait(10000); };
    w.openFolder("class");
    ASSERT_TRUE(looked());
    // 因数分解 chosen in 分野ごと is proposed; the teacher keeps 17 and 18.
    auto *topics = w.findChild<window::TopicTable *>("topicTable");
    w.findChild<QTabWidget *>("tabs")->setCurrentWidget(topics);
    topics->selectRow(3);
    dialogs.answer = {{17, 18}, QDate::currentDate().addDays(7)};
    w.findChild<QPushButton *>("assignButton")->click();
    EXPECT_EQ(dialogs.proposed, std::vector<int>({17, 18, 19, 20, 21}));
    EXPECT_TRUE(w.findChild<QLabel *>("statusLabel")->text().startsWith("課題を出しました：因数分解 2問（問17・18）"));
    ASSERT_TRUE(looked());
    const state::assignment::Found found = state::assignment::read("class");
    ASSERT_EQ(found.assignment.questions, std::vector<int>({17, 18}));
    const auto rows = [t = w.findChild<QTableWidget *>("assignmentTable")] {
        QStringList out;
        for (int r = 0; r < t->rowCount(); ++r)
            for (int c = 0; c < t->columnCount(); ++c) out << (t->item(r, c) ? t->item(r, c)->text() : "?");
        return out.join('|');
    };
    EXPECT_EQ(rows(), "aki|未着手|||ben|未着手|||一度で正解||0人|0人");
    const QByteArray stamp = found.assignment.set.toString("yyyy-MM-dd HH:mm:ss").toLatin1();
    writeBytes("class/ben.review", "pomurin20 review 4\r\nassignment," + stamp + ",17o,18o\r\n");
    writeBytes("class/aki.review", "pomurin20 review 4\r\n18,1,0,1,2026-12-07,2026-12-08,1\r\nassignment," + stamp + ",18x\r\n");
    w.live().rescan();
    ASSERT_TRUE(looked());
    EXPECT_EQ(rows(), "aki|途中 (0／2)||×|ben|済|○|○|一度で正解||1人|1人");
    EXPECT_TRUE(w.findChild<QLabel *>("statusLabel")->text().contains("課題 済 1／2"));
    // Set again: asked before the old one is replaced; 課題をやめる asks too.
    w.findChild<QPushButton *>("assignButton")->click();
    EXPECT_TRUE(dialogs.asked.value(0).startsWith("いま出ている課題（因数分解 2問（問17・18）"));
    ASSERT_TRUE(looked());
    w.findChild<QPushButton *>("clearAssignmentButton")->click();
    EXPECT_TRUE(dialogs.asked.last().startsWith("課題（因数分解 2問（問17・18）"));
    EXPECT_TRUE(!QFile::exists("class/課題.txt") && dialogs.errors.isEmpty());
    window::AssignDialog dialog({{17}, {}}, QDate::currentDate());
    dialog.show();
    EXPECT_EQ(dialog.preview()->text(), "出す課題：因数分解 1問（問17）、テストの日なし");
    EXPECT_GT(dialog.okButton()->mapTo(&dialog, QPoint()).y(), dialog.tree()->geometry().bottom());
}

}  // namespace
