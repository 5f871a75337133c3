// SPDX-License-Identifier: GPL-3.0-or-later
// Sheets per pupil benchmark: a class of 40 progress files (one damaged)
// made into the PDF, one A4 page a pupil, and written as --pdf writes it.
// Prints the best and median of several rounds, the processor time and the
// file's size.
//
//   sheets_bench [files] [rounds]     defaults: 40 files, 7 rounds
#include "report/ClassReport.h"
#include "report/OutputFile.h"
#include "report/Sheets.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

#include "ClassFolderBench.h"

using namespace bench;

int main(int argc, char **argv) {
    // Fonts need a QGuiApplication; nothing is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    makeClass(dir.path(), files);
    const QString output = dir.filePath(QStringLiteral("sheets.pdf"));

    Step read{"read folder", {}}, draw{"draw PDF", {}}, write{"write file", {}}, total{"whole", {}},
        cpu{"whole, CPU", {}};
    qsizetype bytes = 0;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer all, t;
        const double cpuStart = cpuMs();
        all.start();
        t.start();
        const report::ClassReport rep = report::readFolder(dir.path());
        read.ms.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        const QByteArray pdf = report::sheetsPdf(rep);
        draw.ms.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        const QString failure = report::writeOutputFile(output, pdf);
        write.ms.push_back(t.nsecsElapsed() / 1e6);
        total.ms.push_back(all.nsecsElapsed() / 1e6);
        cpu.ms.push_back(cpuMs() - cpuStart);
        if (pdf.isEmpty() || !failure.isEmpty() || rep.pupils.size() != size_t(files)) {
            std::fprintf(stderr, "no PDF of %d files: %s\n", files, qPrintable(failure));
            return 1;
        }
        bytes = pdf.size();
    }
    std::printf("%d progress files, %d rounds, PDF of %lld bytes (%.1f KiB a page)\n", files, rounds,
                static_cast<long long>(bytes), bytes / 1024.0 / files);
    for (const Step *s : {&read, &draw, &write, &total, &cpu}) print(*s, 14);
    return 0;
}
