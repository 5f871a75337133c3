// SPDX-License-Identifier: GPL-3.0-or-later
// Class overview benchmark: a folder of 10,000 progress files (runs at every
// stage, some damaged) read and reported as table, CSV and HTML.  Prints the
// best and median of several rounds for each step and for the whole report.
//
//   report_bench [files] [rounds]     defaults: 10000 files, 7 rounds
//
// The files are written once to a temporary folder, so the rounds read them
// from the page cache, as a teacher's second look at a shared folder would.
#include "report/ClassReport.h"
#include "report/Writers.h"
#include "state/ProgressFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void makeClass(const QString &folder, int files) {
    QRandomGenerator random(20);
    for (int n = 0; n < files; ++n) {
        QByteArray bytes;
        if (n % 97 == 0) {
            bytes = "3,12\r\n1,";  // damaged: too short
        } else {
            state::Session m;
            m.question = static_cast<short>(random.bounded(1, 31));
            for (int q = 1; q <= m.question; ++q) {
                m.misses[q] = static_cast<short>(random.bounded(4));
                m.answerTimes[q] = static_cast<float>(q < m.question ? random.bounded(5, 200) : 50412.5);
                m.score += 3000.0 * (1 - m.misses[q]);
            }
            bytes = state::progress::render(m);
        }
        QFile f(QStringLiteral("%1/%2年%3組-%4.ucd").arg(folder).arg(n % 3 + 1).arg(n % 7 + 1).arg(n));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
            std::exit(1);
        }
    }
}

// CPU seconds of this process: on a busy shared machine the wall time
// includes waiting for a core, the CPU time does not.
double cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

struct Step {
    const char *name;
    std::vector<double> ms;
};

void print(const Step &s) {
    std::vector<double> v = s.ms;
    std::sort(v.begin(), v.end());
    std::printf("%-22s best %8.1f ms   median %8.1f ms\n", s.name, v.front(), v[v.size() / 2]);
}

}  // namespace

int main(int argc, char **argv) {
    const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    makeClass(dir.path(), files);

    Step read{"read folder", {}}, table{"table", {}}, csv{"csv", {}}, html{"html", {}}, total{"whole report", {}},
        cpu{"whole report, CPU", {}};
    qsizetype bytes = 0;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer all, t;
        const double cpuStart = cpuMs();
        all.start();
        t.start();
        const report::ClassReport rep = report::readFolder(dir.path());
        read.ms.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        bytes = report::table(rep).toUtf8().size();
        table.ms.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        bytes += report::csv(rep).size();
        csv.ms.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        bytes += report::html(rep).size();
        html.ms.push_back(t.nsecsElapsed() / 1e6);
        total.ms.push_back(all.nsecsElapsed() / 1e6);
        cpu.ms.push_back(cpuMs() - cpuStart);
        if (rep.pupils.size() != size_t(files)) {
            std::fprintf(stderr, "read %zu rows of %d files\n", rep.pupils.size(), files);
            return 1;
        }
    }
    std::printf("%d progress files, %d rounds, %lld bytes of output per round\n", files, rounds,
                static_cast<long long>(bytes));
    for (const Step *s : {&read, &table, &csv, &html, &total, &cpu}) print(*s);
    return 0;
}
