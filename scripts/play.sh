#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the game and starts it in build/run,
# the folder that holds the sound files and the learners' progress files.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DPOMURIN_TESTS=OFF -DPOMURIN_BENCH=OFF
cmake --build build --target pomurin20
cd build/run
exec ../src/pomurin20
