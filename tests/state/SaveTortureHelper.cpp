// save_torture_helper save <stem> <first>: saves in a loop until killed.
// save_torture_helper run <kills> [max pause ms]: kills a child of this
// program that many times in the current folder and prints the figures.
#include "SaveTorture.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <random>

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
    std::fprintf(stderr, "usage: %s save <stem> <first> | run <kills> [max pause ms]\n", argv[0]);
    return 2;
}
