// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The files kept beside a progress file: written and read through the one
// file module (platform/Files.h), which knows their temporaries and the
// modes of a class folder.

#include "platform/Files.h"
#include "state/FolderNames.h"

namespace state::files {

using namespace platform::files;

// The hold's ending (FolderNames.h) with its own temporaries makes the
// longest name beside a progress file, so codes are limited by it.
constexpr int kLongestEnding = int(sizeof names::kHoldEnding) - 1 + platform::files::kTempSuffix;

}  // namespace state::files
