#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a build tree with CPack and checks it as
# apt and a desktop would see it: control fields, the file list, the menu
# entry, the AppStream metainfo, the icons, the manual page, and that the
# unpacked program finds its own data folder.
#
#   check_package.sh <build-dir>
set -uo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack could not make the package"
  exit 1
fi
deb=$(ls "$work"/out/*.deb)
echo "package: $(basename "$deb")"

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = pomurin20 ] && ok "Package" || fail "Package is '$(field Package)'"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] && ok "Architecture" || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = education ] && ok "Section" || fail "Section is '$(field Section)'"
maintainer=$(field Maintainer)
[ "$maintainer" = "ぽむりん紀行20 developers <pomurin20@developers.invalid>" ] && ok "Maintainer" \
  || fail "Maintainer is '$maintainer'"
[ "$(field Homepage)" = "https://pomurin20.invalid/" ] && ok "Homepage" || fail "Homepage is '$(field Homepage)'"
[ -n "$(field Installed-Size)" ] && ok "Installed-Size" || fail "no Installed-Size"
# Pipelines whose reader stops early (head, grep -q) would fail under
# pipefail when the writer gets SIGPIPE, so each text is read whole first.
first_line() { printf '%s\n' "${1%%$'\n'*}"; }
description=$(first_line "$(field Description)")
grep -qi "maths drill" <<<"$description" && ok "Description" || fail "Description: $description"
version=$(field Version)

# Depends: every run-time need, one entry each (alternatives allowed).
depends=$(field Depends)
echo "Depends: $depends"
IFS=',' read -ra entries <<<"$depends"
has_dep() {
  for e in "${entries[@]}"; do
    for alt in ${e//|/ }; do
      [ "${alt%%(*}" = "$1" ] && return 0
    done
  done
  return 1
}
for need in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 \
            libsdl2-2.0-0 libsdl2-mixer-2.0-0 timgm6mb-soundfont \
            fonts-ipafont-gothic fonts-ipafont-mincho qt6-translations-l10n qt6-wayland qt6-base-abi; do
  has_dep "$need" && ok "depends on $need" || fail "Depends lacks $need"
done
# Every entry is a package name Debian knows, not a left-over placeholder.
for e in "${entries[@]}"; do
  name=$(echo "$e" | sed 's/[|(].*//; s/ //g')
  [[ "$name" =~ ^[a-z0-9][a-z0-9.+-]+$ ]] || fail "odd Depends entry '$e'"
done

# File list: what must be there, owned by root, nothing outside /usr.
dpkg-deb -c "$deb" >"$work/list"
files=$(awk '$1 !~ /^d/ {print $NF}' "$work/list" | sed 's|^\./|/|')
expected=(
  /usr/bin/pomurin20
  /usr/bin/pomurin20-report
  /usr/share/pomurin20/pinpon.wav /usr/share/pomurin20/endpinpon.wav
  /usr/share/pomurin20/Chimes.wav /usr/share/pomurin20/Chimes2.wav
  /usr/share/pomurin20/passport.mid /usr/share/pomurin20/Canyon.mid
  /usr/share/pomurin20/bahha.rmi
  /usr/share/applications/jp.pomurin.pomurin20.desktop
  /usr/share/applications/jp.pomurin.pomurin20.review.desktop
  /usr/share/applications/jp.pomurin.pomurin20.report.desktop
  /usr/share/metainfo/jp.pomurin.pomurin20.metainfo.xml
  /usr/share/icons/hicolor/48x48/apps/pomurin20.png
  /usr/share/icons/hicolor/64x64/apps/pomurin20.png
  /usr/share/icons/hicolor/128x128/apps/pomurin20.png
  /usr/share/icons/hicolor/256x256/apps/pomurin20.png
  /usr/share/man/man1/pomurin20.1.gz
  /usr/share/man/man1/pomurin20-report.1.gz
  /usr/share/doc/pomurin20/changelog.gz
  /usr/share/doc/pomurin20/examples/pomurin20.conf
  /usr/share/doc/pomurin20/examples/class-list.csv
  /usr/share/doc/pomurin20/copyright
)
for f in "${expected[@]}"; do
  grep -qxF "$f" <<<"$files" && ok "ships $f" || fail "missing $f"
done
grep -v '^/usr/' <<<"$files" && fail "files outside /usr"
awk '$2 != "root/root" {print}' "$work/list" | grep . && fail "files not owned by root"
grep -E '^-rwxr-xr-x .* \./usr/bin/pomurin20$' "$work/list" >/dev/null && ok "program is executable" \
  || fail "program mode: $(grep 'usr/bin/pomurin20$' "$work/list")"

# The unpacked tree.
root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop="$root/usr/share/applications/jp.pomurin.pomurin20.desktop"
metainfo="$root/usr/share/metainfo/jp.pomurin.pomurin20.metainfo.xml"
# Not even a hint (a missing main category is only a hint, yet it drops
# the entry into a catch-all menu).
if dfv=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$dfv" ]; then
  ok "desktop entry valid"
else
  fail "desktop-file-validate: $dfv"
fi
review_desktop="$root/usr/share/applications/jp.pomurin.pomurin20.review.desktop"
desktop-file-validate "$review_desktop" && ok "review entry valid" || fail "desktop-file-validate (review entry)"
grep -qx 'Exec=pomurin20 --user-folder --review' "$review_desktop" && grep -qx 'Name\[ja\]=ぽむりん紀行20 復習' "$review_desktop" \
  && ok "review entry starts the review in the main entry's folder" || fail "review entry's Exec or Name[ja]"
report_desktop="$root/usr/share/applications/jp.pomurin.pomurin20.report.desktop"
if dfv=$(desktop-file-validate "$report_desktop" 2>&1) && [ -z "$dfv" ]; then
  ok "teacher's desktop entry valid"
else
  fail "desktop-file-validate (teacher's entry): $dfv"
fi
grep -qx 'Exec=pomurin20-report --window' "$report_desktop" && ok "teacher's entry opens the window" \
  || fail "teacher's Exec line"
grep -qx 'Name\[ja\]=ぽむりん紀行20 クラスの記録' "$report_desktop" && ok "teacher's entry named in Japanese" \
  || fail "teacher's Name[ja]"
grep -q '^Categories=Education;' "$report_desktop" && ok "teacher's entry under Education" \
  || fail "teacher's Categories"
grep -qF '<binary>pomurin20-report</binary>' "$metainfo" \
  && grep -qF '<launchable type="desktop-id">jp.pomurin.pomurin20.report.desktop</launchable>' "$metainfo" \
  && ok "metainfo names the teacher's window" || fail "metainfo lacks the teacher's window"
appstreamcli validate --no-net "$metainfo" && ok "metainfo valid" || fail "appstreamcli validate"
appstreamcli validate-tree --no-net "$root" >"$work/tree.log" 2>&1 && ok "metainfo and desktop entry agree" \
  || { cat "$work/tree.log"; fail "appstreamcli validate-tree"; }
grep -qx 'Exec=pomurin20 --user-folder' "$desktop" && ok "menu starts the per-user folder" || fail "Exec line"
grep -qx 'Icon=pomurin20' "$desktop" && ok "Icon" || fail "Icon line"
grep -q '^Name\[ja\]=' "$desktop" && grep -q '^Comment\[ja\]=' "$desktop" && ok "Japanese name and comment" \
  || fail "Japanese name or comment missing"
grep -q 'id="money-gambling">none<' "$metainfo" && ok "content rating: the points roulette is no gambling" || fail "content rating"
meta=$(<"$metainfo")
grep -qF '<project_license>GPL-3.0-or-later</project_license>' <<<"$meta" \
  && grep -qF '<metadata_license>FSFAP</metadata_license>' <<<"$meta" && ok "metainfo licences" \
  || fail "metainfo: project_license GPL-3.0-or-later and metadata_license FSFAP"
grep -qF '<developer_name>ぽむりん紀行20 developers</developer_name>' <<<"$meta" \
  && grep -qF '<update_contact>pomurin20@developers.invalid</update_contact>' <<<"$meta" && ok "metainfo developer" \
  || fail "metainfo developer name or contact"
# Every address in the metainfo is one the project has, or reserved.
urls=$(grep -oE 'https?://[^<"]+' <<<"$meta" | grep -vE '^https?://[^/]+\.invalid(/|$)')
[ -z "$urls" ] && ok "metainfo points nowhere else" || fail "metainfo addresses: $urls"

# The copyright file: machine-readable (DEP-5), every licence of a Files
# paragraph given in full or by a stand-alone paragraph, GPL-3 or later.
copyright="$root/usr/share/doc/pomurin20/copyright"
grep -E '^-rw-r--r-- .* \./usr/share/doc/pomurin20/copyright$' "$work/list" >/dev/null && ok "copyright file mode" \
  || fail "copyright file mode"
if [ -f "$copyright" ]; then
  dep5=$(awk -v RS= -v FS='\n' '
    # The fields of one paragraph: value[name] and how many continuation
    # lines (the text of a licence) follow it in more[name].
    function parse(   i, name) {
      split("", value); split("", more)
      for (i = 1; i <= NF; i++) {
        if ($i ~ /^[ \t]/) { more[name]++; continue }
        name = substr($i, 1, index($i, ":") - 1)
        value[name] = substr($i, index($i, ":") + 1); sub(/^[ \t]+/, "", value[name])
      }
    }
    { parse() }
    NR == 1 { if (value["Format"] != "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/") print "Format"
              if (value["Upstream-Name"] != "pomurin20") print "Upstream-Name"
              if (value["Upstream-Contact"] !~ /^.+ <[^@ ]+@[^> ]+\.invalid>$/) print "Upstream-Contact"; next }
    ("Files" in value) { files++
              if (value["Copyright"] == "") print "no Copyright for " value["Files"]
              if (value["License"] == "") print "no License for " value["Files"]
              if (!more["License"]) used[value["License"]] = 1
              if (value["Files"] == "*") star = value["License"]; next }
    ("License" in value) { if (more["License"]) given[value["License"]] = 1; next }
    { print "paragraph " NR " is neither Files nor License" }
    END { if (!files) print "no Files paragraph"; if (star != "GPL-3+") print "Files: * is not GPL-3+"
          for (l in used) if (!(l in given)) print "no text for " l }' "$copyright")
  [ -z "$dep5" ] && ok "copyright file is DEP-5" || fail "copyright file: $dep5"
  grep -qF '/usr/share/common-licenses/GPL-3' "$copyright" && grep -q 'either version 3 of the License, or' "$copyright" \
    && ok "copyright names GPL version 3 or later" || fail "copyright file lacks the GPL-3+ grant"
else
  fail "no copyright file"
fi

for n in 48 64 128 256; do
  kind=$(file -b "$root/usr/share/icons/hicolor/${n}x${n}/apps/pomurin20.png")
  grep -q "PNG image data, $n x $n, 8-bit/color RGBA" <<<"$kind" && ok "icon ${n}x${n}" || fail "icon ${n}x${n}: $kind"
done
grep -q '^\.TH POMURIN20 1' <<<"$(zcat "$root/usr/share/man/man1/pomurin20.1.gz")" && ok "manual page" \
  || fail "manual page"
grep -q '^\.TH POMURIN20-REPORT 1' <<<"$(zcat "$root/usr/share/man/man1/pomurin20-report.1.gz")" \
  && ok "report's manual page" || fail "report's manual page"
grep -q '^\.BR \\-\\-window' <<<"$(zcat "$root/usr/share/man/man1/pomurin20-report.1.gz")" \
  && ok "report's manual page describes --window" || fail "report's manual page lacks --window"
# The installed report program knows --window; its help needs no display.
grep -qF -- '--window' <<<"$("$root/usr/bin/pomurin20-report" --help)" && ok "report's help names --window" \
  || fail "report's help lacks --window"
changes=$(first_line "$(zcat "$root/usr/share/doc/pomurin20/changelog.gz")")
grep -qF "pomurin20 ($version) " <<<"$changes" && ok "changelog names the version" || fail "changelog: $changes"

# The example setting names no folder until an administrator edits it,
# and nothing is installed where the game would read it.
example="$root/usr/share/doc/pomurin20/examples/pomurin20.conf"
grep -qx '\[class\]' "$example" && grep -qx '\[display\]' "$example" && grep -qx '\[sound\]' "$example" \
  && ! grep -Eq '^[[:space:]]*(folder|scale|enabled)[[:space:]]*=' "$example" \
  && grep -Eq '^# scale = auto' "$example" && grep -Eq '^# enabled = false' "$example" \
  && ok "example setting, all three inactive" || fail "example setting"
[ ! -e "$root/etc/xdg/pomurin20" ] && [ ! -e "$root/usr/etc" ] && ok "no active setting shipped" || fail "a setting is shipped active"

for s in pinpon.wav endpinpon.wav Chimes.wav Chimes2.wav passport.mid Canyon.mid bahha.rmi; do
  cmp -s "$build/run/$s" "$root/usr/share/pomurin20/$s" || fail "$s differs from the built one"
done

# The unpacked program names its own data folder, wherever it lies, and
# the version of the package.
help=$("$root/usr/bin/pomurin20" --help)
grep -qF "$(cd "$root" && pwd -P)/usr/share/pomurin20" <<<"$help" && ok "program finds its data folder" \
  || fail "program does not name $root/usr/share/pomurin20: $help"
[ "$("$root/usr/bin/pomurin20" --version)" = "pomurin20 $version" ] && ok "program version $version" \
  || fail "version: $("$root/usr/bin/pomurin20" --version) vs $version"
# A wrong command line ends with 2 and says why, before any window.
# An option in the place of a value is no value.
for args in "--no-such-option:unknown argument '--no-such-option'" "--folder:--folder needs a folder" \
            "--scale:--scale needs a value" "--folder --no-sound:--folder needs a folder"; do
  # shellcheck disable=SC2086  # the options are split at their blank
  said=$(QT_QPA_PLATFORM=offscreen timeout 20 "$root/usr/bin/pomurin20" ${args%%:*} 2>&1 >/dev/null)
  status=$?
  [ $status -eq 2 ] && grep -qF -e "${args#*:}" <<<"$said" && ok "${args%%:*} at the end refused" \
    || fail "${args%%:*} at the end: status $status, said: $said"
done

# A scale for Qt that Qt cannot draw with is named and dropped, by the game
# and the teacher's window alike (both still running when stopped).
for prog in pomurin20 "pomurin20-report --window $work"; do
  # shellcheck disable=SC2086  # the program and its options
  said=$(cd "$work" && QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=20 timeout 5 "$root/usr/bin/"$prog 2>&1 >/dev/null)
  grep -qF 'QT_SCALE_FACTOR "20" is not a number from 1 to 3; it is not used' <<<"$said" \
    && ok "${prog%% *} drops QT_SCALE_FACTOR 20" || fail "${prog%% *} with QT_SCALE_FACTOR 20 said: $said"
done

echo "$failures failures"
[ "$failures" -eq 0 ]
