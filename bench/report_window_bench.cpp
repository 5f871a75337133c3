// SPDX-License-Identifier: GPL-3.0-or-later
// Teacher's window benchmark: a folder of 10,000 progress files opened in
// the window to a full table, and one pupil's save in that folder shown.
// Prints the best and median of several rounds, on the clock and, for the
// parts, in processor time:
//
//   report_window_bench [files] [rounds]     defaults: 10000 files, 7 rounds
//
// "open" runs from openFolder() until the window has taken in the rows
// (the read on the worker threads, the model, the sorted view, the charts
// and one paint); meanwhile a timer due every 10 ms on the interface
// thread notes the longest the window went without answering.  "one change" runs from the look that the folder's
// notification would start until the changed row is shown.  The parts
// are the scanner alone (the worker's share) and the model's update (the
// interface thread's share).  "要支援 and この時間" runs from the look after
// a playing pupil's save (40 pupils hold their codes) until the window has
// that pupil marked 要支援 and the lesson's figures grown: a save reaches
// both within one look, and its processor time is that look's.
//
// Beside them, in the same rounds, the cost of one plain listing of the
// folder (the names read, nothing else), and the scanner's looks that find
// nothing changed: a look that lists (most looks) and one that examines
// every file (every 12th look on a local folder, every look where inode
// numbers are not stable); and the whole window's look that finds nothing
// changed.  The window's idle share of a core follows from those at one
// look every 5 seconds.  Last, one pupil's save again once the window has
// settled, painting only what changed, and a save's processor time in
// listings of the folder.
#include "classfolder/FolderScanner.h"
#include "report/window/ClassModel.h"
#include "report/window/ClassWindow.h"
#include "state/ProgressFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <dirent.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ClassFolderBench.h"

using namespace bench;

namespace {

// The game's save: a new file renamed over the old one.
void save(const QString &name, const QByteArray &bytes) {
    write(name + QStringLiteral(".tmp"), bytes);
    if (!QFile::remove(name) || !QFile::rename(name + QStringLiteral(".tmp"), name)) std::exit(1);
}

// One listing of the folder's names, no stat; the count keeps it honest.
int listNames(const QString &folder) {
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) std::exit(1);
    int n = 0;
    while (const dirent *e = ::readdir(dir)) n += e->d_name[0] != '.';
    ::closedir(dir);
    return n;
}

struct NoDialogs : report::window::WindowDialogs {
    QString chooseFolder(QWidget *, const QString &) override { return {}; }
    QString chooseCsvFile(QWidget *, const QString &) override { return {}; }
    bool openPage(const QUrl &) override { return false; }
    void showError(QWidget *, const QString &) override {}
};

