// SPDX-License-Identifier: GPL-3.0-or-later
// The teacher's window on the offscreen platform: it reads a folder off
// the interface thread, follows a pupil's save, and what its two buttons
// write.  Dialogs and the browser are answered by a fake.
#include "ClassFolder.h"
#include "report/Writers.h"
#include "report/window/ClassWindow.h"
#include "support/EnvVar.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QToolTip>

using namespace report;
using namespace report::window;
using namespace report_test;

namespace {

struct FakeDialogs : WindowDialogs {
    QString folderAnswer, csvAnswer, csvSuggested;
    QList<QUrl> opened;
    QStringList errors;
    bool browserOpens = true;
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
};

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

    FakeDialogs dialogs;
    std::unique_ptr<ClassWindow> window;
};

}  // namespace

TEST_F(ClassWindowTest, ShowsTheFolderReadOffTheInterfaceThreadAndChangesNothing) {
    const QStringList before = snapshot("class");
    window->show();
    EXPECT_FALSE(button("csvButton")->isEnabled());  // nothing to save yet
    ASSERT_TRUE(opened());
    auto *table = window->findChild<QTableView *>("classTable");
    ASSERT_TRUE(table);
    ASSERT_EQ(table->model()->rowCount(), 9);
    EXPECT_EQ(table->model()->index(8, ClassModel::Code).data().toString(), "山田");
    const int huge = window->model().rowOfCode("huge");
    ASSERT_GE(huge, 0);
    EXPECT_TRUE(window->model().index(huge, ClassModel::State).data().toString().startsWith("読めません"));
    EXPECT_TRUE(button("csvButton")->isEnabled());
    // The table names its columns and cells for a screen reader.
    EXPECT_EQ(table->model()->headerData(ClassModel::Misses, Qt::Horizontal).toString(), "ミス合計");
    EXPECT_EQ(table->accessibleName(), "一覧");
    EXPECT_EQ(snapshot("class"), before);
}

TEST_F(ClassWindowTest, APupilsSaveShowsByNotificationAndByTheRegularLook) {
    ASSERT_TRUE(opened());
    // The folder reports the game's save, with no call from the test.
    saveLikeTheGame("class", "2", pupilOn(13, 12000));
    EXPECT_TRUE(rowShows("2", ClassModel::Reached, "13"));
    // Written in place, as on a network folder that reports nothing: the
    // regular look (called here at once) finds it.
    writePupil("class", "1", pupilOn(4, 5000));
    dateAhead("class/1.ucd");
    window->live().rescan();
    EXPECT_TRUE(rowShows("1", ClassModel::Score, "5000"));
}

TEST_F(ClassWindowTest, CsvButtonWritesTheWritersCsvWhereTheTeacherChose) {
    ASSERT_TRUE(opened());
    dialogs.csvAnswer = QDir::current().filePath("out.csv");
    button("csvButton")->click();
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    EXPECT_EQ(readAll("out.csv"), csv(readFolder("class")));
    EXPECT_TRUE(dialogs.csvSuggested.endsWith("classの記録.csv")) << dialogs.csvSuggested.toStdString();

    // Cancelled: nothing said.  A progress file's name: refused, the file kept.
    dialogs.csvAnswer.clear();
    button("csvButton")->click();
    dialogs.csvAnswer = "class/1.ucd";
    const QByteArray progress = readAll("class/1.ucd");
    button("csvButton")->click();
    EXPECT_EQ(readAll("class/1.ucd"), progress);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains("書き込みません")) << dialogs.errors[0].toStdString();
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

TEST_F(ClassWindowTest, ChoosingAnotherFolderShowsItsRowsAndIsRemembered) {
    ASSERT_TRUE(opened());
    QDir().mkdir("other");
    writePupil("other", "9", pupilOn(2, 0));
    const testing_support::EnvVar config("XDG_CONFIG_HOME", QDir::current().filePath("config").toUtf8());
    dialogs.folderAnswer = QDir::current().filePath("other");
    QSignalSpy refreshed(window.get(), &ClassWindow::refreshed);
    button("chooseButton")->click();
    ASSERT_TRUE(refreshed.wait(10000));
    ASSERT_EQ(window->model().rowCount(), 1);
    EXPECT_EQ(window->model().pupil(0).code, "9");
    EXPECT_TRUE(readAll("config/pomurin20/pomurin20-report.conf").contains("other"));
}

// A pupil's file and folder names are shown as typed: a code that is markup
// loading a FIFO would freeze the window when the pointer rests on its row
// (a tooltip renders markup); the alarm ends a regression in seconds.
TEST_F(ClassWindowTest, NamesFromTheFolderAreShownAsTypedInTooltipsAndLabels) {
    ASSERT_EQ(::mkfifo("trap", 0600), 0);
    const QString folder = QDir::current().filePath("<font size=6>2-1");
    QDir().mkdir(folder);
    writePupil(folder, "<img src=\"trap\">", pupilOn(3, 0));
    ASSERT_TRUE(opened(folder));
    window->show();
    const QModelIndex code = window->model().index(0, ClassModel::Code);
    EXPECT_EQ(code.data().toString(), "<img src=\"trap\">");
    ::alarm(10);
    for (const int column : {int(ClassModel::Code), int(ClassModel::FirstQuestion)}) {
        const QString tip = window->model().index(0, column).data(Qt::ToolTipRole).toString();
        QToolTip::showText(QPoint(10, 10), tip, window.get());
        EXPECT_TRUE(tip.contains("&lt;img src=\"trap\"&gt;")) << tip.toStdString();
    }
    QToolTip::hideText();
    ::alarm(0);
    auto *label = window->findChild<QLabel *>("folderLabel");
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), "フォルダー：" + folder);
    EXPECT_TRUE(label->toolTip().contains("&lt;font size=6&gt;2-1")) << label->toolTip().toStdString();
    EXPECT_EQ(window->findChild<QLabel *>("statusLabel")->textFormat(), Qt::PlainText);
}

TEST_F(ClassWindowTest, EveryControlIsReachedByTheKeyboard) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_TRUE(opened());
    button("chooseButton")->setFocus();
    QStringList order;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const QWidget *w = QApplication::focusWidget();
        order << (w->objectName().startsWith("qt_") ? QString(w->metaObject()->className()) : w->objectName());
    }
    EXPECT_EQ(order, QStringList({"csvButton", "pageButton", "QTabBar", "classTable"}));
    // The tab bar's arrow keys bring the grid; Tab goes into it.
    auto *bar = window->findChild<QTabBar *>();
    ASSERT_TRUE(bar);
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Right);
    QTest::keyClick(bar, Qt::Key_Tab);
    ASSERT_TRUE(QApplication::focusWidget());
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "missGrid");
}

TEST(ReportCommandWindow, WindowOptionIsRecognisedAndNotMixedWithFiles) {
    const std::pair<QStringList, bool> cases[] = {
        {{"--window"}, true}, {{"--window", "class"}, true}, {{"class", "--window"}, true}, {{"class"}, false},
        {{"--", "--window"}, false},  // a folder of that name
        {{"--window", "--csv", "a.csv"}, false},
    };
    for (const auto &[args, window] : cases) EXPECT_EQ(wantsWindow(args), window) << args.join(' ').toStdString();
    const Result r = runReport({"--window", "--html", "a.html"});
    EXPECT_EQ(r.status, kUsage);
    EXPECT_TRUE(r.err.contains("--window")) << r.err.toStdString();
}
