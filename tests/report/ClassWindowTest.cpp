// SPDX-License-Identifier: GPL-3.0-or-later
// The teacher's window on the offscreen platform: it reads a folder off
// the interface thread, follows a pupil's save, and what its two buttons
// write.  Dialogs and the browser are answered by a fake.
#include "ClassFolder.h"
#include "report/Command.h"
#include "report/Writers.h"
#include "report/window/ClassWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTableView>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace report;
using namespace report::window;
using report_test::pupilOn;
using report_test::writeBytes;
using report_test::writePupil;

namespace {

struct FakeDialogs : WindowDialogs {
    QString folderAnswer, csvAnswer;
    QString csvSuggested;
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

QByteArray readAll(const QString &name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every entry of the folder with what writing, renaming or locking would change.
QStringList snapshot(const QString &folder) {
    QStringList s;
    for (const QString &name : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        struct stat st {};
        ::lstat(QFile::encodeName(folder + "/" + name).constData(), &st);
        s << QString("%1 %2 %3 %4 %5.%6").arg(name).arg(st.st_mode).arg(st.st_ino).arg(st.st_size)
                 .arg(st.st_mtim.tv_sec).arg(st.st_mtim.tv_nsec);
    }
    return s;
}

class ClassWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkdir("class");
        writePupil("class", "1", pupilOn(3, 3000));
        writePupil("class", "2", pupilOn(12, 9000));
        writePupil("class", "山田", pupilOn(30, 60000));
        writeBytes("class/broken.ucd", "1,");
        ASSERT_EQ(::mkfifo("class/pipe.ucd", 0600), 0);
        // 4 GiB that take no room: the reader's bound, not the file's size, decides.
        const int huge = ::open("class/huge.ucd", O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(huge, 0);
        ASSERT_EQ(::ftruncate(huge, off_t(1) << 32), 0);
        ::close(huge);
        window = std::make_unique<ClassWindow>(dialogs, QDir::current().filePath("pages"));
        // Only the tests' own calls and the file-system notification look again.
        window->live().setRescanInterval(3600 * 1000);
    }

    // Waits (on the event loop, for the reader thread) until the window
    // has taken in a look at the folder.
    bool refreshed() {
        QSignalSpy spy(window.get(), &ClassWindow::refreshed);
        return spy.wait(10000);
    }

    // Waits until the row of code shows text in column, or 10 s pass.
    bool rowShows(const QString &code, int column, const QString &text) {
        for (int i = 0; i < 100; ++i) {
            const int row = window->model().rowOfCode(code);
            if (row >= 0 && window->model().index(row, column).data().toString() == text) return true;
            QSignalSpy spy(window.get(), &ClassWindow::refreshed);
            spy.wait(100);
        }
        return false;
    }

    QPushButton *button(const char *name) { return window->findChild<QPushButton *>(name); }

    FakeDialogs dialogs;
    std::unique_ptr<ClassWindow> window;
};

}  // namespace

TEST_F(ClassWindowTest, ShowsTheFolderReadOffTheInterfaceThread) {
    const QStringList before = snapshot("class");
    window->show();
    EXPECT_FALSE(button("csvButton")->isEnabled());  // nothing to save yet
    window->openFolder("class");
    ASSERT_TRUE(refreshed());
    ASSERT_EQ(window->model().rowCount(), 6);
    auto *table = window->findChild<QTableView *>("classTable");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->model()->index(0, ClassModel::Code).data().toString(), "1");
    EXPECT_EQ(table->model()->index(5, ClassModel::Code).data().toString(), "山田");
    const int huge = window->model().rowOfCode("huge");
    ASSERT_GE(huge, 0);
    EXPECT_TRUE(window->model().index(huge, ClassModel::State).data().toString().startsWith("読めません"));
    EXPECT_TRUE(button("csvButton")->isEnabled());
    EXPECT_TRUE(button("pageButton")->isEnabled());
    // The table names its columns and cells for a screen reader.
    EXPECT_EQ(table->model()->headerData(ClassModel::Misses, Qt::Horizontal).toString(), "ミス合計");
    EXPECT_EQ(table->accessibleName(), "一覧");
    EXPECT_EQ(snapshot("class"), before);
}

