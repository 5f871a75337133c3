// SPDX-License-Identifier: GPL-3.0-or-later
// The teacher's window without a window: the folder scanner and the class
// model over a generated folder (rows, order, sorting, the grid's steps),
// one changed file changing one row, and where the window starts.
#include "ClassFolder.h"
#include "report/MissSteps.h"
#include "report/Roster.h"
#include "report/window/ClassModel.h"
#include "classfolder/FolderScanner.h"
#include "report/window/StartFolder.h"
#include "report/window/TopicTable.h"
#include "state/CodeHold.h"
#include "support/EnvVar.h"

#include <QColor>
#include <QSignalSpy>
#include <QTest>
#include <QSysInfo>

#include <cmath>
#include <ctime>
#include <functional>
#include <string_view>

#include <sys/wait.h>

using namespace report;
using namespace report::window;
using namespace classfolder;
using namespace report_test;
using testing_support::EnvVar;

namespace {

QStringList column(const QAbstractItemModel &model, int c) {
    QStringList values;
    for (int r = 0; r < model.rowCount(); ++r) values << model.index(r, c).data().toString();
    return values;
}

// The class folder scanned into the model, the sorted view over it.
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

// A hold beside code's file as a playing program writes it (empty host:
// damaged text), last renewed ago seconds back.
void plantHold(const QString &code, const QString &host, qint64 pid, int ago) {
    writeBytes("class/" + code + ".ucd.hold",
               host.isEmpty() ? QByteArray("\x01\x02 garbage")
                              : "pomurin20 hold\nhost " + host.toUtf8() + "\npid " + QByteArray::number(pid) +
                                    "\ntoken 0123456789abcdef0123456789abcdef\ntime 2026-01-01T00:00:00Z\n");
    const timespec then{std::time(nullptr) - ago, 0};
    const timespec times[2] = {then, then};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName("class/" + code + ".ucd.hold").constData(), times, 0), 0);
}

}  // namespace

TEST(ClassModel, RowsOfAFolderInClassListOrderWithTheTablesCells) {
    makeClass();
    Loaded l;
    const ScanDelta d = l.look();
    ASSERT_TRUE(d.error.isEmpty()) << d.error.toStdString();
    ASSERT_EQ(l.model.rowCount(), 8);
    EXPECT_EQ(column(l.model, ClassModel::Code), QStringList({"1", "2", "3", "10", "broken", "link", "pipe", "山田"}));
    EXPECT_EQ(column(l.model, ClassModel::Misses), QStringList({"1", "4", "5", "31", "", "", "", "5"}));
    EXPECT_EQ(column(l.model, ClassModel::Reached), QStringList({"1", "4", "5", "30", "", "", "", "5"}));
    EXPECT_EQ(column(l.model, ClassModel::Score), QStringList({"0", "3000", "-3000", "87000", "", "", "", "0"}));
    // Seconds of the questions before the one reached: 11 + 12 + 13 for "2".
    EXPECT_EQ(l.model.index(1, ClassModel::Seconds).data().toString(), "36秒");
    const QStringList states = column(l.model, ClassModel::State);
    EXPECT_EQ(states[0], "正常");
    // A file not read: what is wrong and what to do, short; the whole
    // reason in a tooltip of lines kept as they are.
    const QString notFile = "読めません：ファイルではありません（よそへ移す）";
    EXPECT_EQ(states.mid(4, 3), QStringList({"読めません：こわれています（本人に確認／バックアップを戻す／よそへ移す）", notFile, notFile}));
    EXPECT_EQ(l.model.index(5, ClassModel::State).data(Qt::ToolTipRole).toString(),
              "<p style=\"white-space:pre\">読めません：シンボリックリンクです（たどりません）<br>"
              "進み具合のファイルではないので、クラスのフォルダーの外へ移してください。</p>");
    EXPECT_EQ(l.model.index(4, ClassModel::State).data(Qt::ToolTipRole).toString(),
              "<p style=\"white-space:pre\">読めません：進み具合のファイルが短すぎます（数が 2 個、62 個必要です）。<br>"
              "本人に確かめ、バックアップがあれば戻すか、このファイルをクラスのフォルダーの外へ移してください。</p>");
    // What the charts draw: the five readable files, three of them on question 5.
    EXPECT_EQ(l.model.summary().readable, 5);
    EXPECT_EQ(l.model.summary().reachedBy[5], 3);

    // With a class list: in its order, named, who has not started greyed,
    // the files whose codes are not on it at the bottom in code order both ways up.
    l.model.setRoster(parseRoster("番号,氏名,コード\n10,丸山 十,44\n3,山田 花子,山田\n1,青木 一,1\n2,石井 二,2\n").roster);
    l.model.setRoster(l.model.roster());  // read again: the same rows
    const auto rows = [](const QAbstractItemModel &m, std::initializer_list<int> columns) {
        QStringList out;
        for (int r = 0; r < m.rowCount(); ++r) {
            QStringList cells;
            for (const int c : columns) cells << m.index(r, c).data().toString();
            out << cells.join('|');
        }
        return out;
    };
    for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        l.proxy.sort(ClassModel::Number, order);
        QStringList listed{"1|青木 一|1|正常", "2|石井 二|2|正常", "3|山田 花子|山田|正常", "10|丸山 十|44|未着手"};
        if (order == Qt::DescendingOrder) std::reverse(listed.begin(), listed.end());
        EXPECT_EQ(rows(l.proxy, {ClassModel::Number, ClassModel::Name, ClassModel::Code, ClassModel::State}).mid(0, 4), listed);
        EXPECT_EQ(rows(l.proxy, {ClassModel::Number, ClassModel::Code}).mid(4),
                  QStringList({"名簿にない|3", "名簿にない|10", "名簿にない|broken", "名簿にない|link", "名簿にない|pipe"}));
    }
    EXPECT_EQ(l.model.index(8, ClassModel::Code).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(0x9a, 0x9a, 0x9a));
    EXPECT_TRUE(l.model.index(2, ClassModel::Number).data(Qt::ToolTipRole).toString().contains("コード「3」は名簿にありません")) << l.model.index(2, ClassModel::Number).data(Qt::ToolTipRole).toString().toStdString();
    EXPECT_EQ(l.model.index(0, ClassModel::Number).data(Qt::ToolTipRole), QVariant());
    // この時間 while the lesson runs: who has not started next to the top, after the files not read.
    l.model.setLesson(l.model.lessonFromNow(QDateTime::currentDateTimeUtc()));
    LessonSortProxy lesson;
    lesson.setSourceModel(&l.model);
    lesson.sort(ClassModel::Number, Qt::DescendingOrder);
    EXPECT_EQ(rows(lesson, {ClassModel::Code, ClassModel::Advanced}),
              QStringList({"broken|", "link|", "pipe|", "44|", "山田|0", "2|0", "1|0", "3|0", "10|0"}));
    // The pupil's first save takes the place of 未着手.
    writePupil("class", "44", pupilOn(2, 0));
    l.look();
    EXPECT_EQ(l.model.notStartedCount(), 0);
    EXPECT_EQ(rows(lesson, {ClassModel::Code, ClassModel::Advanced}).at(3), "44|2");
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
        // Misses on a question: those who have not reached it (1 and the
        // unreadable files on question 3, also 2 on question 5) after those
        // who did, with 0 misses or more, either way up.
        {ClassModel::FirstQuestion + 2, Qt::AscendingOrder, {"2", "3", "10", "山田", "1", "broken", "link", "pipe"}},
        {ClassModel::FirstQuestion + 4, Qt::AscendingOrder, {"3", "山田", "10", "1", "2", "broken", "link", "pipe"}},
        {ClassModel::FirstQuestion + 4, Qt::DescendingOrder, {"10", "3", "山田", "1", "2", "broken", "link", "pipe"}},
        // By state: the readable files first, in code order, then by reason.
        {ClassModel::State, Qt::AscendingOrder, {"1", "2", "3", "10", "山田", "link", "pipe", "broken"}},
    };
    for (const Case &c : cases) {
        l.proxy.sort(c.column, c.order);
        EXPECT_EQ(column(l.proxy, ClassModel::Code), c.codes) << "column " << c.column;
    }
}