// Runs the event loop until the window has taken in a look, then paints
// it whole, or (paint false) lets it paint what the look changed.
bool waitRefreshed(report::window::ClassWindow &window, bool paint = true) {
    QEventLoop loop;
    bool done = false;
    QObject::connect(&window, &report::window::ClassWindow::refreshed, &loop, [&] {
        done = true;
        loop.quit();
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    if (paint)
        window.repaint();
    else
        QApplication::processEvents();
    return done;
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    QTemporaryDir dir, pages;
    if (!dir.isValid()) return 1;
    makeClass(dir.path(), files);
    QRandomGenerator random(21);  // for the changes

    Step open{"open: folder to full table", {}}, openCpu{"open, CPU", {}}, change{"one change: save to row shown", {}},
        changeCpu{"one change, CPU", {}}, help{"help mark and lesson: save to both shown", {}},
        helpCpu{"help mark and lesson, CPU", {}}, scanAll{"  scanner, every file", {}},
        scanOne{"  scanner, one changed file", {}}, applyAll{"  model and sorted view, all rows", {}},
        applyOne{"  model and sorted view, one row", {}}, listing{"one listing of the folder (readdir, no stat)", {}},
        idleList{"  scanner, nothing changed, listing look", {}},
        idleFull{"  scanner, nothing changed, every file", {}}, pause{"  longest pause of the interface thread", {}},
        idleWindow{"nothing changed, the whole window, CPU", {}},
        settled{"one save, window settled: save to row shown", {}}, settledCpu{"one save, window settled, CPU", {}};
    const int playing = std::min(files, 40);
    for (int r = 0; r < rounds; ++r) {
        // Pupils playing now: their games renewed their holds a moment ago.
        for (int n = 0; n < playing; ++n)
            write(fileOf(dir.path(), n) + QStringLiteral(".hold"),
                  QStringLiteral("pomurin20 hold\nhost PC-%1\npid 1\ntoken 00ff\n").arg(n).toUtf8());
        // The whole window.
        NoDialogs dialogs;
        report::window::ClassWindow window(dialogs, pages.path());
        window.live().setRescanInterval(3600 * 1000);
        window.show();
        QApplication::processEvents();
        QElapsedTimer t;
        double cpu = cpuMs();
        // The interface thread's longest pause while the folder is read:
        // a timer due every 10 ms that notes how late it comes.
        QTimer tick;
        QElapsedTimer sinceTick;
        qint64 longest = 0;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] { longest = std::max(longest, sinceTick.restart()); });
        t.start();
        sinceTick.start();
        tick.start();
        window.openFolder(dir.path());
        const bool filled = waitRefreshed(window);
        tick.stop();
        pause.ms.push_back(double(std::max(longest, sinceTick.elapsed())));  // the last stretch too
        if (!filled || window.model().rowCount() != files) {
            std::fprintf(stderr, "the window shows %d rows of %d files\n", window.model().rowCount(), files);
            return 1;
        }
        open.ms.push_back(t.nsecsElapsed() / 1e6);
        openCpu.ms.push_back(cpuMs() - cpu);

        const int n = (r * 7919 + 1) % files;
        save(fileOf(dir.path(), n), pupil(random, n + 1));
        cpu = cpuMs();
        t.restart();
        window.live().rescan();
        if (!waitRefreshed(window)) return 1;
        change.ms.push_back(t.nsecsElapsed() / 1e6);
        changeCpu.ms.push_back(cpuMs() - cpu);

        // A playing pupil saves four misses on every question up to 30:
        // more than any file had at the lesson's start.
        const int p = 1 + r % (playing - 1);
        state::Session stuck;
        stuck.question = 30;
        for (int q = 1; q <= 30; ++q) stuck.misses[q] = 4;
        save(fileOf(dir.path(), p), state::progress::render(stuck));
        cpu = cpuMs();
        t.restart();
        window.live().rescan();
        if (!waitRefreshed(window)) return 1;
        help.ms.push_back(t.nsecsElapsed() / 1e6);
        helpCpu.ms.push_back(cpuMs() - cpu);
        const int row = window.model().rowOfCode(QFileInfo(fileOf(dir.path(), p)).completeBaseName());
        if (row < 0 || !window.model().help(row).needed || window.model().lessonFigures(row).misses <= 0) {
            std::fprintf(stderr, "the save of pupil %d was not shown within one look\n", p);
            return 1;
        }
        // A look of the whole window that finds nothing changed (the holds
        // as they were): the scanner's listing look, the model, the
        // lesson's figures, the status line.
        cpu = cpuMs();
        window.live().rescan();
        if (!waitRefreshed(window, false)) return 1;
        idleWindow.ms.push_back(cpuMs() - cpu);
        // One pupil's save once the window has settled (nothing left to
        // paint from before), the window painting what changed.
        for (int k = 0; k < 5; ++k) QApplication::processEvents(QEventLoop::AllEvents, 20);
        save(fileOf(dir.path(), n), pupil(random, n + 3));
        cpu = cpuMs();
        t.restart();
        window.live().rescan();
        if (!waitRefreshed(window, false)) return 1;
        settled.ms.push_back(t.nsecsElapsed() / 1e6);
        settledCpu.ms.push_back(cpuMs() - cpu);

        // The parts, without the window.
        classfolder::FolderScanner scanner;
        report::window::ClassModel model;
        report::window::ClassSortProxy proxy;
        proxy.setSourceModel(&model);
        proxy.sort(report::window::ClassModel::Code);
        t.restart();
        const classfolder::ScanDelta all = scanner.scan(dir.path());
        scanAll.ms.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        model.apply(all);
        // The sorted view's order of many rows comes from its worker thread:
        // waited for here, so that it is counted here and not in the parts below.
        if (proxy.sorting()) {
            QEventLoop settled;
            QObject::connect(&proxy, &report::window::ClassSortProxy::orderSettled, &settled, &QEventLoop::quit);
            settled.exec();
        }
        applyAll.ms.push_back(t.nsecsElapsed() / 1e6);
        save(fileOf(dir.path(), n), pupil(random, n + 2));
        t.restart();
        const classfolder::ScanDelta one = scanner.scan(dir.path());
        scanOne.ms.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        model.apply(one);
        applyOne.ms.push_back(t.nsecsElapsed() / 1e6);
        if (one.read != 1) {
            std::fprintf(stderr, "the second look read %d files\n", one.read);
            return 1;
        }
        double c = cpuMs();
        if (listNames(dir.path()) < files) return 1;
        listing.ms.push_back(cpuMs() - c);
        c = cpuMs();
        if (scanner.scan(dir.path()).read != 0) return 1;
        idleList.ms.push_back(cpuMs() - c);
        scanner.setInodeProbe([](int) { return classfolder::FolderScanner::Inodes::Unstable; });
        c = cpuMs();
        if (scanner.scan(dir.path()).read != 0) return 1;
        idleFull.ms.push_back(cpuMs() - c);
    }
    std::printf("%d progress files, %d rounds\n", files, rounds);
    for (const Step *s : {&listing, &open, &openCpu, &pause, &scanAll, &applyAll, &change, &changeCpu, &scanOne,
                          &applyOne, &help, &helpCpu, &settled, &settledCpu, &idleWindow, &idleList, &idleFull})
        print(*s, 44);
    // Eleven listing looks and one of every file per minute, CPU medians:
    // the window's look, with the scanner's every-file look in place of its
    // listing look once a minute.
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    // A save's processor time, both threads counted, in listings of the folder.
    std::printf("%-*s %.1f (one change), %.1f (window settled)\n", 44, "one save's CPU in listings (medians)",
                median(changeCpu.ms) / median(listing.ms), median(settledCpu.ms) / median(listing.ms));
    std::printf("%-*s %.2f %% of a core (every 12th look examines every file), %.2f %% (every look does)\n", 44,
                "idle, one look every 5 s",
                (12 * median(idleWindow.ms) - median(idleList.ms) + median(idleFull.ms)) / 12 / 5000 * 100,
                (median(idleWindow.ms) - median(idleList.ms) + median(idleFull.ms)) / 5000 * 100);
    return 0;
}
