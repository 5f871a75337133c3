// SPDX-License-Identifier: GPL-3.0-or-later
// A save killed at any moment leaves one complete save on disk, old or new.
#include "SaveTorture.h"

#include <gtest/gtest.h>

namespace {

TEST(CrashSafety, KilledSavesLeaveOneCompleteSave) {
    const unsigned seed = ::testing::UnitTest::GetInstance()->random_seed() + 20;
    const torture::Result r = torture::run(QStringLiteral(SAVE_TORTURE_HELPER), 300, 15, seed);
    EXPECT_EQ(r.firstProblem, QString());
    EXPECT_EQ(r.kills, 300);
    EXPECT_EQ(r.complete, r.kills);
    // The kills landed while saves were going on, not only before the first.
    EXPECT_GT(r.progressed, r.kills / 4);
    std::printf("kills %d, newer save after %d, last save %ld, temporary files left %d\n", r.kills, r.progressed,
                r.lastSave, r.leftovers);
}

}  // namespace
