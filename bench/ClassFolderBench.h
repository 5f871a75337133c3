// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the class overview's benchmarks share: a generated class of
// progress files (one in 97 damaged) and best/median figures per step.

#include "state/ProgressFile.h"
#include "state/Session.h"

#include <QFile>
#include <QRandomGenerator>
#include <QString>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace bench {

// Pupil n's progress file: a random question reached, misses and times up
// to it; every 97th file is damaged (too short).
inline QByteArray pupil(QRandomGenerator &random, int n) {
    if (n % 97 == 0) return "3,12\r\n1,";
    state::Session m;
    m.question = static_cast<short>(random.bounded(1, 31));
    for (int q = 1; q <= m.question; ++q) {
        m.misses[q] = static_cast<short>(random.bounded(4));
        m.answerTimes[q] = static_cast<float>(q < m.question ? random.bounded(5, 200) : 50412.5);
        m.score += 3000.0 * (1 - m.misses[q]);
    }
    return state::progress::render(m);
}

inline QString fileOf(const QString &folder, int n) {
    return QStringLiteral("%1/%2年%3組-%4.ucd").arg(folder).arg(n % 3 + 1).arg(n % 7 + 1).arg(n);
}

// Writes a file or ends the benchmark: figures over a half-made folder mean nothing.
inline void write(const QString &name, const QByteArray &bytes) {
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
        std::exit(1);
    }
}

// A class of files pupils in folder, the same class for the same count.
inline void makeClass(const QString &folder, int files) {
    QRandomGenerator random(20);
    for (int n = 0; n < files; ++n) write(fileOf(folder, n), pupil(random, n));
}

// CPU milliseconds of this process: on a busy shared machine the wall
// time includes waiting for a core, the CPU time does not.
inline double cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

struct Step {
    const char *name;
    std::vector<double> ms;
};

inline void print(const Step &s, int nameWidth) {
    std::vector<double> v = s.ms;
    std::sort(v.begin(), v.end());
    std::printf("%-*s best %8.1f ms   median %8.1f ms\n", nameWidth, s.name, v.front(), v[v.size() / 2]);
}

}  // namespace bench
