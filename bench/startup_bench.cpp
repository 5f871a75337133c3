// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up benchmark: time from process start to the first shown window,
// for the real game start-up against an empty Qt window built the same way,
// as a ratio in one run; and the CPU the title screen uses while idle.
//
//   startup_bench            runs them all, several times each, and reports
//   startup_bench game [SCALE]  one start-up of the game at the display
//                            scale the program would choose (auto), or at
//                            SCALE; prints its milliseconds and peak memory
//   startup_bench empty      the same for an empty Qt window
//   startup_bench idle       CPU seconds used by 3 s on the title screen
//
// The game's start-up at the auto display scale and at scale 1 are timed
// side by side, to show what choosing the scale costs.
//
// Run it under a real X server (xvfb-run) or, without one, on the
// offscreen platform.
#include "platform/Settings.h"
#include "screens/Program.h"
#include "screens/Screens.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Microseconds the game spent choosing and applying its display scale.
double gScaleMicros = 0;

// Polls until the window is exposed on screen, then reports the time
// since process start, the peak memory and the scale's own cost, and
// ends the event loop.
void reportWhenShown(QWidget *w, const QElapsedTimer &clock) {
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [w, poll, &clock] {
        if (w && w->windowHandle() && w->windowHandle()->isExposed()) {
            poll->stop();
            rusage u{};
            getrusage(RUSAGE_SELF, &u);
            std::printf("%.2f %ld %.1f %.2f\n", clock.nsecsElapsed() / 1e6, u.ru_maxrss, gScaleMicros,
                        cpuSeconds() * 1e3);
            std::fflush(stdout);
            qApp->exit(0);
        }
    });
    poll->start(1);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Start {
    double ms = 0;
    long peakKb = 0;  // the child's peak resident memory when its window showed
    double scaleMicros = 0;
    double cpuMs = 0;  // processor time the child used until then
};

Start runChild(const QString &self, const QStringList &args) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(self, args);
    // From spawning to the report that the window is shown: this includes
    // loading the program and its libraries, which a learner waits for too,
    // but not the shutdown afterwards.
    p.waitForReadyRead(60000);
    Start s;
    s.ms = t.nsecsElapsed() / 1e6;
    p.waitForFinished(60000);
    const QList<QByteArray> fields = p.readAllStandardOutput().simplified().split(' ');
    s.peakKb = fields.size() > 1 ? fields[1].toLong() : 0;
    s.scaleMicros = fields.size() > 2 ? fields[2].toDouble() : 0;
    s.cpuMs = fields.size() > 3 ? fields[3].toDouble() : 0;
    return s;
}

}  // namespace

int main(int argc, char **argv) {
    QElapsedTimer clock;
    clock.start();
    const QString mode = argc > 1 ? QString::fromLatin1(argv[1]) : QString();

    if (mode == "empty") {
        QApplication app(argc, argv);
        QWidget w;
        w.resize(385, 264);
        w.show();
        reportWhenShown(&w, clock);
        return app.exec();
    }
    if (mode == "game") {
        QApplication app(argc, argv);
        // The display scale as the program chooses it at start.
        const QString option = argc > 2 ? QString::fromLatin1(argv[2]) : QString();
        QStringList warnings;
        QElapsedTimer scaleClock;
        scaleClock.start();
        platform::applyDisplayScale(platform::chooseDisplayScale(
            argc > 2 ? &option : nullptr,
            [] { return QSizeF(QGuiApplication::primaryScreen()->availableGeometry().size()); },
            screens::largestScreenSize(), &warnings));
        gScaleMicros = scaleClock.nsecsElapsed() / 1e3;
        return screens::runProgram(app, [&clock](QWidget *title) { reportWhenShown(title, clock); });
    }
    if (mode == "idle") {
        QApplication app(argc, argv);
        double before = 0;
        return screens::runProgram(app, [&](QWidget *) {
            // Measure 3 s on the title screen once the sound engine is up.
            QTimer::singleShot(2000, [&] { before = cpuSeconds(); });
            QTimer::singleShot(5000, [&] {
                const double used = cpuSeconds() - before;
                std::printf("idle CPU on the title screen: %.3f s in 3 s (%.1f%%)\n", used, used / 3.0 * 100);
                qApp->exit(0);
            });
        });
    }

    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    const int runs = 21;
    std::vector<double> game, one, empty, gameScale, oneScale, gameCpu, oneCpu;
    long gamePeak = 0, onePeak = 0, emptyPeak = 0;
    for (int i = 0; i < runs; ++i) {
        const Start e = runChild(self, {"empty"}), g = runChild(self, {"game"}), o = runChild(self, {"game", "1"});
        empty.push_back(e.ms);
        game.push_back(g.ms);
        one.push_back(o.ms);
        gameScale.push_back(g.scaleMicros);
        oneScale.push_back(o.scaleMicros);
        gameCpu.push_back(g.cpuMs);
        oneCpu.push_back(o.cpuMs);
        emptyPeak = std::max(emptyPeak, e.peakKb);
        gamePeak = std::max(gamePeak, g.peakKb);
        onePeak = std::max(onePeak, o.peakKb);
    }
    const double g = median(game), e = median(empty), o = median(one);
    std::printf("first window, median of %d: game %.1f ms, empty Qt window %.1f ms, ratio %.2f (aim: at most 1.3)\n",
                runs, g, e, e > 0 ? g / e : 0);
    const double gMin = *std::min_element(game.begin(), game.end()), oMin = *std::min_element(one.begin(), one.end());
    std::printf(
        "display scale: auto %.1f ms (fastest %.1f, peak %.1f MB), scale 1 %.1f ms (fastest %.1f, peak %.1f MB), "
        "%+.1f ms by the medians, %+.1f by the fastest (aim: within 5 ms); choosing and applying the scale "
        "%.0f us (auto) and %.0f us (1); empty window peak %.1f MB\n",
        g, gMin, gamePeak / 1024.0, o, oMin, onePeak / 1024.0, g - o, gMin - oMin, median(gameScale), median(oneScale),
        emptyPeak / 1024.0);
    std::printf("processor time to the first window, median: auto %.1f ms, scale 1 %.1f ms, %+.1f ms\n",
                median(gameCpu), median(oneCpu), median(gameCpu) - median(oneCpu));
    QProcess idle;
    idle.start(self, {"idle"});
    idle.waitForFinished(60000);
    std::printf("%s", idle.readAllStandardOutput().constData());
    return 0;
}