TEST(ClassModel, AnOrderKeptRowByRowIsTheWholeOrderFromTheWorker) {
    makeClass();
    Loaded l;
    l.model.setLesson(l.model.lessonFromNow(QDateTime::currentDateTimeUtc()));
    l.model.setRoster(parseRoster("番号,氏名,コード\n3,山田 花子,山田\n1,青木 一,1\n2,石井 二,44\n").roster);
    ClassSortProxy worker;
    LessonSortProxy kept, lessonWorker;
    ClassSortProxy *const pairs[][2] = {{&worker, &l.proxy}, {&lessonWorker, &kept}};
    for (const auto &pair : pairs) pair[0]->setSourceModel(&l.model), pair[1]->setSourceModel(&l.model), pair[0]->setBackgroundFrom(0);
    for (int c = 0; c < ClassModel::kColumns; ++c)
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            for (const auto &pair : pairs) pair[1]->sort(c, order);
            writePupil("class", QString::number(1 + c % 3), pupilOn(2 + c % 7, c * 1000));  // a save: its row moves
            l.look();
            for (const auto &pair : pairs) pair[0]->sort(-1), pair[0]->sort(c, order);
            ASSERT_TRUE(QTest::qWaitFor([&] { return !worker.sorting() && !lessonWorker.sorting(); }));
            for (const auto &pair : pairs) EXPECT_EQ(column(*pair[0], ClassModel::Code), column(*pair[1], ClassModel::Code)) << c << order;
        }
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
        const bool reached = q <= 7;
        EXPECT_EQ(cell.data(ClassModel::StepRole).toInt(), reached ? expected[q - 1] : kNotReached) << q;
        EXPECT_EQ(cell.data().toString(), reached ? QString::number(m.misses[q]) : QString()) << q;
        EXPECT_EQ(cell.data(Qt::BackgroundRole).isValid(), reached) << q;
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

