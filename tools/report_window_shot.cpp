// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the teacher's window on a folder to PNG files, one for each of
// its tabs, for looking at it without clicking:
//
//   report_window_shot <folder> <out-prefix>    writes <out-prefix>-0.png .. -4.png
//   report_window_shot <folder> <out-prefix> program
//                                               the whole screen, one picture a tab, with
//                                               the window as the program opens it: at
//                                               the game's scale, over the free area
//   report_window_shot <folder> <out.png> <ms>  the window <ms> after opening the
//                                               folder, read or not (a long read's progress)
//   report_window_shot <folder> <out.png> tooltip <q>
//                                               the whole screen: the grid with the
//                                               tooltip of question q's heading
//   report_window_shot <folder> <out.png> tooltip 0
//                                               the whole screen: the list with the
//                                               tooltip of the first 要支援 mark
//   report_window_shot <folder> <out.png> assign <q,q,...> [<days to the test>]
//                                               the dialog of 課題を出す with those questions
//                                               ticked (and a test day)
//   report_window_shot <folder> <out.png> explain <q> <steps>
//                                               the whole screen: question q's
//                                               explanation after <steps> clicks of 次へ
//   report_window_shot <folder> <out-prefix> projector <list.csv> <q>
//                                               as the program opens it with that class
//                                               list: each screen with each tab
//                                               (<out-prefix>-<tab>-screen<n>.png), then with
//                                               投影 open and question q chosen
//                                               (<out-prefix>-wall-screen<n>.png)
//
// The folder is only read.  With QT_SCALE_FACTOR=2 the pictures show the
// window scaled by two.  The whole-screen pictures need a real display (Xvfb).
#include "report/Roster.h"
#include "report/WindowEntry.h"
#include "report/window/ClassModel.h"
#include "report/window/ClassWindow.h"
#include "report/window/Explanation.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QHeaderView>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

