#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails, naming each file and line, when clang-format (.clang-format) would
# change a source file under src/, bench/, tools/ or fuzz/.  The tests are
# laid out by hand (their tables read better so) and are not checked.
# To put a file right: clang-format -i <file>
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
  echo "check-format: clang-format is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
find src bench tools fuzz -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z |
  xargs -0 clang-format --dry-run -Werror
echo "check-format: every file under src/, bench/, tools/ and fuzz/ is formatted"
