#!/usr/bin/env bash
# What users get, checked from outside: the manual page against mandoc's linter, the
# install with the library example built against the static and the shared library,
# and the Debian packages: the same bytes from a checkout and from a tarball, lintian,
# and the library example built against them.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR CXX_COMPILER VERSION
# Exits 77 (skipped) where a tool it needs is missing.
set -euo pipefail
build_dir=$1 source_dir=$2 compiler=$3 version=$4

for tool in mandoc dpkg-buildpackage dh dpkg-architecture lintian readelf pkg-config git; do
  command -v "$tool" >/dev/null ||
    { echo "skipped: $tool is not installed (.ci/run installs what the tests need)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { printf 'FAIL %s\n' "$@"; exit 1; }
expect() { [[ $3 == "$2" ]] || fail "$1" "  expected: $2" "  got:      $3"; echo "ok   $1"; }
quietly() { "$@" >"$work/log" 2>&1 || { cat "$work/log"; fail "$*"; }; }

page=$source_dir/docs/inikey.1
expect "mandoc -T lint has nothing to say" "" "$(mandoc -T lint -W style "$page" 2>&1)"

# Builds examples/library against the inikey under PREFIX as other projects would, through
# the CMake package and through pkg-config, with warnings as errors so that the installed
# headers stay clean; runs both builds, and one through each thing the example does.
# A package's files, unpacked under a root, are found through pkg-config's sysroot,
# as their paths are plain /usr ones.
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

present() { local root=$1 path; shift; for path; do [[ -f $root/$path ]] || fail "missing: $path"; done; }

# What a user includes and what that includes, in one folder; the steps of loading and
# saving, and the tool's own headers, stay out. (The static library is built against
# in the packages below.)
headers="IniFile.h SectionMap.h contentDigest.h convert.h fields.h fileHandle.h format.h keys.h trim.h"
quietly cmake --install "$build_dir" --prefix "$work/static" --strip
expect "static: the library's headers, no others" "$headers" \
  "$(ls "$work/static/include/inikey" | paste -sd' ')"
present "$work/static" bin/inikey lib/libinikey.a share/man/man1/inikey.1.gz share/zsh/site-functions/_inikey
expect "the CMake build's tool: static, no library needed" "" \
  "$(readelf -d "$work/static/bin/inikey" | grep NEEDED || true)"

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

# The packages, from one source in two trees at other paths: a checkout with .git
# whose commit is dated now, and a tarball without .git whose files are a day older
# than the changelog's last entry. The source's files, without what the ignore files
# name (builds), are listed by git without touching the source's own .git; the upstream
# tarball of the source package is the same without debian/.
full_version=$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)
expect "debian/changelog: this version and a Debian revision" "$version-" "${full_version%-*}-"
epoch=$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Timestamp)
git init -q --bare "$work/list.git"
git -C "$source_dir" --git-dir="$work/list.git" --work-tree=. ls-files -z -o --exclude-standard \
  >"$work/files"
grep -zv '^debian/' "$work/files" >"$work/upstream-files"
for list in files upstream-files; do
  tar -C "$source_dir" --null -T "$work/$list" --transform "s,^,inikey-$version/," --sort=name \
    --owner=0 --group=0 --numeric-owner --mtime="@$((epoch - 86400))" -czf "$work/$list.tar.gz"
done
for tree in checkout tarball; do
  mkdir "$work/$tree" && tar -C "$work/$tree" -xzf "$work/files.tar.gz"
  cp "$work/upstream-files.tar.gz" "$work/$tree/inikey_$version.orig.tar.gz"
done
(cd "$work/checkout/inikey-$version" && git init -q && git add -A &&
  git -c user.name=test -c user.email=test@localhost commit -qm checkout)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for tree in checkout tarball; do
  (cd "$work/$tree/inikey-$version" && env -u SOURCE_DATE_EPOCH -u DEB_BUILD_OPTIONS \
    dpkg-buildpackage -us -uc -j2 >"$work/$tree.log" 2>&1) ||
    { tail -40 "$work/$tree.log"; fail "dpkg-buildpackage in the $tree"; }
done
outputs=$(cd "$work/checkout" && ls ./*.dsc ./*.debian.tar.xz ./*.deb)
for output in $outputs; do
  cmp "$work/checkout/$output" "$work/tarball/$output" ||
    fail "$output: a checkout and a tarball give other bytes"
  [[ $output != *.deb ]] || dpkg-deb -x "$work/checkout/$output" "$work/root"
done
expect "checkout and tarball: the same bytes" "5 files" "$(echo $outputs | wc -w) files"
quietly lintian -I --pedantic --fail-on error,warning,info,pedantic "$work"/checkout/*.changes
echo "ok   lintian --pedantic has nothing to say of the source and the packages"
expect "libinikey-dev: Multi-Arch same" "same" \
  "$(dpkg-deb -f "$work"/checkout/libinikey-dev_*.deb Multi-Arch)"
present "$work/root/usr" bin/inikey share/man/man1/inikey.1.gz share/zsh/vendor-completions/_inikey \
  share/bash-completion/completions/inikey share/doc/inikey/copyright include/inikey/IniFile.h \
  lib/$multiarch/libinikey.a lib/$multiarch/cmake/inikey/inikeyConfig.cmake \
  share/doc/inikey/examples/server.ini share/doc/libinikey-dev/examples/mtu.cpp
[[ -n $(find "$work/root/usr/lib/debug" -name '*.debug') ]] || fail "no debug symbols package"
# Linked dynamically, and with dpkg-buildflags' linker flags (hardening=+all binds now).
expect "the packaged tool: dynamic, bound at start" "libc.so.6 BIND_NOW" \
  "$(readelf -d "$work/root/usr/bin/inikey" |
    sed -n 's/.*(NEEDED).*\[\(libc\.so[^]]*\)\]/\1/p; s/.*(FLAGS) *\(BIND_NOW\).*/\1/p' |
    paste -sd' ')"
PKG_CONFIG_PATH=$work/root/usr/lib/$multiarch/pkgconfig
expect "pkg-config: plain /usr paths" "/usr/include /usr/lib/$multiarch" \
  "$(pkg-config --variable=includedir inikey) $(pkg-config --variable=libdir inikey)"
export PKG_CONFIG_SYSROOT_DIR=$work/root
example "$work/root/usr" package
