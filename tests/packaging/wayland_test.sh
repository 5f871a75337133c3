#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the game under a headless Wayland compositor (Weston's headless
# back end, 1920 × 1080) and sees its title window in the compositor's
# scene graph: mapped, named by its caption and the program's id, at the
# auto display scale of that screen (1.5).
#
#   wayland_test.sh <pomurin20 program>
#
# Exit 77 (skipped) when Weston or Qt's Wayland plugin is missing, except
# in CI (CI set and not 0 or false), where that is a failure:
# scripts/install-deps.sh installs both.
set -uo pipefail

program=$(realpath "$1")
ci=false
case "${CI:-}" in "" | 0 | false | FALSE | False) ;; *) ci=true ;; esac
missing() {
  if $ci; then
    echo "FAIL: $1 (scripts/install-deps.sh installs it)"
    exit 1
  fi
  echo "SKIP: $1"
  exit 77
}
command -v weston >/dev/null || missing "weston is not installed"
command -v weston-debug >/dev/null || missing "weston-debug is not installed"
plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
ls "$plugins"/platforms/libqwayland-*.so >/dev/null 2>&1 || missing "Qt's Wayland plugin (qt6-wayland) is not installed"

work=$(mktemp -d)
chmod 700 "$work"
trap 'kill $(jobs -p) 2>/dev/null; wait; rm -rf "$work"' EXIT

export XDG_RUNTIME_DIR=$work
export WAYLAND_DISPLAY=pomurin-test
# --debug opens the scene-graph view that weston-debug reads; no idle lock.
weston --backend=headless-backend.so --use-pixman --width=1920 --height=1080 \
  --socket="$WAYLAND_DISPLAY" --no-config --idle-time=0 --debug >"$work/weston.log" 2>&1 &
for _ in $(seq 100); do
  [ -S "$work/$WAYLAND_DISPLAY" ] && break
  sleep 0.1
done

# The game, in a folder of its own, with no setting file and no X display.
mkdir "$work/run" "$work/config"
(cd "$work/run" && exec env -u DISPLAY QT_QPA_PLATFORM=wayland XDG_CONFIG_HOME="$work/config" \
  XDG_CONFIG_DIRS="$work/config" "$program" --no-sound >"$work/game.log" 2>&1) &

# The scene graph's entry of the window its text begins with $1, within 15 s.
find_view() {
  view=
  for _ in $(seq 150); do
    graph=$(timeout 5 weston-debug scene-graph 2>/dev/null)
    view=$(grep -A1 -F "top-level window '$1" <<<"$graph")
    [ -n "$view" ] && break
    sleep 0.1
  done
}

caption=" ぽむりん紀行20（√、因数分解、2次方程式・関数の巻）"
find_view "$caption' of jp.pomurin.pomurin20"
if [ -z "$view" ]; then
  echo "FAIL: no title window in the compositor's scene graph"
  cat "$work/weston.log" "$work/game.log"
  echo "$graph"
  exit 1
fi
echo "$view"
# "position: (x1, y1) -> (x2, y2)": the window with Qt's decoration (3
# pixels each side, a 30-pixel title bar) around the title screen's
# 385 × 264 at scale 1.5, 578 × 396.
read -r x1 y1 x2 y2 < <(sed -n 's/.*position: (\(-\?[0-9]*\), \(-\?[0-9]*\)) -> (\(-\?[0-9]*\), \(-\?[0-9]*\)).*/\1 \2 \3 \4/p' <<<"$view")
width=$((x2 - x1))
height=$((y2 - y1))
if [ "$width" -lt 578 ] || [ "$width" -gt 590 ] || [ "$height" -lt 396 ] || [ "$height" -gt 436 ]; then
  echo "FAIL: the window is $width x $height, not the title screen at scale 1.5 (578 x 396) with a decoration"
  exit 1
fi
if grep -qi "wayland" "$work/game.log"; then
  echo "FAIL: the game complained about Wayland:"
  cat "$work/game.log"
  exit 1
fi
echo "ok: the title window is shown under Wayland at scale 1.5 ($width x $height with its decoration)"

# The review as its menu entry starts it: its code box, not the course.  No input
# method: Qt's Wayland text input crashes a text field where there is no seat.
(cd "$work/run" && exec env -u DISPLAY QT_IM_MODULE=none QT_QPA_PLATFORM=wayland XDG_CONFIG_HOME="$work/config" \
  XDG_CONFIG_DIRS="$work/config" "$program" --no-sound --review >"$work/review.log" 2>&1) &
find_view "ユーザーコード入力（復習）'"
if [ -z "$view" ]; then
  echo "FAIL: pomurin20 --review shows no code box of the review"
  cat "$work/review.log"
  exit 1
fi
echo "ok: pomurin20 --review asks for the code of the review"
