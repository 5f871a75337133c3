// SPDX-License-Identifier: GPL-3.0-or-later
// The teacher's window without a window: the folder scanner and the class
// model over a generated folder (rows, order, sorting, the grid's steps),
// one changed file changing one row, and where the window starts.
#include "ClassFolder.h"
#include "report/MissSteps.h"
#include "report/window/ClassModel.h"
#include "report/window/FolderScanner.h"
#include "report/window/StartFolder.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace report;
using namespace report::window;
using report_test::pupilOn;
using report_test::writeBytes;
using report_test::writePupil;

namespace {

// Saves as the game does: a new file renamed over the old one.
void saveLikeTheGame(const QString &folder, const QString &code, const state::Session &m) {
    const QString temp = folder + "/" + code + ".ucd.tmp";
    writeBytes(temp, state::progress::render(m));
    ASSERT_EQ(::rename(QFile::encodeName(temp).constData(), QFile::encodeName(folder + "/" + code + ".ucd").constData()),
              0);
}

QStringList column(const QAbstractItemModel &model, int c) {
    QStringList values;
    for (int r = 0; r < model.rowCount(); ++r) values << model.index(r, c).data().toString();
    return values;
}

// A class of seven: codes that sort as a class list, ties in misses, a
// damaged file, a link and a FIFO.
void makeClass() {
    QDir().mkdir("class");
    writePupil("class", "10", pupilOn(30, 87000));       // i % 3 on 1..29, 1 on 30: 31 misses
    writePupil("class", "2", pupilOn(4, 3000));          // 1 + 2 + 0 + 1 = 4 misses
    writePupil("class", "3", pupilOn(5, -3000));         // 1 + 2 + 0 + 1 + 1 = 5
    writePupil("class", "山田", pupilOn(5, 0));           // 5
    writePupil("class", "1", pupilOn(1, 0));             // 1
    writeBytes("class/broken.ucd", "3,x\r\n");
    ASSERT_EQ(::symlink("10.ucd", "class/link.ucd"), 0);
    ASSERT_EQ(::mkfifo("class/pipe.ucd", 0600), 0);
    writeBytes("class/notes.txt", "not a progress file");
}

struct Loaded {
    FolderScanner scanner;
    ClassModel model;
    ClassSortProxy proxy;
    Loaded() { proxy.setSourceModel(&model); }
    ScanDelta look() {
        ScanDelta d = scanner.scan("class");
        model.apply(d);
        return d;
    }
};

}  // namespace

TEST(ClassModel, RowsOfAFolderInClassListOrderWithTheTablesCells) {
    makeClass();
    Loaded l;
    const ScanDelta d = l.look();
    ASSERT_TRUE(d.error.isEmpty()) << d.error.toStdString();
    EXPECT_TRUE(d.complete);
    EXPECT_EQ(d.files, 8);
    ASSERT_EQ(l.model.rowCount(), 8);
    EXPECT_EQ(column(l.model, ClassModel::Code), QStringList({"1", "2", "3", "10", "broken", "link", "pipe", "山田"}));
    EXPECT_EQ(column(l.model, ClassModel::Misses), QStringList({"1", "4", "5", "31", "", "", "", "5"}));
    EXPECT_EQ(column(l.model, ClassModel::Reached), QStringList({"1", "4", "5", "30", "", "", "", "5"}));
    EXPECT_EQ(column(l.model, ClassModel::Score), QStringList({"0", "3000", "-3000", "87000", "", "", "", "0"}));
    // Seconds of the questions before the one reached: 11 + 12 + 13 for "2".
    EXPECT_EQ(l.model.index(1, ClassModel::Seconds).data().toString(), "36");
    const QStringList states = column(l.model, ClassModel::State);
    EXPECT_EQ(states[0], "正常");
    EXPECT_TRUE(states[4].startsWith("読めません：")) << states[4].toStdString();
    EXPECT_EQ(states[5], "読めません：シンボリックリンクです（たどりません）");
    EXPECT_EQ(states[6], "読めません：名前付きパイプ（FIFO）です");
    // The summary the charts draw counts the five readable files.
    EXPECT_EQ(l.model.summary().readable, 5);
    EXPECT_EQ(l.model.summary().unreadable, 3);
    EXPECT_EQ(l.model.summary().reachedBy[5], 3);
    EXPECT_EQ(l.model.report().pupils.size(), 8u);
}