// Never opens a dialog or browser.
struct NoDialogs : report::window::WindowDialogs {
    QString chooseFolder(QWidget *, const QString &) override { return {}; }
    QString chooseCsvFile(QWidget *, const QString &) override { return {}; }
    bool openPage(const QUrl &) override { return false; }
    void showError(QWidget *, const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

// Runs the event loop for ms milliseconds.
void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool scene = args.size() >= 4 && (args[2] == "tooltip" || args[2] == "explain");
    if (args.size() >= 4 && args[2] == "assign") {
        report::window::AssignmentChoice proposed;
        for (const QString &q : args[3].split(QLatin1Char(','))) proposed.questions.push_back(q.toInt());
        if (args.size() > 4) proposed.testDay = QDate::currentDate().addDays(args[4].toInt());
        report::window::AssignDialog dialog(proposed, QDate::currentDate());
        dialog.show();
        wait(300);
        return dialog.grab().save(args[1]) ? 0 : 1;
    }
    const bool projector = args.size() == 5 && args[2] == "projector";
    if (args.size() != 2 && args.size() != 3 && !scene && !projector) {
        std::fprintf(stderr,
                     "usage: report_window_shot <folder> <out-prefix> | <folder> <out.png> <ms>\n"
                     "       | <folder> <out.png> tooltip <q> | <folder> <out.png> explain <q> <steps>\n");
        return 2;
    }
    NoDialogs dialogs;
    QTemporaryDir pages, data;
    const bool asProgram = (args.size() == 3 && args[2] == "program") || projector;
    const std::unique_ptr<report::window::ClassWindow> shown =
        asProgram ? report::showWindow(dialogs, nullptr, data.path())
                  : std::make_unique<report::window::ClassWindow>(dialogs, pages.path());
    report::window::ClassWindow &window = *shown;
    window.show();
    if (args.size() == 3 && !scene && !asProgram) {
        QTimer::singleShot(args[2].toInt(), &app, [&] { QApplication::quit(); });
        window.openFolder(args[0]);
        QApplication::exec();
        return window.grab().save(args[1]) ? 0 : 1;
    }
    QEventLoop loop;
    bool refreshed = false;
    QObject::connect(&window, &report::window::ClassWindow::refreshed, &loop, [&] {
        refreshed = true;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (projector) {
        const report::RosterRead list = report::readRosterFile(args[3]);
        if (!list.roster) {
            std::fprintf(stderr, "%s\n", qPrintable(list.problems.join(QLatin1Char('\n'))));
            return 1;
        }
        window.useRoster(list.roster);
    }
    window.openFolder(args[0]);
    loop.exec();
    if (!refreshed) {
        std::fprintf(stderr, "the folder was not read within a minute\n");
        return 1;
    }
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabs"));
    if (projector) {
        const auto screens = [&args](const QString &what) {
            const QList<QScreen *> all = QGuiApplication::screens();
            for (qsizetype n = 0; n < all.size(); ++n) {
                const QRect g = all[n]->geometry();
                const QString out = QStringLiteral("%1-%2-screen%3.png").arg(args[1], what).arg(n);
                if (!all[n]->grabWindow(0, g.x(), g.y(), g.width(), g.height()).save(out)) return false;
                std::printf("%s\n", qPrintable(out));
            }
            return true;
        };
        wait(500);
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            wait(300);
            if (!screens(QString::number(i))) return 1;
        }
        tabs->setCurrentIndex(0);
        window.chooseQuestion(args[4].toInt());
        window.project();
        wait(1000);
        return screens(QStringLiteral("wall")) ? 0 : 1;
    }
    if (scene) {
        // The window as the teacher has it, then the scene, then the screen.
        QScreen *screen = QGuiApplication::primaryScreen();
        window.setGeometry(screen->availableGeometry().adjusted(0, 0, -screen->availableGeometry().width() / 4, 0));
        const int q = args[3].toInt();
        window.chooseQuestion(q);
        if (args[2] == "tooltip" && q == 0) {
            tabs->setCurrentIndex(0);
            auto *table = window.findChild<QTableView *>(QStringLiteral("classTable"));
            wait(300);
            const QRect cell = table->visualRect(table->model()->index(0, report::window::ClassModel::Help));
            window.activateWindow();
            wait(200);
            QCursor::setPos(table->viewport()->mapToGlobal(cell.center()) - QPoint(4, 0));
            wait(100);
            QCursor::setPos(table->viewport()->mapToGlobal(cell.center()));
            wait(1500);
        } else if (args[2] == "tooltip") {
            tabs->setCurrentIndex(1);
            auto *grid = window.findChild<QTableView *>(QStringLiteral("missGrid"));
            QHeaderView *header = grid->horizontalHeader();
            const int section = report::window::ClassModel::FirstQuestion + q - 1;
            wait(300);
            const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                            header->height() - 6);
            // The pointer rests on the heading; the tooltip comes as for a teacher.
            window.activateWindow();
            wait(200);
            QCursor::setPos(header->viewport()->mapToGlobal(at) - QPoint(4, 0));
            wait(100);
            QCursor::setPos(header->viewport()->mapToGlobal(at));
            wait(1500);
        } else {
            report::window::ExplanationWindow *shown = window.explain();
            if (!shown) return 1;
            for (int k = 0; k < args[4].toInt(); ++k) shown->next();
        }
        wait(800);
        if (!screen->grabWindow(0).save(args[1])) return 1;
        std::printf("%s\n", qPrintable(args[1]));
        return 0;
    }
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        const QString out = QStringLiteral("%1-%2.png").arg(args[1]).arg(i);
        if (asProgram) wait(300);
        if (!(asProgram ? QGuiApplication::primaryScreen()->grabWindow(0) : window.grab()).save(out)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
            return 1;
        }
        std::printf("%s\n", qPrintable(out));
    }
    return 0;
}
