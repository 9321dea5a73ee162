#!/usr/bin/env bash
# Times a save by two inikey binaries side by side, with hyperfine, on ext4 (a loop
# device), tmpfs and an XFS whose files exchange contents (a loop device; made by the
# mkfs.xfs of .ci/xfsprogs), in a mount namespace of its own. The file is put back
# and synced before every run; the corpora are bench/generate.py's small.ini (2 KB),
# medium.ini and large.ini (55 MB).
# Usage (as root): bench/filesystems.sh OLD NEW [XFSPROGS] [RUNS]
#   XFSPROGS: the folder .ci/xfsprogs made (default build/xfsprogs); RUNS: at least (5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
old=$(realpath "$1") new=$(realpath "$2") mkfs=$(realpath "${3:-$root/build/xfsprogs}")/mkfs.xfs
runs=${4:-5}
[[ -n ${INIKEY_UNSHARED:-} ]] || INIKEY_UNSHARED=1 exec unshare -m --propagation private "$0" "$@"
work=$(mktemp -d) && cd "$work"
trap 'umount -q ext4 tmpfs xfs; cd / && rm -rf "$work"' EXIT
python3 "$root/bench/generate.py" . >/dev/null && rm -f ./*1m.ini ./*2m.ini
mkdir ext4 tmpfs xfs && truncate -s 1G ext4.img xfs.img
mkfs.ext4 -q ext4.img && mount -o loop ext4.img ext4 && mount -t tmpfs -o size=1G tmpfs tmpfs
"$mkfs" -q -i exchange=1 xfs.img && mount -o loop xfs.img xfs
for fs in ext4 tmpfs xfs; do
  for corpus in small medium large; do
    hyperfine -N --style none --min-runs "$runs" \
      --prepare "sh -c 'cp $corpus.ini $fs/s.ini && sync'" --export-markdown $fs-$corpus.md \
      -n "old $fs $corpus" "$old -f $fs/s.ini -w bench/key=1" \
      -n "new $fs $corpus" "$new -f $fs/s.ini -w bench/key=1" >/dev/null
  done
done
cat ./*-*.md | sort -u -r