TEST(ClassModel, ChangedNewAndRemovedFilesTouchTheirRowsOnly) {
    makeClass();
    Loaded l;
    l.look();
    QSignalSpy changed(&l.model, &QAbstractItemModel::dataChanged);
    QSignalSpy inserted(&l.model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&l.model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&l.model, &QAbstractItemModel::modelReset);
    EXPECT_EQ(l.look().read, 0);  // nothing changed: nothing is read

    saveLikeTheGame("class", "2", pupilOn(9, 21000));
    EXPECT_EQ(l.look().read, 1);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 1);
    EXPECT_EQ(l.model.index(1, ClassModel::Reached).data().toString(), "9");
    EXPECT_EQ(l.model.summary().reachedBy[9], 2);  // and the charts

    // A file rewritten in place with the same size is seen by its time
    // where every file is examined at every look.
    l.scanner.setInodeProbe([](int) { return FolderScanner::Inodes::Unstable; });
    // A file rewritten in place with the same size is seen by its time.
    const QByteArray same = state::progress::render(pupilOn(9, 24000));
    ASSERT_EQ(same.size(), state::progress::render(pupilOn(9, 21000)).size());
    writeBytes("class/2.ucd", same);
    dateAhead("class/2.ucd");
    EXPECT_EQ(l.look().read, 1);
    EXPECT_EQ(l.model.index(1, ClassModel::Score).data().toString(), "24000");
    // The review's record written beside it alone reads the row again.
    writeBytes("class/2.review", "pomurin20 review 1\r\n4,1,1,1,2026-12-07\r\n");
    EXPECT_EQ(l.look().read, 1);
    EXPECT_EQ(l.model.index(1, ClassModel::Review).data().toString(), "1問中1問");
    const QString tip = l.model.index(1, ClassModel::Review).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains("今日が期日の復習問題：7問") && tip.contains("最後の練習：2026-12-07")) << tip.toStdString();
    writeBytes("class/2.review", "pomurin20 review 1\r\n4,1,1,1,2026-13-07\r\n");
    EXPECT_EQ(l.look().read, 1);
    EXPECT_EQ(l.model.index(1, ClassModel::Review).data().toString(), "読めません");
    EXPECT_TRUE(l.model.index(1, ClassModel::Review).data(Qt::ToolTipRole).toString().contains("2 行目の日付が読めません"));

    writePupil("class", "5", pupilOn(2, 0));
    ASSERT_TRUE(QFile::remove("class/broken.ucd"));
    const ScanDelta d = l.look();
    EXPECT_EQ(d.read, 1);
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 3);  // between "3" and "10"
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(column(l.model, ClassModel::Code), QStringList({"1", "2", "3", "5", "10", "link", "pipe", "山田"}));
    EXPECT_EQ(l.model.summary().averageMisses, summarise(l.model.report()).averageMisses);  // kept row by row
}

