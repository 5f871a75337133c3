// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the progress-file reader and the review record's
// reader: any input must be refused cleanly by each or read, written and
// read back the same (see ReaderCheck.h).
#include "ReaderCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray content(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString problem = fuzzcheck::checkReader(content);
    if (problem.isEmpty()) problem = fuzzcheck::checkReviewReader(content);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "reader property broken: %s\n", problem.toUtf8().constData());
        std::abort();
    }
    return 0;
}
