#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Crash run of the progress-file save: a helper saves in a loop and is
# killed with SIGKILL at random moments, a thousand times by default; after
# every kill the file must be one complete save, old or new.
#   bench/crash_run.sh [build dir] [kills] [max pause ms]
# Needs the tests built in that folder (the helper is a test program).
set -euo pipefail
build=${1:-build}
kills=${2:-1000}
pause=${3:-20}
helper=$(realpath "$build/tests/state/save_torture_helper")
[ -x "$helper" ] || { echo "build the tests in $build first (save_torture_helper missing)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
start=$(date +%s.%N)
"$helper" run "$kills" "$pause"
status=$?
echo "seconds: $(echo "$(date +%s.%N) - $start" | bc)"
exit $status