// Which look finds a change, by how it was made and the file system's
// kind: a save, a new file, a gone file and a review record at the next
// look; a rewrite in place under the same inode at the next look that
// examines every file (every 12th look locally, every 2nd on a network
// folder, every look without stable inode numbers), then at every look.
TEST(FolderScanner, AListingNamesWhatToExamineAndEveryFewLooksAllOfIt) {
    using K = FolderScanner::Inodes;
    const auto inPlace = [] { writePupil("class", "2", pupilOn(9, 0)); dateAhead("class/2.ucd"); };
    const struct {
        const char *what; K kind; std::function<void()> change;
        QString code, reached; int foundAt;  // reached empty: the row is gone
    } cases[] = {
        {"saved", K::Stable, [] { saveLikeTheGame("class", "2", pupilOn(9, 0)); }, "2", "9", 1},
        {"added", K::Stable, [] { writePupil("class", "7", pupilOn(9, 0)); }, "7", "9", 1},
        {"removed", K::Stable, [] { ASSERT_TRUE(QFile::remove("class/2.ucd")); }, "2", "", 1},
        {"review", K::Stable, [] { writeBytes("class/3.review", "pomurin20 review 1\r\n4,1,1,1,2026-12-07\r\n"); },
         "3", "5", 1},
        {"in place, local", K::Stable, inPlace, "2", "9", 12},
        {"in place, network", K::Network, inPlace, "2", "9", 2},
        {"in place, no stable inodes", K::Unstable, inPlace, "2", "9", 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QDir("class").removeRecursively();
        makeClass();
        Loaded l;
        l.scanner.setInodeProbe([&](int) { return c.kind; });
        l.look();
        c.change();
        int found = 0;
        for (int look = 1; look <= 20 && !found; ++look) {
            l.look();
            const int row = l.model.rowOfCode(c.code);
            const bool review = std::string_view(c.what) != "review" ||
                                !l.model.index(row, ClassModel::Review).data().toString().isEmpty();
            if (c.reached.isEmpty() ? row < 0 : row >= 0 && review && l.model.index(row, ClassModel::Reached).data() == c.reached)
                found = look;
        }
        EXPECT_EQ(found, c.foundAt);
        EXPECT_TRUE(std::string_view(c.what) != "review" || (QFile::remove("class/3.review") && l.look().read == 1));
        if (!std::string_view(c.what).starts_with("in place")) continue;
        writePupil("class", "2", pupilOn(3, 0));  // once seen written in place: at the next look
        dateAhead("class/2.ucd");
        EXPECT_EQ(l.look().read, 1);
    }
}

TEST(FolderScanner, ListingsAreComparedWhateverTheirOrder) {
    Listing before, now;
    for (auto [l, n, i] : {std::tuple(&before, "a.ucd", 1), {&before, "b.ucd", 2}, {&before, "c.ucd", 3},
                           {&before, "d.ucd", 4}, {&now, "x.ucd", 9}, {&now, "b.ucd", 2}, {&now, "d.ucd", 5}, {&now, "a.ucd", 1}})
        l->entries.push_back({quint32(l->names.size()), quint32(std::strlen(n)), quint64(i)}), l->names += n;
    EXPECT_EQ(compareListings(before, now), (ListingDiff{{0, 2}, {2}}));  // x.ucd new, d.ucd saved; c.ucd gone
}

// One listing names each file by its ending; the holds it found are read
// on the folder's clock: a live one names its machine, one dated ahead is
// named, a look-alike code's hold and a folder at a hold's name are not.
TEST(ClassFolderListing, NamesEachFileByItsEndingAndGathersTheHolds) {
    ASSERT_TRUE(QDir().mkpath("class/d.ucd") && QDir().mkpath("class/9.ucd.hold"));
    for (const char *name : {"a.ucd", "a.review", "b.review-0123456789ab", "x.review-0123456789AB", "c.hold", ".ucd.hold",
                             "課題.txt", "n.ucd.txt", "7.ucd", "7.ucd.hold", "8.ucd.hold-00000000beef", "3301 .ucd.hold"})
        writeBytes(QString("class/") + name, "pomurin20 hold\nhost PC-7\npid 1\ntoken 00ff\n");
    const timespec later[2] = {{std::time(nullptr) + 1800, 0}, {std::time(nullptr) + 1800, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, "class/8.ucd.hold-00000000beef", later, 0), 0);
    const OpenFolder open("class");
    Listing listed;
    ASSERT_EQ(list(open, listed), 0);
    QStringList seen;  // name, review record or not, the listing's type
    for (size_t i = 0; i < listed.entries.size(); ++i)
        seen << QString("%1 %2 %3").arg(listed.nameBytes(i)).arg(listed.entries[i].review).arg(listed.entries[i].type);
    for (const QByteArray &hold : listed.holds) seen << hold;
    seen.sort();
    EXPECT_EQ(seen.join(", "), "3301 .ucd.hold, 7.ucd 0 8, 7.ucd.hold, 8.ucd.hold-00000000beef, 9.ucd.hold, a.review 1 8, "
                               "a.ucd 0 8, b.review-0123456789ab 1 8, d.ucd 0 4");
    EXPECT_EQ(listed.progressFiles, 3);
    FolderClock clock;
    const PlayNow play = gatherPlay(open, listed.holds, clock, {std::time(nullptr), 0});
    EXPECT_EQ(std::tuple(play.playing.size(), play.playing.value("7.ucd").host, play.playing.value("7.ucd").ahead,
                         play.playing.value("8.ucd").host, play.playing.value("8.ucd").ahead),
              std::tuple(2, QString("PC-7"), false, QString(), true));
}

TEST(ClassModel, AFolderThatGoesAwayKeepsItsRowsAndSaysSo) {
    makeClass();
    Loaded l;
    l.look();
    ASSERT_TRUE(QDir().rename("class", "moved"));
    EXPECT_TRUE(l.look().error.contains("見つかりません"));
    EXPECT_EQ(l.model.rowCount(), 8);
    ASSERT_TRUE(QDir().rename("moved", "class"));
    EXPECT_EQ(l.look().read, 0);  // nothing changed meanwhile
    // A stopped look reports nothing and the next one reads afresh.
    EXPECT_TRUE(l.scanner.scan("class", [](int, int) { return false; }).aborted);
    EXPECT_EQ(l.scanner.scan("class").changed.size(), 8u);
}

// Where the window starts: the folder given, the class folder, the one
// chosen last time, in that order.
TEST(StartFolder, GivenThenClassFolderThenLastChosen) {
    const EnvVar home("XDG_CONFIG_HOME", QDir::current().filePath("home-config").toUtf8());
    const EnvVar dirs("XDG_CONFIG_DIRS", QDir::current().filePath("etc").toUtf8());
    EXPECT_EQ(startFolder(QString()), QString());  // the window asks
    rememberChosenFolder("/last/time");
    EXPECT_EQ(startFolder(QString()), "/last/time");
    QDir().mkpath("etc/pomurin20");
    writeBytes("etc/pomurin20/pomurin20.conf", "[class]\nfolder=/srv/class\n");
    EXPECT_EQ(startFolder(QString()), "/srv/class");
    EXPECT_EQ(startFolder("given"), "given");
    // The remembered folder lives in the report's own file, beside the
    // game's configuration and not in it.
    EXPECT_TRUE(QFile::exists("home-config/pomurin20/pomurin20-report.conf"));
    EXPECT_FALSE(QFile::exists("home-config/pomurin20/pomurin20.conf"));
    const EnvVar relative("XDG_CONFIG_HOME", "rel"), homeDir("HOME", QDir::current().filePath("h").toUtf8());
    rememberChosenFolder("/x");
    EXPECT_TRUE(QFile::exists("h/.config/pomurin20/pomurin20-report.conf"));
    EXPECT_FALSE(QDir("rel").exists()) << "a relative XDG_CONFIG_HOME is ignored";
}

// Playing now: from live holds only, followed at each look.  Tooltips are
// made from plain text: a code is never markup.
TEST(ClassModel, PlayingNowFromLiveHoldsOnlyAndTooltipsShowCodesAsText) {
    QDir().mkdir("class");
    for (const char *code : {"live", "old", "garbled", "stale garbage", "folder", "fifo", "link", "none", "<b>x"})
        writePupil("class", code, pupilOn(3, 0));
    plantHold("live", "pc-😀", 4711, 100);      // renewed within two minutes
    plantHold("old", "pc-07", 4711, 180);       // stopped renewing three minutes ago
    plantHold("garbled", "", 0, 0);             // damaged, fresh: the code is held, by nobody named
    plantHold("stale garbage", "", 0, 600);
    QDir().mkdir("class/folder.ucd.hold");
    ASSERT_EQ(::mkfifo("class/fifo.ucd.hold", 0600), 0);
    ASSERT_EQ(::symlink("live.ucd.hold", "class/link.ucd.hold"), 0);
    writeBytes("class/ghost.ucd.hold", "pomurin20 hold\nhost pc-01\n");  // no progress file: no row
    Loaded l;
    l.look();
    EXPECT_EQ(column(l.model, ClassModel::Code),
              QStringList({"<b>x", "fifo", "folder", "garbled", "link", "live", "none", "old", "stale garbage"}));
    EXPECT_EQ(column(l.model, ClassModel::Playing),
              QStringList({"", "", "", "（端末名のない記録）", "", "pc-😀", "", "", ""}));
    EXPECT_EQ(l.model.index(0, ClassModel::Code).data(Qt::ToolTipRole).toString(), "<p>&lt;b&gt;x</p>");
    EXPECT_EQ(l.model.index(0, ClassModel::State).data(Qt::ToolTipRole).toString(), "<p>正常</p>");
    EXPECT_EQ(l.model.index(0, ClassModel::FirstQuestion + 1).data(Qt::ToolTipRole).toString(),
              "<p>&lt;b&gt;x<br>\n問2　√をはずす（√１６＝４）：ミス 2 回</p>");
    EXPECT_FALSE(l.model.index(0, ClassModel::Score).data(Qt::ToolTipRole).isValid());
    // Sorted by it, the codes in play come together, by machine.
    l.proxy.sort(ClassModel::Playing, Qt::DescendingOrder);
    EXPECT_EQ(column(l.proxy, ClassModel::Code).mid(0, 2), QStringList({"garbled", "live"}));

    // A hold renewed, one gone stale, one removed: those rows change at the
    // next look, and no progress file is read again.
    plantHold("old", "pc-07", 4711, 0);
    plantHold("live", "pc-12", 4711, 200);
    ASSERT_TRUE(QFile::remove("class/garbled.ucd.hold"));
    const ScanDelta d = l.look();
    EXPECT_EQ(d.read, 0);
    QStringList changed;
    for (const Row &row : d.changed) changed << row.pupil.code;
    changed.sort();
    EXPECT_EQ(changed, QStringList({"garbled", "live", "old"}));
    EXPECT_EQ(column(l.model, ClassModel::Playing), QStringList({"", "", "", "", "", "", "", "pc-07", ""}));
    EXPECT_EQ(l.model.index(7, ClassModel::Playing).data(Qt::ToolTipRole).toString(), "<p>pc-07 でプレイ中</p>");
}

// In a sticky (3770) folder a classmate's hold on a pupil's code shows nobody playing.
TEST(ClassModel, InAStickyFolderAnotherAccountsHoldShowsNobodyPlaying) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two accounts";
    ASSERT_TRUE(QDir().mkdir("class") && ::chmod("class", 03770) == 0);
    writePupil("class", "s", pupilOn(3, 0));
    plantHold("s", "pc-09", 4711, 0);
    Loaded l;
    for (const auto &[owner, shown] : {std::pair{65534, ""}, {0, "pc-09"}}) {
        ASSERT_EQ(::chown("class/s.ucd.hold", owner, 0), 0);
        l.look();
        EXPECT_EQ(l.model.index(0, ClassModel::Playing).data().toString(), shown) << owner;
    }
    // So is a classmate's review record beside it, whole or damaged; the owner's counts.
    for (const auto &[owner, day, shown] : {std::tuple{65534, "07", ""}, {65534, "99", ""}, {0, "07", "1問中1問"}}) {
        writeBytes("class/s.review.new", QByteArray("pomurin20 review 1\r\n4,1,1,1,2026-12-") + day + "\r\n");
        ASSERT_EQ(::chown("class/s.review.new", owner, 0), 0);
        ASSERT_EQ(::rename("class/s.review.new", "class/s.review"), 0);  // replaced, as the review saves
        l.look();
        EXPECT_EQ(l.model.index(0, ClassModel::Review).data().toString(), shown) << owner << day;
    }
}

