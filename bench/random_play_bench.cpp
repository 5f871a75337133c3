// SPDX-License-Identifier: GPL-3.0-or-later
// Random play through the real screens, headless, for as long as asked:
// prints events per second, restarts, the screens visited and the
// invariant checks made.  Run by hand:
//
//   random_play_bench [events [seed]]      (default 100000 events, a fresh seed)
//
// A broken invariant stops the run with the seed and event number, which
// replay it exactly.  Works in a temporary folder of its own.
#include "support/RandomPlay.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);

    const long events = argc > 1 ? std::atol(argv[1]) : 100000;
    const std::uint32_t seed =
        argc > 2 ? static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)) : std::random_device{}();
    QTemporaryDir folder;
    if (!folder.isValid() || !QDir::setCurrent(folder.path())) {
        std::fprintf(stderr, "cannot make a working folder\n");
        return 2;
    }

    std::printf("random play: %ld events, seed %u\n", events, seed);
    std::fflush(stdout);
    const auto wallStart = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    QString failure;
    testing_support::RandomPlayFigures figures;
    {
        testing_support::RandomPlay play(seed);
        failure = play.play(events);
        figures = play.figures();
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;

    std::printf("events            %ld\n", figures.events);
    std::printf("time              %.2f s wall, %.2f s CPU\n", wall, cpu);
    std::printf("events/second     %.0f (wall), %.0f (CPU)\n", figures.events / wall, figures.events / cpu);
    std::printf("restarts          %ld\n", figures.restarts);
    std::printf("invariant checks  %ld\n", figures.checks);
    std::printf("answers           %ld right, %ld wrong\n", figures.rightAnswers, figures.wrongAnswers);
    std::printf("wheels halted     %ld\n", figures.wheelsHalted);
    std::printf("saves seen        %ld\n", figures.saves);
    std::printf("runs continued    %ld\n", figures.continued);
    std::printf("codes refused     %ld\n", figures.codesRefused);
    std::printf("screens visited  ");
    for (auto it = figures.screens.begin(); it != figures.screens.end(); ++it)
        std::printf(" %s=%ld", qPrintable(it.key()), it.value());
    std::printf("\n");
    std::printf("events on each   ");
    for (auto it = figures.eventsOn.begin(); it != figures.eventsOn.end(); ++it)
        std::printf(" %s=%ld", qPrintable(it.key()), it.value());
    std::printf("\n");
    std::printf("runs ended on    ");
    for (auto it = figures.endedOn.begin(); it != figures.endedOn.end(); ++it)
        std::printf(" %s=%ld", qPrintable(it.key()), it.value());
    std::printf("\n");
    QDir::setCurrent(QDir::tempPath());
    if (!failure.isEmpty()) {
        std::printf("FAILED\n%s\n", failure.toUtf8().constData());
        return 1;
    }
    std::printf("every invariant held\n");
    return 0;
}
