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

for tool in mandoc cpack dpkg-deb dpkg-architecture lintian readelf pkg-config; do
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

# Builds examples/library against the inikey under PREFIX as other projects would, through
# the CMake package and through pkg-config, with warnings as errors so that the installed
# headers stay clean; runs both builds, and one through each thing the example does.
example() {
  local prefix=$1 name=$2 build=$work/$2-example flags="-Wall -Wextra -Wpedantic -Werror"
  quietly cmake -S "$source_dir/examples/library" -B "$build" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_CXX_FLAGS="$flags"
  quietly cmake --build "$build"
  export PKG_CONFIG_PATH
  PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name inikey.pc)")
  # shellcheck disable=SC2046,SC2086 # the flags are words
  quietly "$compiler" -std=c++20 $flags -o "$build/mtu-pc" "$source_dir/examples/library/mtu.cpp" \
    $(pkg-config --cflags --libs inikey) -Wl,-rpath,"$(pkg-config --variable=libdir inikey)"
  cp "$source_dir/examples/server.ini" "$work/$name.ini"
  for mtu in mtu mtu-pc; do
    expect "$name $mtu: reads with defaults" "net/mtu=1500 jumbo=false eth0=dhcp" \
      "$("$build/$mtu" "$work/$name.ini")"
  done
  "$build/mtu" "$work/$name.ini" 9000 >/dev/null
  expect "$name: sets and saves, the tool reads it" "mtu='9000' mode='dhcp'" \
    "$("$prefix/bin/inikey" -f "$work/$name.ini" net/mtu net/eth0/mode | paste -sd' ')"
  expect "$name: removes" "net/mtu removed, saved|net/mtu=1500 jumbo=false eth0=dhcp" \
    "$("$build/mtu-pc" "$work/$name.ini" default)|$("$build/mtu-pc" "$work/$name.ini")"
  expect "$name: makes a missing file" "net/mtu=9000, saved|[net]" \
    "$("$build/mtu" "$work/$name-new.ini" 9000)|$(head -1 "$work/$name-new.ini")"
}

# What a user includes and what that includes, in one folder; the steps of loading and
# saving, and the tool's own headers, stay out.
headers="IniFile.h SectionMap.h contentDigest.h convert.h fields.h fileHandle.h format.h keys.h trim.h"
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
# Installed in one folder and moved to another, as a package's root is.
quietly cmake --install "$work/shared-build" --prefix "$work/installed" --strip
mv "$work/installed" "$work/shared"
example "$work/shared" shared
for mtu in mtu mtu-pc; do
  expect "shared $mtu: needs the versioned library" "libinikey.so.${version%.*}" \
    "$(readelf -d "$work/shared-example/$mtu" | sed -n 's/.*(NEEDED).*\[\(libinikey[^]]*\)\]/\1/p')"
done

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
  libinikey-dev/usr/lib/$multiarch/pkgconfig/inikey.pc \
  libinikey-dev/usr/share/doc/libinikey-dev/copyright; do
  [[ -f $work/$path ]] || fail "not in the package: $path"
done
[[ ! -e $work/inikey/usr/include && ! -e $work/inikey/usr/lib ]] ||
  fail "the tool's package holds the library"
expect "the unpacked tool runs" "net/mtu='1500'" \
  "$("$work/inikey/usr/bin/inikey" -f "$source_dir/examples/server.ini" -S net/mtu)"