// A classmate's file, link, folder or FIFO at a pupil's hold in a sticky folder: the pupil's game holds
// the code beside it, the window (another program) shows its machine, the pupil's other machine is refused.
TEST(ClassModel, AClassmatesEntryAtAHoldLeavesTheCodeHeldBesideIt) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two accounts";
    ASSERT_TRUE(QDir().mkdir("class") && ::chmod("class", 03770) == 0);
    writePupil("class", "s", pupilOn(3, 0));
    const std::pair<const char *, std::function<int()>> kinds[] = {
        {"file", [] { return plantHold("s", "pc-66", 1, 0), 0; }},
        {"link", [] { return ::symlink("s.ucd", "class/s.ucd.hold"); }},
        {"folder", [] { return ::mkdir("class/s.ucd.hold", 0755); }},
        {"FIFO", [] { return ::mkfifo("class/s.ucd.hold", 0644); }}};
    const auto elsewhere = [](int (*run)()) {  // in another process
        const pid_t child = ::fork();
        if (child == 0) ::_exit((::alarm(10), run()));
        int status = -1;
        return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    for (const auto &[kind, plant] : kinds) {
        SCOPED_TRACE(kind);
        ASSERT_TRUE(plant() == 0 && ::lchown("class/s.ucd.hold", 65534, 0) == 0);
        const QStringList before = snapshot("class");
        plantHold("t", "pc-01", 1, 600);  // the owner's, left beside it by a crash: removed
        ASSERT_EQ(::rename("class/t.ucd.hold", "class/s.ucd.hold-0123456789ab"), 0);
        state::CodeHold hold;
        ASSERT_EQ(hold.acquire("class/s.ucd"), state::CodeHold::Outcome::Held);
        EXPECT_EQ(elsewhere([] {
                      Loaded l;  // the window shows this machine playing s: 0
                      return (l.look(), int(l.model.index(0, ClassModel::Playing).data() != QSysInfo::machineHostName()));
                  }), 0);
        EXPECT_EQ(elsewhere([] { return int(state::CodeHold().acquire("class/s.ucd")); }), int(state::CodeHold::Outcome::InUse));
        hold.release();
        EXPECT_EQ(snapshot("class"), before);  // the classmate's entry as it was, nothing else left
        ASSERT_EQ(::remove("class/s.ucd.hold"), 0);
    }
}

