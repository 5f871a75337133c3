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

#include "ClassFolderBench.h"

using namespace bench;

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
    for (const Step *s : {&read, &table, &csv, &html, &total, &cpu}) print(*s, 22);
    return 0;
}
