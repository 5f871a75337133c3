// SPDX-License-Identifier: GPL-3.0-or-later
// The fuzz target's corpus, replayed through the reader in every build:
// each file is refused cleanly or read, written and read back the same,
// by the progress file's reader and by the review record's.
#include "ReaderCheck.h"
#include "state/ProgressFile.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(FuzzCorpus, EveryFileKeepsTheReaderProperty) {
    const QDir corpus(QStringLiteral(FUZZ_CORPUS_DIR));
    const QStringList names = corpus.entryList(QDir::Files);
    ASSERT_GE(names.size(), 20) << "corpus missing at " FUZZ_CORPUS_DIR;
    int accepted = 0;
    for (const QString &name : names) {
        QFile f(corpus.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray content = f.readAll();
        EXPECT_EQ(fuzzcheck::checkReader(content), QString()) << name.toStdString();
        EXPECT_EQ(fuzzcheck::checkReviewReader(content), QString()) << name.toStdString();
        try {
            state::Session m;
            state::progress::parse(content, m);
            ++accepted;
        } catch (const state::ProgressError &) {
        }
    }
    // Both ways through the check are taken: the write-back is exercised.
    EXPECT_GE(accepted, 10);
    EXPECT_LE(accepted, names.size() - 10);
}

}  // namespace
