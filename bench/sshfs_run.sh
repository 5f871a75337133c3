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
# the aged ones.  Then two machines cloned from one disk image play one code
# (one host name; a machine id and process-id space each, from namespaces
# of this machine): the second is refused while the first plays; the first
# is frozen for over 2 minutes (it lost the network), the second takes the
# code over, and the first, woken, stops without saving again; a hold dated
# to 2030 by hand blocks nothing.  Last the mount is cut (the file server
# drops) and a save must fail while the last good save stays.
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

# Two clones of one disk image: the same host name, their own machine ids
# and process ids (a pid namespace each, so neither sees the other's
# process, as on two machines; each is process 1 in its own).
clone=clone
printf '%032d\n' 1 >"$work/id-a"
printf '%032d\n' 2 >"$work/id-b"
as_machine() {  # id file, log, then the command; runs in the background
  local id=$1 log=$2
  shift 2
  unshare --mount --pid --fork --kill-child sh -c 'mount --bind "$0" /etc/machine-id && exec "$@"' "$id" "$@" >"$log" 2>&1 &
}
leaf() {  # the innermost descendant of a process: the helper itself
  local p=$1 c
  while c=$(pgrep -P "$p" | head -1) && [ -n "$c" ]; do p=$c; done
  echo "$p"
}
as_machine "$work/id-a" "$work/clone-a.log" "$helper" play "$clone" 1
clone_a=$!
sleep 3
as_machine "$work/id-b" "$work/clone-b.log" "$helper" play "$clone" 5000000
wait $! && second="played too" || second="refused ($(head -1 "$work/clone-b.log"))"
# A freezes (its network is gone) for longer than a hold lasts.
a_pid=$(leaf "$clone_a")
kill -STOP "$a_pid"
sleep 125
as_machine "$work/id-b" "$work/clone-b.log" "$helper" play "$clone" 5000000
clone_b=$!
sleep 3
kill -CONT "$a_pid"
wait "$clone_a" && a_end=0 || a_end=$?
kill -9 "$(leaf "$clone_b")" 2>/dev/null || true
wait "$clone_b" || true
a_last=$(grep -E '^[0-9]+$' "$work/clone-a.log" | tail -1)
b_last=$(grep -E '^[0-9]+$' "$work/clone-b.log" | tail -1)
clone_file=$("$helper" check "$server/$clone.ucd" || true)
clone_file=${clone_file%% /*}
clone_n=${clone_file#complete }
# A hold dated to 2030 by a pupil (through the mount, as a pupil would).
touch -d 2030-01-01 "$mnt/$clone.ucd.hold"
as_machine "$work/id-a" "$work/clone-c.log" "$helper" play "$clone" 9000000
clone_c=$!
sleep 3
kill -9 "$(leaf "$clone_c")" 2>/dev/null || true
wait "$clone_c" || true
dated=$(head -1 "$work/clone-c.log")

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
echo "clones of one host name: the second started while the first played: $second"
echo "  first frozen 125 s, second took over (last save $b_last); first woken: exit $a_end, $(tail -1 "$work/clone-a.log"), its last save $a_last; file: $clone_file"
echo "  a hold dated to 2030 by hand: a new start on the code: $dated"
[ "$torn" -eq 0 ] && [ "$removed" -eq "$aged" ] && [ "$last" = "$kept" ] && [[ $second == refused* ]] &&
  [ "$a_end" -eq 4 ] && [ "$clone_n" -ge "$b_last" ] && [ "$clone_n" -ge 5000000 ] && [ "$dated" = held ]
