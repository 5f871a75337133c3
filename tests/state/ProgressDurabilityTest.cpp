// SPDX-License-Identifier: GPL-3.0-or-later
// The save reaches the disk: the new file's bytes are synced before the
// rename, and the folder after it, so that the rename itself survives a
// power cut.  fsync is replaced in this program by a recorder that then
// calls the real one.
#include "state/ProgressFile.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <vector>

namespace {

enum class Synced { File, Folder, Other };
std::vector<Synced> syncs;

}  // namespace

extern "C" int fsync(int fd) {
    struct stat st {};
    syncs.push_back(::fstat(fd, &st) != 0 ? Synced::Other
                    : S_ISDIR(st.st_mode) ? Synced::Folder
                    : S_ISREG(st.st_mode) ? Synced::File
                                          : Synced::Other);
    static auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    return real ? real(fd) : 0;
}

namespace {

TEST(ProgressDurability, FileThenFolderAreSyncedOnEverySave) {
    state::Session m;
    m.userCode = "abc123";
    m.question = 4;
    for (int round = 0; round < 2; ++round) {  // a new file, then a replaced one
        syncs.clear();
        state::progress::save(m);
        EXPECT_EQ(syncs, (std::vector<Synced>{Synced::File, Synced::Folder})) << "round " << round;
    }
}

}  // namespace