// The window's topic summary, whole: each topic's pupils and misses per
// question reached, the one with the most in bold and named so.
TEST(TopicTable, ShowsEachTopicsFiguresAndMarksTheMost) {
    state::Session a = pupilOn(30, 0), b = pupilOn(3, 0);
    a.misses = {};
    a.misses[2] = 1;
    a.misses[25] = 2;
    b.misses = {};
    b.misses[1] = 1;
    QDir().mkdir("class");
    writePupil("class", "a", a);
    writePupil("class", "b", b);
    TopicTable table;
    table.setSummary(summarise(readFolder("class")));
    QStringList rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < TopicTable::Bar; ++c) cells << table.item(r, c)->text();
        cells << QString::number(table.item(r, TopicTable::Bar)->data(TopicTable::ShareRole).toDouble(), 'f', 2)
              << (table.item(r, TopicTable::Name)->font().bold() ? "bold" : "");
        rows << cells.join('|');
    }
    EXPECT_EQ(rows, QStringList({"平方根|問1〜問4|2 人|0.29 回|0.71|",  // 2 misses over 4 + 3 questions reached
                                 "√の変形と乗除|問5〜問10|1 人|0.00 回|0.00|",
                                 "√をふくむ式の計算|問11〜問16|1 人|0.00 回|0.00|",
                                 "因数分解|問17〜問21|1 人|0.00 回|0.00|",
                                 "２次方程式|問22〜問26|1 人|0.40 回|1.00|bold",  // 2 over 5
                                 "関数ｙ＝ａｘ²|問27〜問30|1 人|0.00 回|0.00|"}));
    EXPECT_EQ(table.item(4, TopicTable::Name)->data(Qt::AccessibleTextRole).toString(), "２次方程式（いちばんミスが多い分野）");
    a.misses = {};  // a class with no misses: no topic is the most missed
    writePupil("class", "a", a);
    ASSERT_TRUE(QFile::remove("class/b.ucd"));
    table.setSummary(summarise(readFolder("class")));
    for (int r = 0; r < table.rowCount(); ++r)
        EXPECT_FALSE(table.item(r, TopicTable::Name)->font().bold() ||
                     !table.item(r, TopicTable::Name)->data(Qt::AccessibleTextRole).toString().isEmpty()) << r;
}

// 要支援: a pupil playing now (a live hold) whose file has shown question 12
// for 5 minutes or more, or who missed it 3 times or more; judged on the
// folder's clock (the hold's change time), whatever the teacher's clock says.
TEST(ClassModel, NeedsHelpIsJudgedOnTheFoldersClock) {
    struct Case {
        qint64 shownFor, misses, holdAge, teacherOffset;  // seconds; misses on question 12
        const char *why;                                 // the tooltip's first line, "" for none
    } const cases[] = {
        {299, 2, 0, 0, ""},  {300, 2, 0, 0, "問12に5分"}, {360, 0, 0, 0, "問12に6分"},
        {0, 3, 0, 0, "問12で3回ミス"}, {400, 4, 0, 0, "問12に6分、4回ミス"},
        {400, 3, 120, 0, "問12に6分、3回ミス"},  // a hold renewed 120 s ago is live
        {400, 3, 121, 0, ""},                     // 121 s: stale, nobody plays
        {400, 3, -1, 0, ""},                      // no hold at all
        {0, 3, 0, -10, "問12で3回ミス"}, {0, 3, 0, 10, "問12で3回ミス"},  // the teacher's clock behind, ahead
        {300, 0, 0, -600, "問12に5分"}, {300, 0, 0, 600, "問12に5分"},
        {300, 3, 0, 3600, "問12に5分、3回ミス"}, {300, 3, 0, -3601, ""},  // over an hour off: another day's hold
        {300, 3, 0, 86400, ""},  // the only hold, left over from yesterday: nobody's "now"
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case &c = cases[i];
        const QString folder = QString("help%1").arg(i);
        ASSERT_TRUE(QDir().mkdir(folder));
        state::Session m = pupilOn(12, 0);
        m.misses[12] = short(c.misses);
        writePupil(folder, "7", m);
        timespec holdChanged{std::time(nullptr), 0};
        if (c.holdAge >= 0) {
            writeBytes(folder + "/7.ucd.hold", "pomurin20 hold\nhost PC-7\npid 1\ntoken 00ff\n");
            // Dated back from its change time (which moves to now); again if a second ticked meanwhile.
            const QByteArray hold = QFile::encodeName(folder + "/7.ucd.hold");
            struct stat st {};
            for (int tries = 0; tries < 20 && (tries == 0 || st.st_ctim.tv_sec - st.st_mtim.tv_sec != c.holdAge); ++tries) {
                ASSERT_EQ(::stat(hold.constData(), &st), 0);
                const timespec times[2] = {{st.st_ctim.tv_sec - c.holdAge, 0}, {st.st_ctim.tv_sec - c.holdAge, 0}};
                ASSERT_EQ(::utimensat(AT_FDCWD, hold.constData(), times, 0), 0);
                ASSERT_EQ(::stat(hold.constData(), &st), 0);
            }
            ASSERT_EQ(st.st_ctim.tv_sec - st.st_mtim.tv_sec, c.holdAge);
            holdChanged = st.st_ctim;
        }
        const timespec saved[2] = {{0, UTIME_OMIT}, {holdChanged.tv_sec - c.shownFor, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(folder + "/7.ucd").constData(), saved, 0), 0);
        FolderScanner scanner;
        scanner.setClock([&] { return FolderScanner::TeacherClock{holdChanged.tv_sec + c.teacherOffset, 0}; });
        ClassModel model;
        model.apply(scanner.scan(folder));
        ASSERT_EQ(model.rowCount(), 1);
        EXPECT_EQ(model.help(0).why().section('\n', 0, 0), c.why) << i;
        EXPECT_EQ(model.index(0, ClassModel::Help).data().toString(), c.why) << i;  // the reason, in its cell
        EXPECT_EQ(model.helpCount(), *c.why ? 1 : 0) << i;
    }
}