TEST(ClassModel, SortsByAnyColumnUnreadableFirstAndTiesInCodeOrder) {
    makeClass();
    Loaded l;
    l.look();
    struct Case {
        int column;
        Qt::SortOrder order;
        QStringList codes;
    };
    const Case cases[] = {
        {ClassModel::Misses, Qt::DescendingOrder, {"10", "3", "山田", "2", "1", "broken", "link", "pipe"}},
        {ClassModel::Misses, Qt::AscendingOrder, {"broken", "link", "pipe", "1", "2", "3", "山田", "10"}},
        {ClassModel::Score, Qt::AscendingOrder, {"broken", "link", "pipe", "3", "1", "山田", "2", "10"}},
        {ClassModel::Code, Qt::DescendingOrder, {"山田", "pipe", "link", "broken", "10", "3", "2", "1"}},
        // Misses on question 2 (2 each where reached), not reached before reached.
        {ClassModel::FirstQuestion + 1, Qt::AscendingOrder, {"broken", "link", "pipe", "1", "2", "3", "10", "山田"}},
    };
    for (const Case &c : cases) {
        l.proxy.sort(c.column, c.order);
        EXPECT_EQ(column(l.proxy, ClassModel::Code), c.codes) << "column " << c.column;
    }
    // By state: the readable files first, in code order.
    l.proxy.sort(ClassModel::State, Qt::AscendingOrder);
    EXPECT_EQ(column(l.proxy, ClassModel::Code).mid(0, 5), QStringList({"1", "2", "3", "10", "山田"}));
}

TEST(ClassModel, GridCellsTakeFourStepsAndStayEmptyWhereNotReached) {
    QDir().mkdir("class");
    state::Session m;
    m.question = 7;
    m.misses = {0, 0, 1, 2, 3, 9, 0, 1};  // question 7 is the one being worked on
    m.answerTimes = {0, 5, 5, 5, 5, 5, 5, 50412.5f};
    writePupil("class", "a", m);
    writeBytes("class/b.ucd", "");
    Loaded l;
    l.look();
    ASSERT_EQ(l.model.rowCount(), 2);

    const int expected[] = {0, 1, 2, 3, 3, 0, 1};
    for (int q = 1; q <= 30; ++q) {
        const QModelIndex cell = l.model.index(0, ClassModel::FirstQuestion + q - 1);
        const int step = q <= 7 ? expected[q - 1] : kNotReached;
        EXPECT_EQ(cell.data(ClassModel::StepRole).toInt(), step) << "question " << q;
        EXPECT_EQ(cell.data().toString(), q <= 7 ? QString::number(m.misses[q]) : QString()) << q;
        EXPECT_EQ(cell.data(Qt::BackgroundRole).isValid(), q <= 7) << q;
        // The unreadable file has no cell anywhere.
        EXPECT_EQ(l.model.index(1, ClassModel::FirstQuestion + q - 1).data(ClassModel::StepRole).toInt(), kNotReached);
    }
    EXPECT_EQ(l.model.index(0, ClassModel::FirstQuestion + 4).data(Qt::AccessibleTextRole).toString(),
              "a 問5：ミス 9 回");
    EXPECT_EQ(l.model.index(0, ClassModel::FirstQuestion + 7).data(Qt::AccessibleTextRole).toString(),
              "a 問8：まだ進んでいません");
}

TEST(ClassModel, GridStepsReadApartInGreyAndFromAnEmptyCell) {
    // Lightness (CIE L*) of each fill: the steps darken in clear steps,
    // and no step is mistaken for the white of an empty cell.
    const auto lightness = [](const char *hex) {
        const QColor c{QLatin1String(hex)};
        const auto lin = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        const double y = 0.2126 * lin(c.redF()) + 0.7152 * lin(c.greenF()) + 0.0722 * lin(c.blueF());
        return 116 * std::cbrt(y) - 16;
    };
    double previous = 100;  // an empty cell is white
    for (int step = 0; step < kMissSteps; ++step) {
        const double l = lightness(stepColours(step).fill);
        EXPECT_GE(previous - l, 10) << "step " << step;
        // The number in the cell stands out from its fill.
        EXPECT_GE(std::abs(lightness(stepColours(step).text) - l), 45) << "step " << step;
        previous = l;
    }
}

TEST(ClassModel, OneChangedFileIsReadAgainAndChangesOneRow) {
    makeClass();
    Loaded l;
    l.look();
    QSignalSpy changed(&l.model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&l.model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&l.model, &QAbstractItemModel::rowsInserted);

    // Nothing changed: nothing is read.
    EXPECT_EQ(l.look().read, 0);
    EXPECT_EQ(changed.count(), 0);

    saveLikeTheGame("class", "2", pupilOn(9, 21000));
    const ScanDelta d = l.look();
    EXPECT_EQ(d.read, 1);
    ASSERT_EQ(d.changed.size(), 1u);
    EXPECT_EQ(d.changed[0].pupil.code, "2");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 1);
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(l.model.index(1, ClassModel::Reached).data().toString(), "9");
    EXPECT_EQ(l.model.index(1, ClassModel::Score).data().toString(), "21000");
    EXPECT_EQ(l.model.summary().reachedBy[9], 2);
    // The sorted view follows the changed row.
    l.proxy.sort(ClassModel::Reached, Qt::DescendingOrder);
    EXPECT_EQ(column(l.proxy, ClassModel::Code).mid(0, 2), QStringList({"10", "2"}));

    // A file rewritten in place with the same size is seen by its time.
    const QByteArray same = state::progress::render(pupilOn(9, 24000));
    ASSERT_EQ(same.size(), state::progress::render(pupilOn(9, 21000)).size());
    writeBytes("class/2.ucd", same);
    const timespec later[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 60, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, "class/2.ucd", later, 0), 0);
    EXPECT_EQ(l.look().read, 1);
    EXPECT_EQ(l.model.index(1, ClassModel::Score).data().toString(), "24000");
}

