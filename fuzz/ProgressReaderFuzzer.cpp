// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target for the progress-file reader: any input must be refused
// cleanly or read, written and read back the same (see ReaderCheck.h).
#include "ReaderCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString problem = fuzzcheck::checkReader(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "reader property broken: %s\n", problem.toUtf8().constData());
        std::abort();
    }
    return 0;
}
