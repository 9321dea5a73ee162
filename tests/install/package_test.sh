#!/usr/bin/env bash
# Builds the Debian package with cpack, lists it, checks its metadata, unpacks it into
# a temporary folder and runs what it holds: the tool on an example, and the library
# example built against it.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR CXX_COMPILER VERSION
# Exits 77 (skipped) where the Debian tools that cpack needs are missing.
set -euo pipefail
build_dir=$1
source_dir=$2
compiler=$3
version=$4

for tool in cpack dpkg-deb dpkg-shlibdeps file; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed (Debian packages dpkg, dpkg-dev, file)"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
package=$work/inikey_${version}_$(dpkg --print-architecture).deb
if [[ ! -f $package ]]; then
  echo "FAIL no $package:"
  ls "$work"
  exit 1
fi

dpkg-deb -c "$package" | tee "$work/contents"
for path in ./usr/bin/inikey ./usr/share/man/man1/inikey.1 \
  ./usr/share/bash-completion/completions/inikey ./usr/include/inikey/ini/IniFile.h \
  ./usr/lib/libinikey.a ./usr/lib/cmake/inikey/inikeyConfig.cmake; do
  grep -q " $path\$" "$work/contents" || { echo "FAIL not in the package: $path"; exit 1; }
done
echo "ok   every part packed"

dpkg-deb -f "$package" | tee "$work/fields"
check_field() {
  local field=$1 pattern=$2 value
  value=$(dpkg-deb -f "$package" "$field")
  if [[ ! $value =~ $pattern ]]; then
    echo "FAIL $field is '$value', expected to match '$pattern'"
    exit 1
  fi
}
check_field Package '^inikey$'
check_field Version "^$version\$"
check_field Section '^utils$'
check_field Maintainer '^[^<]+ <[^>]+@[^>]+>$'
# Static or not, the tool comes with a library that programs link with the C library.
check_field Depends '(^|, )libc6 \(>= [0-9.]+\)'
check_field Description '^read, write and delete keys'
echo "ok   metadata"

dpkg-deb -x "$package" "$work/root"
cp "$source_dir/examples/server.ini" "$work/server.ini"
listed=$("$work/root/usr/bin/inikey" -f "$work/server.ini" -S -p net)
expected="net/ip='192.168.10.1'
net/mtu='1500'
net/netmask='255.255.255.0'
net/eth0/mac='52:54:00:12:34:56'
net/eth0/mode='dhcp'"
if [[ $listed != "$expected" ]]; then
  printf 'FAIL the unpacked tool lists\n%s\n' "$listed"
  exit 1
fi
echo "ok   the unpacked tool runs"

"$source_dir/tests/install/build_example.sh" "$work/root/usr" "$source_dir" "$compiler" "$work"