TEST_F(ClassWindowTest, APupilsSaveShowsByNotificationAndByTheRegularLook) {
    window->openFolder("class");
    ASSERT_TRUE(refreshed());
    const QString untouched = window->model().index(5, ClassModel::Score).data().toString();

    // The game saves by renaming a new file over the old one: the folder
    // reports it, with no call from the test.
    writeBytes("class/2.ucd.tmp", state::progress::render(pupilOn(13, 12000)));
    ASSERT_EQ(::rename("class/2.ucd.tmp", "class/2.ucd"), 0);
    EXPECT_TRUE(rowShows("2", ClassModel::Reached, "13"));

    // Written in place, as on a network folder that reports nothing: the
    // regular look (called here at once) finds it.
    writeBytes("class/1.ucd", state::progress::render(pupilOn(4, 5000)));
    const timespec later[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 60, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, "class/1.ucd", later, 0), 0);
    window->live().rescan();
    EXPECT_TRUE(rowShows("1", ClassModel::Score, "5000"));
    EXPECT_EQ(window->model().index(5, ClassModel::Score).data().toString(), untouched);
    EXPECT_EQ(window->model().rowCount(), 6);
}

TEST_F(ClassWindowTest, CsvButtonWritesTheWritersCsvWhereTheTeacherChose) {
    window->openFolder("class");
    ASSERT_TRUE(refreshed());
    dialogs.csvAnswer = QDir::current().filePath("out.csv");
    button("csvButton")->click();
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    EXPECT_EQ(readAll("out.csv"), csv(readFolder("class")));
    EXPECT_TRUE(dialogs.csvSuggested.endsWith("classの記録.csv")) << dialogs.csvSuggested.toStdString();

    // Cancelled: nothing written.  A progress file's name: refused.
    dialogs.csvAnswer.clear();
    button("csvButton")->click();
    dialogs.csvAnswer = "class/1.ucd";
    const QByteArray progress = readAll("class/1.ucd");
    button("csvButton")->click();
    EXPECT_EQ(readAll("class/1.ucd"), progress);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains("書き込みません"));
    // A folder that cannot be written to: the writer's message is shown.
    dialogs.csvAnswer = "no/such/folder/out.csv";
    button("csvButton")->click();
    ASSERT_EQ(dialogs.errors.size(), 2);
    EXPECT_TRUE(dialogs.errors[1].contains("no/such/folder/out.csv")) << dialogs.errors[1].toStdString();
}

TEST_F(ClassWindowTest, PageButtonWritesThePageAndOpensItInTheBrowser) {
    window->openFolder("class");
    ASSERT_TRUE(refreshed());
    button("pageButton")->click();
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    ASSERT_EQ(dialogs.opened.size(), 1);
    EXPECT_EQ(dialogs.opened[0], QUrl::fromLocalFile(window->pageFile()));
    EXPECT_TRUE(window->pageFile().startsWith(QDir::current().filePath("pages/")));
    const QString page = QString::fromUtf8(readAll(window->pageFile()));
    EXPECT_TRUE(page.startsWith("<!DOCTYPE html>"));
    EXPECT_TRUE(page.contains(QDir::current().filePath("class")));
    EXPECT_TRUE(page.contains("<table class=\"misses\">"));
    EXPECT_TRUE(page.contains("<th scope=\"row\">山田</th>"));
    EXPECT_EQ(page.count("<svg"), 2);

    // No browser: the teacher is told where the page is.
    dialogs.browserOpens = false;
    button("pageButton")->click();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(window->pageFile()));
}

TEST_F(ClassWindowTest, ChoosingAnotherFolderShowsItsRows) {
    window->openFolder("class");
    ASSERT_TRUE(refreshed());
    QDir().mkdir("other");
    writePupil("other", "9", pupilOn(2, 0));
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QDir::current().filePath("config").toUtf8());
    dialogs.folderAnswer = QDir::current().filePath("other");
    button("chooseButton")->click();
    const bool took = refreshed();
    qputenv("XDG_CONFIG_HOME", savedConfig);
    ASSERT_TRUE(took);
    ASSERT_EQ(window->model().rowCount(), 1);
    EXPECT_EQ(window->model().pupil(0).code, "9");
    EXPECT_TRUE(readAll("config/pomurin20/pomurin20-report.conf").contains("other"));
}

TEST_F(ClassWindowTest, EveryControlIsReachedByTheKeyboard) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->openFolder("class");
    ASSERT_TRUE(refreshed());
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
    EXPECT_TRUE(wantsWindow({"--window"}));
    EXPECT_TRUE(wantsWindow({"--window", "class"}));
    EXPECT_TRUE(wantsWindow({"class", "--window"}));
    EXPECT_FALSE(wantsWindow({"class"}));
    EXPECT_FALSE(wantsWindow({"--", "--window"}));  // a folder of that name
    EXPECT_FALSE(wantsWindow({"--window", "--csv", "a.csv"}));
    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_EQ(run({"--window", "--html", "a.html"}, o, e), kUsage);
    e.flush();
    EXPECT_TRUE(err.contains("--window")) << err.toStdString();
}
