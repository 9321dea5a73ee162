#!/usr/bin/env bash
# Builds examples/library against the inikey installed under PREFIX, as another
# project would, runs it on a copy of the example file and checks the file with the
# installed tool.
# Usage: build_example.sh PREFIX SOURCE_DIR CXX_COMPILER WORK_DIR
set -euo pipefail
prefix=$1
source_dir=$2
compiler=$3
work=$4

# Warnings are errors here, so that the installed headers stay clean for users too.
cmake -S "$source_dir/examples/library" -B "$work/example" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Wpedantic -Werror" \
  >"$work/example.log" 2>&1 || { cat "$work/example.log"; exit 1; }
cmake --build "$work/example" >>"$work/example.log" 2>&1 || { cat "$work/example.log"; exit 1; }

cp "$source_dir/examples/server.ini" "$work/server.ini"
expect() {
  local what=$1 expected=$2 actual=$3
  if [[ $actual != "$expected" ]]; then
    printf 'FAIL %s\n  expected: %s\n  got:      %s\n' "$what" "$expected" "$actual"
    exit 1
  fi
  echo "ok   $what"
}
expect "the example reads the MTU" "net/mtu=1500 jumbo=false" "$("$work/example/mtu" "$work/server.ini")"
expect "the example saves a new one" $'net/mtu=1500 jumbo=false\nnet/mtu=9000 saved' \
  "$("$work/example/mtu" "$work/server.ini" 9000)"
expect "the installed tool reads it back" "mtu='9000'" \
  "$("$prefix/bin/inikey" -f "$work/server.ini" net/mtu)"
expect "the other keys stay" "mode='dhcp'" "$("$prefix/bin/inikey" -f "$work/server.ini" net/eth0/mode)"
