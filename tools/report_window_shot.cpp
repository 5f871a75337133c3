// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the teacher's window on a folder to PNG files, one for each of
// its tabs, for looking at it without clicking:
//
//   report_window_shot <folder> <out-prefix>    writes <out-prefix>-0.png .. -2.png
//   report_window_shot <folder> <out.png> <ms>  the window <ms> after opening the
//                                               folder, read or not (a long read's progress)
//
// The folder is only read.  With QT_SCALE_FACTOR=2 the pictures show the
// window scaled by two.
#include "report/window/ClassWindow.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

// Never opens a dialog or browser.
struct NoDialogs : report::window::WindowDialogs {
    QString chooseFolder(QWidget *, const QString &) override { return {}; }
    QString chooseCsvFile(QWidget *, const QString &) override { return {}; }
    bool openPage(const QUrl &) override { return false; }
    void showError(QWidget *, const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

}  // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 2 && args.size() != 3) {
        std::fprintf(stderr, "usage: report_window_shot <folder> <out-prefix> | <folder> <out.png> <ms>\n");
        return 2;
    }
    NoDialogs dialogs;
    QTemporaryDir pages;
    report::window::ClassWindow window(dialogs, pages.path());
    window.show();
    if (args.size() == 3) {
        QTimer::singleShot(args[2].toInt(), &app, [&] {
            QApplication::quit();
        });
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
    window.openFolder(args[0]);
    loop.exec();
    if (!refreshed) {
        std::fprintf(stderr, "the folder was not read within a minute\n");
        return 1;
    }
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabs"));
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        const QString out = QStringLiteral("%1-%2.png").arg(args[1]).arg(i);
        if (!window.grab().save(out)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
            return 1;
        }
        std::printf("%s\n", qPrintable(out));
    }
    return 0;
}
