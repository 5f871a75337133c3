// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The files kept beside a progress file: written and read through the one
// file module (platform/Files.h), which knows their temporaries and the
// modes of a class folder.

#include "platform/Files.h"

namespace state::files {

using namespace platform::files;

// The hold file of a progress file is its name + this ending (see
// CodeHold.h); with its own temporaries it is the longest name beside a
// progress file, so codes are limited by it.
inline constexpr char kHoldEnding[] = ".hold";
constexpr int kLongestEnding = 5 + platform::files::kTempSuffix;

}  // namespace state::files