TEST(ClassModel, NewAndRemovedFilesInsertAndRemoveTheirRowsOnly) {
    makeClass();
    Loaded l;
    l.look();
    QSignalSpy inserted(&l.model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&l.model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&l.model, &QAbstractItemModel::modelReset);

    writePupil("class", "5", pupilOn(2, 0));
    ASSERT_TRUE(QFile::remove("class/broken.ucd"));
    const ScanDelta d = l.look();
    EXPECT_EQ(d.read, 1);
    EXPECT_EQ(d.removed, QList<QByteArray>({"broken.ucd"}));
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 3);  // between "3" and "10"
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(column(l.model, ClassModel::Code), QStringList({"1", "2", "3", "5", "10", "link", "pipe", "山田"}));

    // A whole class arriving at once is taken in by one reset, in order.
    for (int i = 100; i < 200; ++i) writePupil("class", QString::number(i), pupilOn(1 + i % 30, 0));
    l.look();
    EXPECT_EQ(reset.count(), 1);
    ASSERT_EQ(l.model.rowCount(), 108);
    EXPECT_EQ(l.model.index(5, ClassModel::Code).data().toString(), "100");
    EXPECT_EQ(l.model.index(104, ClassModel::Code).data().toString(), "199");
}

TEST(ClassModel, AFolderThatGoesAwayKeepsItsRowsAndSaysSo) {
    makeClass();
    Loaded l;
    l.look();
    ASSERT_TRUE(QDir().rename("class", "moved"));
    const ScanDelta d = l.look();
    EXPECT_TRUE(d.error.contains("見つかりません")) << d.error.toStdString();
    EXPECT_EQ(l.model.rowCount(), 8);
    ASSERT_TRUE(QDir().rename("moved", "class"));
    EXPECT_EQ(l.look().read, 0);  // nothing changed meanwhile
    // A stopped look reports nothing and the next one reads afresh.
    EXPECT_TRUE(l.scanner.scan("class", [](int, int) { return false; }).aborted);
    const ScanDelta again = l.scanner.scan("class");
    EXPECT_TRUE(again.complete);
    EXPECT_EQ(again.changed.size(), 8u);
}

// Where the window starts: the folder given, the class folder, the one
// chosen last time, in that order.
class StartFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = {qgetenv("XDG_CONFIG_HOME"), qgetenv("XDG_CONFIG_DIRS")};
        qputenv("XDG_CONFIG_HOME", QDir::current().filePath("home-config").toUtf8());
        qputenv("XDG_CONFIG_DIRS", (QDir::current().filePath("etc1") + ":relative:" + QDir::current().filePath("etc2")).toUtf8());
    }
    void TearDown() override {
        qputenv("XDG_CONFIG_HOME", saved_[0]);
        qputenv("XDG_CONFIG_DIRS", saved_[1]);
    }
    static void writeConfig(const QString &base, const QByteArray &content) {
        QDir().mkpath(base + "/pomurin20");
        writeBytes(base + "/pomurin20/pomurin20.conf", content);
    }
    QList<QByteArray> saved_;
};

TEST_F(StartFolderTest, GivenThenClassFolderThenLastChosen) {
    EXPECT_EQ(startFolder(QString()), QString());  // the window asks
    rememberChosenFolder("/last/time");
    EXPECT_EQ(lastChosenFolder(), "/last/time");
    EXPECT_EQ(startFolder(QString()), "/last/time");
    writeConfig("etc1", "[class]\nfolder=/srv/class\n");
    EXPECT_EQ(startFolder(QString()), "/srv/class");
    EXPECT_EQ(startFolder("given"), "given");
    // The remembered folder lives in the report's own file, beside the
    // game's configuration and not in it.
    EXPECT_TRUE(QFile::exists("home-config/pomurin20/pomurin20-report.conf"));
    EXPECT_FALSE(QFile::exists("home-config/pomurin20/pomurin20.conf"));
}
