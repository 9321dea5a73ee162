#!/usr/bin/env bash
# What users get, checked from outside: the manual page against mandoc's linter, the
# install with the library example built against the static and the shared library,
# and the Debian packages against lintian.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR CXX_COMPILER VERSION
# Exits 77 (skipped) where a tool it needs is missing.
set -euo pipefail
build_dir=$1
source_dir=$2
compiler=$3
version=$4

for tool in mandoc cpack dpkg-deb dpkg-architecture lintian readelf; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (.ci/run installs what the tests need)"
    exit 77
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { printf 'FAIL %s\n' "$@"; exit 1; }
expect() {
  [[ $3 == "$2" ]] || fail "$1" "  expected: $2" "  got:      $3"
  echo "ok   $1"
}
quietly() { "$@" >"$work/log" 2>&1 || { cat "$work/log"; fail "$*"; }; }

page=$source_dir/docs/inikey.1
expect "mandoc -T lint has nothing to say" "" "$(mandoc -T lint -W style "$page" 2>&1)"

# Builds examples/library against the inikey under PREFIX as another project would, with
# warnings as errors so that the installed headers stay clean, and runs it.
example() {
  local prefix=$1 name=$2 build=$work/$2-example
  quietly cmake -S "$source_dir/examples/library" -B "$build" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_CXX_FLAGS="-Wall -Wextra -Wpedantic -Werror"
  quietly cmake --build "$build"
  cp "$source_dir/examples/server.ini" "$work/$name.ini"
  expect "$name: the example reads the MTU" "net/mtu=1500 jumbo=false" \
    "$("$build/mtu" "$work/$name.ini")"
  "$build/mtu" "$work/$name.ini" 9000 >/dev/null
  expect "$name: the installed tool reads its save" "mtu='9000' mode='dhcp'" \
    "$("$prefix/bin/inikey" -f "$work/$name.ini" net/mtu net/eth0/mode | paste -sd' ')"
}

# Only the library's own headers, in one folder; the tool's stay out.
headers=$(cd "$source_dir/src" && ls ini/*.h util/*.h | xargs -n1 basename | sort | paste -sd' ')
quietly cmake --install "$build_dir" --prefix "$work/static" --strip
expect "static: the library's headers, no others" "$headers" \
  "$(ls "$work/static/include/inikey" | paste -sd' ')"
for path in lib/libinikey.a share/man/man1/inikey.1.gz share/zsh/site-functions/_inikey; do
  [[ -f $work/static/$path ]] || fail "static: not installed: $path"
done
example "$work/static" static

quietly cmake -S "$source_dir" -B "$work/shared-build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_COMPILER="$compiler" -DBUILD_SHARED_LIBS=ON -DINIKEY_BUILD_TESTS=OFF \
  -DINIKEY_BUILD_BENCHMARKS=OFF
quietly cmake --build "$work/shared-build" -j2
quietly cmake --install "$work/shared-build" --prefix "$work/shared" --strip
example "$work/shared" shared
expect "shared: the example needs the versioned library" "libinikey.so.${version%.*}" \
  "$(readelf -d "$work/shared-example/mtu" | sed -n 's/.*(NEEDED).*\[\(libinikey[^]]*\)\]/\1/p')"

# The packages, as the package preset builds them; twice, the second time with newer
# files, which must not change a byte.
quietly cmake -S "$source_dir" -B "$work/package-build" --preset package \
  -DCMAKE_CXX_COMPILER="$compiler"
quietly cmake --build "$work/package-build" -j2
for run in 1 2; do
  [[ $run == 1 ]] || touch "$work/package-build/inikey" "$work/package-build/libinikey.a"
  quietly cpack --config "$work/package-build/CPackConfig.cmake" -B "$work/package$run"
done
architecture=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for name in inikey libinikey-dev; do
  package=$work/package1/${name}_${version}_$architecture.deb
  cmp "$package" "$work/package2/${package##*/}" || fail "$name: two builds differ"
  lintian --fail-on error,warning "$package" || fail "$name: lintian finds errors or warnings"
  echo "ok   $name: the same bytes twice, and lintian has nothing to say"
  dpkg-deb -x "$package" "$work/$name"
done
for path in inikey/usr/bin/inikey inikey/usr/share/man/man1/inikey.1.gz \
  inikey/usr/share/zsh/vendor-completions/_inikey inikey/usr/share/doc/inikey/copyright \
  libinikey-dev/usr/include/inikey/IniFile.h libinikey-dev/usr/lib/$multiarch/libinikey.a \
  libinikey-dev/usr/lib/$multiarch/cmake/inikey/inikeyConfig.cmake \
  libinikey-dev/usr/share/doc/libinikey-dev/copyright; do
  [[ -f $work/$path ]] || fail "not in the package: $path"
done
[[ ! -e $work/inikey/usr/include && ! -e $work/inikey/usr/lib ]] ||
  fail "the tool's package holds the library"
expect "the unpacked tool runs" "net/mtu='1500'" \
  "$("$work/inikey/usr/bin/inikey" -f "$source_dir/examples/server.ini" -S net/mtu)"
