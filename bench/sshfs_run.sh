#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A class folder on a real network file system: a folder is served by an
# SSH server on this machine (127.0.0.1 only) and mounted with sshfs; two
# writers save the same progress file into the mount at once and are both
# killed with SIGKILL at random moments, round after round.  After every
# round every file in the folder is checked on the server's side: each
# progress file must be one complete save of either writer, never a torn or
# mixed one.  At the end the leftover temporaries are aged in part (as if a
# machine had crashed 11 minutes ago) and one more save must remove exactly
# the aged ones; then the mount is cut (the file server drops) and a save
# must fail while the last good save stays.
#
#   bench/sshfs_run.sh [build dir] [rounds] [max pause ms]
#
# Run as root (it starts sshd on 127.0.0.1:2222 and mounts with FUSE);
# installs openssh-server and sshfs with apt when missing.  Needs the tests
# built in that folder (save_torture_helper is a test program).  Not a test:
# run by hand.
set -euo pipefail
build=$(realpath "${1:-build}")
rounds=${2:-200}
pause=${3:-300}
port=${POMURIN_SSHFS_PORT:-2222}
helper=$build/tests/state/save_torture_helper
[ -x "$helper" ] || { echo "build the tests in $build first (save_torture_helper missing)" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "run as root (sshd and FUSE)" >&2; exit 2; }
for p in openssh-server sshfs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends openssh-server sshfs >/dev/null
done

work=$(mktemp -d /tmp/pomurin-sshfs.XXXXXX)
server=$work/server mnt=$work/mnt
mkdir -p "$server" "$mnt" /run/sshd
chmod 2770 "$server"
sshd_pid=
cleanup() {
  cd /
  [ -n "${writers:-}" ] && kill -9 $writers 2>/dev/null || true
  mountpoint -q "$mnt" && fusermount3 -uz "$mnt" 2>/dev/null || true
  [ -n "$sshd_pid" ] && kill "$sshd_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

ssh-keygen -q -t ed25519 -N '' -f "$work/host_key"
ssh-keygen -q -t ed25519 -N '' -f "$work/id"
cp "$work/id.pub" "$work/authorized_keys"
cat >"$work/sshd_config" <<CONF
ListenAddress 127.0.0.1
Port $port
HostKey $work/host_key
AuthorizedKeysFile $work/authorized_keys
PidFile $work/sshd.pid
PermitRootLogin prohibit-password
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
Subsystem sftp internal-sftp
CONF
/usr/sbin/sshd -f "$work/sshd_config"
for _ in $(seq 50); do [ -s "$work/sshd.pid" ] && break; sleep 0.1; done
sshd_pid=$(cat "$work/sshd.pid")

mount_it() {
  sshfs -p "$port" -o "IdentityFile=$work/id,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,LogLevel=ERROR" \
    "root@127.0.0.1:$server" "$mnt"
}
mount_it
echo "sshfs: $server served on 127.0.0.1:$port, mounted at $mnt"

stem=race
temps() { find "$server" -maxdepth 1 -name "$stem.ucd.*" ! -name '*.hold' -type f | wc -l; }
saves=0 kills=0 checked=0 torn=0 errors=0
start=$(date +%s.%N)
cd "$mnt"
"$helper" saveonce "$stem" 0
exec 3>&2 2>/dev/null  # bash's "Killed" notices for the writers
for ((r = 0; r < rounds; ++r)); do
  # Writer A counts from 1, writer B from 1,000,000, in steps of rounds, so
  # each save's number says which writer made it and in which round.
  "$helper" savelog "$stem" $((r * 1000 + 1)) >"$work/a.log" 2>&1 &
  a=$!
  "$helper" savelog "$stem" $((1000000 + r * 1000 + 1)) >"$work/b.log" 2>&1 &
  b=$!
  writers="$a $b"
  ka=$(( RANDOM % pause )) kb=$(( RANDOM % pause ))
  sleep "$(printf '0.%03d' "$(( (ka < kb ? ka : kb) % 1000 ))")"
  kill -9 $(( ka < kb ? a : b )) 2>/dev/null || true
  sleep "$(printf '0.%03d' "$(( (ka < kb ? kb - ka : ka - kb) % 1000 ))")"
  kill -9 $(( ka < kb ? b : a )) 2>/dev/null || true
  wait $a $b 2>/dev/null || true
  writers=
  kills=$((kills + 2))
  saves=$((saves + $(grep -cv '^error' "$work/a.log" || true) + $(grep -cv '^error' "$work/b.log" || true)))
  errors=$((errors + $(grep -c '^error' "$work/a.log" || true) + $(grep -c '^error' "$work/b.log" || true)))
  # Every progress file in the folder, read on the server's disk.
  for f in "$server"/*.ucd; do
    checked=$((checked + 1))
    if ! "$helper" check "$f" >"$work/check.log"; then
      torn=$((torn + 1))
      cat "$work/check.log"
    fi
  done
done
exec 2>&3 3>&-
seconds=$(echo "$(date +%s.%N) - $start" | bc)
left=$(temps)
grep -h '^error' "$work/a.log" "$work/b.log" | sort | uniq -c | head -5 || true

# Age every other leftover temporary by 11 minutes: the next save removes
# those and keeps the rest, which another machine might still be writing.
# Aged through the mount, so that sshfs's attribute cache (20 s) sees it.
aged=0 n=0
for t in $(find "$server" -maxdepth 1 -name "$stem.ucd.*" ! -name '*.hold' -type f -printf '%f\n'); do
  if (( n++ % 2 == 0 )); then touch -d '-11 minutes' "$mnt/$t"; aged=$((aged + 1)); fi
done
"$helper" saveonce "$stem" 7
after=$(temps)
removed=$((left - after))

# The file server drops: sshfs ends, the mount answers "not connected".
last=$("$helper" check "$server/$stem.ucd" || true)
pkill -9 -f "sshfs .*$mnt" >/dev/null 2>&1 || true
sleep 0.5
if "$helper" saveonce "$stem" 8 2>"$work/drop.log"; then drop="a save succeeded on a dropped mount"
else drop="save refused: $(cat "$work/drop.log")"; fi
cd /
fusermount3 -uz "$mnt" 2>/dev/null || true
mount_it
kept=$("$helper" check "$mnt/$stem.ucd" || true)

echo "rounds $rounds, max pause ${pause} ms, $seconds s"
echo "saves $saves (failed saves $errors), kills $kills, files checked $checked, torn files $torn"
echo "stale temporaries: $left left by kills, $aged aged past 10 minutes, $removed removed by the next save, $after kept"
echo "mount dropped: $drop"
last=${last%% /*} kept=${kept%% /*}
echo "last good save before the drop: $last; after remounting: $kept"
[ "$torn" -eq 0 ] && [ "$removed" -eq "$aged" ] && [ "$last" = "$kept" ]
