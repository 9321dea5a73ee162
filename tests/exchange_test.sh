#!/usr/bin/env bash
# exchange_test.sh INIKEY XFSPROGS SECTIONS RUNS: a save on an XFS whose files exchange
# contents is never torn: killed (SIGKILL) or cut as by a power failure (a shutdown
# that does not flush the log, then a mount) at RUNS moments spread over a save, the
# file holds the old text or the new one, and keeps its inode, owner, mode and link.
# Elsewhere the same save writes in place, where a kill half way leaves a mix.
# XFSPROGS holds the mkfs.xfs that .ci/xfsprogs makes. Exits 77 where it cannot run.
set -uo pipefail
inikey=$(realpath "$1") mkfs=$(realpath -m "$2/mkfs.xfs") sections=$3 runs=$4
skip() { echo "skipped: $*" && exit 77; }
((EUID == 0)) || skip "not root, so no file system can be mounted"
[[ -x $mkfs ]] || skip "no $mkfs with the exchange (made by .ci/xfsprogs)"
command -v xfs_io >/dev/null || skip "no xfs_io (Debian: xfsprogs)"
unshare -m true 2>/dev/null || skip "no mount namespace"
[[ -n ${INIKEY_UNSHARED:-} ]] || INIKEY_UNSHARED=1 exec unshare -m --propagation private "$0" "$@"
work=$(mktemp -d) && cd "$work" || exit 1
trap 'umount -q xfs xfs0 ext4 tmpfs; cd / && rm -rf "$work"' EXIT
mkdir xfs xfs0 ext4 tmpfs && truncate -s 1G xfs.img xfs0.img ext4.img
"$mkfs" -q -i exchange=1 xfs.img && mount -o loop xfs.img xfs || skip "no XFS on a loop device"
"$mkfs" -q -i exchange=0 xfs0.img && mount -o loop xfs0.img xfs0 && mkfs.ext4 -q ext4.img &&
  mount -o loop ext4.img ext4 && mount -t tmpfs tmpfs tmpfs || exit 1

# Every byte moves: the new text begins with the section "" that the save adds.
awk -v n="$sections" 'BEGIN { for (i = 0; i < n; i++) printf "[s%07d]\nkey=value %d\n\n", i, i }' >old
cp old new && "$inikey" -f new -w a=1 || exit 1
failed=0
fail() { echo "FAILED: $*" && failed=1; }
state() { if cmp -s "$1" old; then echo old; elif cmp -s "$1" new; then echo new; else echo mixed; fi; }
start() { cp old "$1" && sync "$1" && { "$inikey" -f "$1" -w a=1 2>/dev/null & pid=$!; }; }
# Stops a save of the file $1 once it has written half the text.
midway() {
  start "$1"
  local half=$(($(stat -c %s new) / 2)) io=()
  while mapfile -t io </proc/$pid/io && ((${io[1]#wchar: } < half)); do :; done 2>/dev/null
  kill -STOP $pid
}
touch xfs/s.ini && ln -s "$work/xfs/s.ini" tmpfs/xfs.ini  # the folder named is on another file system
for file in xfs0/s.ini ext4/s.ini tmpfs/s.ini tmpfs/xfs.ini; do
  midway $file && [[ $(state $file) == mixed ]] || fail "$file: a save half way is not a mix"
  kill -KILL $pid 2>/dev/null; wait $pid 2>/dev/null
done
# Half the text forced to storage, then the power cut: the file is old.
midway xfs/s.ini && [[ $(state xfs/s.ini) == old ]] || fail "xfs: a save half way is not the old text"
sync -f xfs && xfs_io -x -c shutdown xfs && kill -KILL $pid && wait $pid 2>/dev/null
umount xfs && mount -o loop xfs.img xfs && [[ $(state xfs/s.ini) == old ]] || fail "xfs: cut half way"

cp old xfs/s.ini && chown 65534:65534 xfs/s.ini && chmod 640 xfs/s.ini && ln xfs/s.ini xfs/hard.ini
before=$(stat -c '%i %u %g %a %h' xfs/s.ini) && begun=$(date +%s%N)
"$inikey" -f xfs/s.ini -w a=1 && took=$((($(date +%s%N) - begun) / 1000))
[[ $(stat -c '%i %u %g %a %h' xfs/s.ini) == "$before" && $(state xfs/hard.ini) == new ]] ||
  fail "xfs: inode, owner, mode or link changed"
files=$(df --output=iused xfs)  # the unnamed file of a cut save is freed by the next mount
for cut in SIGKILL shutdown; do
  seen=""
  for ((run = 0; run < runs; run++)); do
    # From 40 % of the undisturbed save, where the loading ends, to 110 %.
    start xfs/s.ini && delay=$((took * (40 + 70 * run / runs + RANDOM * 70 / runs / 32768) / 100))
    sleep "$((delay / 1000000)).$(printf %06d $((delay % 1000000)))"
    if [[ $cut == SIGKILL ]]; then kill -KILL $pid 2>/dev/null; else xfs_io -x -c shutdown xfs; fi
    wait $pid 2>/dev/null
    umount xfs && mount -o loop xfs.img xfs  # which frees a killed run's unnamed file too
    seen+=" $(state xfs/s.ini)" && [[ $(df --output=iused xfs) == "$files" ]] || seen+="(left a file)"
  done
  echo "$cut at $runs moments of a $((took / 1000)) ms save:$seen"
  [[ $seen != *mixed* && $seen != *left* ]] || fail "xfs: torn by $cut"
done
# In a folder the user may not write, in place.
chmod 755 . && mkdir xfs/locked && cp old xfs/locked/s.ini && cp "$inikey" xfs/locked &&
  chown 65534 xfs/locked/s.ini &&
  setpriv --reuid=65534 --clear-groups xfs/locked/inikey -f xfs/locked/s.ini -w a=1 &&
  [[ $(state xfs/locked/s.ini) == new ]] || fail "xfs: a folder the user may not write"
# The new text needs room beside the old until the exchange, else nothing changes.
cp old xfs/s.ini && fallocate -l $(($(df -B1 --output=avail xfs | tail -1) - $(stat -c %s new) / 2)) xfs/full
[[ $("$inikey" -f xfs/s.ini -w a=1 2>&1) == *"No space left on device" && $(state xfs/s.ini) == old ]] ||
  fail "xfs: a save without room beside the old text"
exit $failed