// The folder's now is its own modification time (carried forward on the
// steady clock), refined by holds at most a minute past it: any number of
// holds dated further ahead neither move it nor count.
TEST(ClassModel, HoldsDatedAheadDoNotMoveTheFoldersNow) {
    const qint64 t = 1'800'000'000;  // the folder's time and the teacher's clock
    const std::vector<qint64> ahead(10, t + 1800);
    const struct {
        qint64 folder;
        std::vector<qint64> holds;
        qint64 steadyMs, now;
    } cases[] = {
        {t, {}, 0, 0}, {t, {t - 20}, 0, t}, {t, {t - 20}, 90'000, t + 90}, {t, {t + 60, t}, 0, t + 60},
        {t, {t + 61, t - 5}, 0, t}, {t, {t + 1800, t + 1800, t - 5}, 0, t}, {t, {t + 1800, t + 1790, t + 1795, t}, 0, t},
        {t, {t + 1800}, 0, 0}, {t + 3600, {t + 3600}, 0, t + 3600}, {t - 3601, {t - 3601}, 0, 0}, {0, {t}, 0, 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        FolderClock clock;
        clock.now(cases[i].folder, cases[i].holds, t, 0);
        EXPECT_EQ(clock.now(cases[i].folder, cases[i].holds, t, cases[i].steadyMs), cases[i].now) << i;
    }
    FolderClock clock;
    ASSERT_EQ(clock.now(t, [&] { auto h = ahead; h.push_back(t); return h; }(), t, 0), t);
    EXPECT_EQ(std::tuple(clock.datedAhead(t + 10), clock.datedAhead(t + 11)), std::tuple(false, true));
}

// Holds dated ahead, however many (for codes with no file, or a pupil's own),
// hide nobody and are named in 状態; a look-alike of a code has no hold.
TEST(ClassModel, HoldsDatedAheadHideNobodyAndLookAlikeNamesHaveNoHold) {
    QDir().mkdir("class");
    state::Session m = pupilOn(3, 0);
    m.misses[3] = 9;
    for (const QString code : {"3301", "3301 ", "3301か\u3099", "3302"}) writePupil("class", code, m);
    for (const QString code : {"3301", "3301 ", "3301か\u3099"}) plantHold(code, "PC-01", 1, 0);
    plantHold("3302", "PC-02", 1, -1800);  // the pupil's own, dated half an hour ahead
    Loaded l;
    for (const int ahead : {2, 3, 10}) {
        for (int i = 0; i < ahead; ++i) plantHold(QString("99%1").arg(i), "PC-9", 1, -1800);  // codes with no file
        l.look();
        EXPECT_EQ(column(l.model, ClassModel::Playing), QStringList({"PC-01", "", "", ""})) << ahead;
        EXPECT_EQ(column(l.model, ClassModel::Help), QStringList({"問3で9回ミス", "", "", ""})) << ahead;
        EXPECT_EQ(column(l.model, ClassModel::State),
                  QStringList({"正常", "読めません：ゲームが付けない名前です（名前を直すか、よそへ移す）",
                               "読めません：ゲームが付けない名前です（名前を直すか、よそへ移す）",
                               "正常・先の日時のプレイ記録（数えません）"}));
    }
    EXPECT_EQ(l.model.index(3, ClassModel::State).data(Qt::ToolTipRole).toString(),
              "<p style=\"white-space:pre\">3302.ucd.hold の時刻がクラスのフォルダーの時計より先になっています。ゲームが書いた<br>"
              "ものではないので、プレイ中とはみなしません。<br>クラスのフォルダーの外へ移してください。</p>");
}

// Minutes on a question count from the hold's word, read from its file: a
// pupil continuing on yesterday's question is not marked; a window opened
// three minutes after the hold first named it counts those three.
TEST(ClassModel, NeedsHelpTakesTheStartOfPlayFromTheHold) {
    QDir().mkdir("class");
    writePupil("class", "8", pupilOn(8, 0));
    const timespec yesterday[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 86400, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, "class/8.ucd", yesterday, 0), 0);
    const auto ns = [](int ago) { return QByteArray::number((qint64(std::time(nullptr)) - ago) * 1'000'000'000); };
    const auto hold = [](const QByteArray &more) {
        writeBytes("class/8.ucd.hold", "pomurin20 hold\nhost PC-8\npid 1\ntoken 00ff\nquestion 8\nmisses 0\nsince " + more + "\n");
    };
    for (const auto &[more, why] : {std::pair{ns(60), ""}, {ns(600) + "\nquestionsince " + ns(290), ""},
                                    {ns(600) + "\nquestionsince " + ns(300), "問8に5分"}}) {
        hold(more);
        Loaded l;  // the window opened afresh
        l.look();
        EXPECT_EQ(l.model.index(0, ClassModel::Help).data().toString(), why) << more.constData();
    }
}

// The five minutes count from the first save seen with the question; a
// save on the same question keeps them, the next question starts afresh;
// a lone hold that is not renewed goes stale two minutes after it was seen.
TEST(ClassModel, NeedsHelpFollowsTheFileAndTheSteadyClock) {
    QDir().mkdir("class");
    state::Session m = pupilOn(12, 0);
    writePupil("class", "7", m);
    writeBytes("class/7.ucd.hold", "pomurin20 hold\nhost PC-7\npid 1\ntoken 00ff\n");
    const timespec saved[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 400, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, "class/7.ucd", saved, 0), 0);
    qint64 steadyMs = 0;
    Loaded l;
    l.scanner.setClock([&] { return FolderScanner::TeacherClock{std::time(nullptr), steadyMs}; });
    l.look();
    EXPECT_EQ(l.model.help(0).why(), "問12に6分\n問12　√をふくむ式の展開");
    m.misses[12] = 2;
    saveLikeTheGame("class", "7", m);
    l.look();
    EXPECT_EQ(l.model.help(0).why().section('\n', 0, 0), "問12に6分");
    steadyMs = 121 * 1000;
    QSignalSpy changed(&l.model, &ClassModel::dataChanged);
    l.look();
    EXPECT_FALSE(l.model.help(0).needed);
    ASSERT_EQ(changed.count(), 2);  // the row (no longer played), then its mark gone
    EXPECT_EQ(changed[1][0].toModelIndex(), l.model.index(0, ClassModel::Help));
    EXPECT_EQ(l.model.index(0, ClassModel::Playing).data().toString(), "");
    steadyMs = 0;
    m.question = 13;
    saveLikeTheGame("class", "7", m);
    writeBytes("class/7.ucd.hold", "pomurin20 hold\nhost PC-7\npid 1\ntoken 00ff\n");
    l.look();
    EXPECT_EQ(l.model.index(0, ClassModel::Playing).data().toString(), "PC-7");
    EXPECT_FALSE(l.model.help(0).needed);
    // Between saves the hold names the question played: the file's 13 for 400 s (saved in this game,
    // begun 500 s ago), then 14, then none.
    const timespec early[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 400, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, "class/7.ucd", early, 0), 0);
    Loaded fresh;
    fresh.scanner.setClock([&] { return FolderScanner::TeacherClock{std::time(nullptr), 0}; });
    const QByteArray begun = "\nsince " + QByteArray::number((qint64(std::time(nullptr)) - 500) * 1'000'000'000);
    for (const auto &[says, why] : {std::pair{"13\nmisses 1" + begun, "問13に6分"}, {"14\nmisses 3", "問14で3回ミス"},
                                   {"30\nmisses 9999", "問30で9999回ミス"}, {"0\nmisses 0", ""}}) {
        writeBytes("class/7.ucd.hold", QByteArray("pomurin20 hold\nhost PC-7\npid 1\ntoken 00ff\nquestion ") + says + "\n");
        fresh.look();
        EXPECT_EQ(fresh.model.help(0).why().section('\n', 0, 0), why) << says.constData();
    }
}

// A question the hold names stands since the hold first named it, as it
// says, else as first seen; never since a save from before its game began.
TEST(ClassModel, NeedsHelpCountsMinutesFromTheFirstHoldThatNamedTheQuestion) {
    const struct {
        bool renewal;  // of the row before's hold, else a fresh look
        int question;
        qint64 fileSince, placed, named, changed, now;
        const char *why;
    } steps[] = {
        {false, 30, 1000, 0, 0, 2000, 2299, ""}, {true, 30, 1000, 0, 0, 2030, 2300, "問30に5分"},
        {true, 30, 1000, 0, 0, 2300, 2600, "問30に10分"},
        {false, 29, 1000, 0, 0, 2630, 2930, "問29に5分"},     // the game's start unsaid: from the first naming
        {false, 29, 2000, 1900, 0, 2630, 2630, "問29に10分"},  // a save of this game on it counts
        {false, 29, 100, 1900, 0, 2000, 2299, ""},             // continued on yesterday's save
        {true, 29, 100, 1900, 0, 2030, 2300, "問29に5分"},
        {false, 12, 1000, 1000, 1500, 1800, 1800, "問12に5分"},  // a window opened after the hold named it
        {false, 12, 1000, 1700, 1500, 1800, 2000, "問12に5分"},  // said before its game began: from the start
        {false, 12, 1000, 1000, 9999, 1800, 2100, "問12に5分"},  // said ahead of the hold's change
        {false, -1, 100, 1900, 0, 2000, 2200, "問29に5分"},     // the file's question, from the game's start
    };
    Pupil p;
    for (const auto &s : steps) {
        if (!s.renewal) p = Pupil{.code = "7", .state = Pupil::State::Readable, .questionNo = 29};
        followPlay(p, s.fileSince, Play{"PC-7", s.question, 0, s.changed, s.placed, s.named});
        EXPECT_EQ(needsHelp(p, s.now).why().section('\n', 0, 0), s.why) << s.question << " at " << s.now;
    }
}
