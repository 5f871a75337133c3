// SPDX-License-Identifier: GPL-3.0-or-later
// save_torture_helper save <stem> <first>: saves in a loop until killed.
// save_torture_helper run <kills> [max pause ms]: kills a child of this
// program that many times in the current folder and prints the figures.
// save_torture_helper savelog <stem> <first>: saves in a loop until killed,
// writing each finished save's number (or "error <reason>") to standard
// output, unbuffered, so that a bench can count the saves of a killed run.
// save_torture_helper saveonce <stem> <n>: one save (the n-th) of stem.
// save_torture_helper check <file>...: prints, for each progress file,
// "complete <n>" or "torn <reason>"; exits 1 if any is torn.
// save_torture_helper play <stem> <first>: plays stem as the game does: takes
// its hold (exits 3 when another program holds it), then saves every 100 ms,
// renewing the hold every 30 s and checking before each save that the hold
// is still its own; a hold taken over prints "lost <host>" and exits 4
// without saving again.
#include "SaveTorture.h"

#include "state/CodeHold.h"
#include "state/ProgressFile.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <random>

#include <algorithm>
#include <unistd.h>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "save") == 0)
        torture::saveForever(QString::fromLocal8Bit(argv[2]), std::atol(argv[3]));
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "run") == 0) {
        const int kills = std::atoi(argv[2]);
        const int pause = argc == 4 ? std::atoi(argv[3]) : 20;
        const torture::Result r = torture::run(QCoreApplication::applicationFilePath(), kills, pause, std::random_device{}());
        std::printf("kills %d, complete file after %d, a newer save after %d, last save %ld, "
                    "temporary files left %d%s%s\n",
                    r.kills, r.complete, r.progressed, r.lastSave, r.leftovers,
                    r.firstProblem.isEmpty() ? "" : ", first problem: ", r.firstProblem.toUtf8().constData());
        return r.firstProblem.isEmpty() && r.complete == r.kills ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "savelog") == 0) {
        const QString stem = QString::fromLocal8Bit(argv[2]);
        for (long n = std::atol(argv[3]);; ++n) {
            char line[512];
            int size;
            try {
                state::progress::save(torture::stateFor(stem, n));
                size = std::snprintf(line, sizeof line, "%ld\n", n);
            } catch (const std::exception &e) {
                size = std::snprintf(line, sizeof line, "error %s\n", e.what());
            }
            (void)!::write(1, line, static_cast<size_t>(std::min<int>(size, sizeof line - 1)));
        }
    }
    if (argc == 4 && std::strcmp(argv[1], "saveonce") == 0) {
        try {
            state::progress::save(torture::stateFor(QString::fromLocal8Bit(argv[2]), std::atol(argv[3])));
            return 0;
        } catch (const std::exception &e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    }
    if (argc >= 3 && std::strcmp(argv[1], "check") == 0) {
        int torn = 0;
        for (int i = 2; i < argc; ++i) {
            const QString path = QString::fromLocal8Bit(argv[i]);
            state::Session m;
            m.userCode = QFileInfo(path).completeBaseName();
            try {
                state::progress::loadFrom(path, m);
                const long n = torture::saveNumber(m);
                if (n >= 0) {
                    std::printf("complete %ld %s\n", n, argv[i]);
                    continue;
                }
                std::printf("torn not-one-save %s\n", argv[i]);
            } catch (const std::exception &e) {
                std::printf("torn %s %s\n", e.what(), argv[i]);
            }
            ++torn;
        }
        return torn ? 1 : 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "play") == 0) {
        const QString stem = QString::fromLocal8Bit(argv[2]);
        state::CodeHold hold;
        state::CodeHold::Holder holder;
        const auto outcome = hold.acquire(state::progress::fileName(stem), &holder);
        if (outcome != state::CodeHold::Outcome::Held) {
            std::printf("not held (%d) %s\n", int(outcome), qPrintable(holder.host));
            return 3;
        }
        std::printf("held\n");
        std::fflush(stdout);
        for (long n = std::atol(argv[3]), i = 1;; ++n, ++i) {
            ::usleep(100 * 1000);
            if (i % 300 == 0) hold.renew();
            if (!hold.mayStillSave(&holder)) {
                std::printf("lost %s\n", qPrintable(holder.host));
                return 4;
            }
            try {
                state::progress::save(torture::stateFor(stem, n));
                std::printf("%ld\n", n);
            } catch (const std::exception &e) {
                std::printf("error %s\n", e.what());
            }
            std::fflush(stdout);
        }
    }
    std::fprintf(stderr, "usage: %s save <stem> <first> | run <kills> [max pause ms] | saveonce <stem> <n> | check <file>... | play <stem> <first>\n", argv[0]);
    return 2;
}
