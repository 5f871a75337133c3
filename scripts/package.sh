#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package: installs what is missing, builds a Release in
# build-pkg and makes the .deb with CPack.  The last line printed is
# the path of the .deb; install it with
#   sudo apt install ./build-pkg/pomurin20_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DPOMURIN_TESTS=OFF -DPOMURIN_BENCH=OFF >&2
cmake --build build-pkg -j "$(nproc)" >&2
rm -f build-pkg/pomurin20_*.deb
(cd build-pkg && cpack -G DEB) >&2
ls "$PWD"/build-pkg/pomurin20_*.deb
