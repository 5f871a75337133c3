// SPDX-License-Identifier: GPL-3.0-or-later
// Reading hostile progress files of 1 MiB (the most the reader takes):
// prints the milliseconds each kind of content takes to be refused or read.
// Run by hand: progress_read_bench [repetitions]
#include "state/ProgressFile.h"

#include <QByteArray>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

int main(int argc, char **argv) {
    const int reps = argc > 1 ? std::atoi(argv[1]) : 20;
    const int size = 1 << 20;
    QByteArray rest = "\r\n";
    for (int i = 1; i <= 30; ++i) rest += "0,0\r\n";
    QByteArray randomBytes(size, 0);
    std::mt19937 gen(1);
    for (char &c : randomBytes) c = static_cast<char>(gen());
    QByteArray randomDigits(size, 0);
    for (char &c : randomDigits) c = "0123456789.,e-\r\n "[gen() % 17];
    QByteArray longValid(size, ' ');
    longValid.replace(0, 5 + rest.size(), "5,100" + rest);
    const struct {
        const char *name;
        QByteArray content;
    } cases[] = {
        {"digits then a letter in the first field", QByteArray(size - rest.size() - 2, '1') + "x," + rest},
        {"1 MiB of digits", QByteArray(size, '7')},
        {"1 MiB of commas", QByteArray(size, ',')},
        {"1 MiB of line ends", QByteArray(size, '\n')},
        {"1 MiB of blanks", QByteArray(size, ' ')},
        {"random bytes", randomBytes},
        {"random number characters", randomDigits},
        {"a good file padded with blanks to 1 MiB", longValid},
    };
    for (const auto &c : cases) {
        const auto start = std::chrono::steady_clock::now();
        int refused = 0;
        for (int r = 0; r < reps; ++r) {
            state::Session m;
            try {
                state::progress::parse(c.content, m);
            } catch (const state::ProgressError &) {
                ++refused;
            }
        }
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-45s %8.3f ms per read (%s)\n", c.name, ms / reps, refused ? "refused" : "read");
    }
}
