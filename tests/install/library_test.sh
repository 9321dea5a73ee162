#!/usr/bin/env bash
# Installs the build into a temporary prefix with cmake --install, checks that every
# part is where the README says, and builds the library example against it.
# Usage: library_test.sh BUILD_DIR SOURCE_DIR CXX_COMPILER
set -euo pipefail
build_dir=$1
source_dir=$2
compiler=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build_dir" --prefix "$prefix" >"$work/install.log"

for path in bin/inikey share/man/man1/inikey.1 share/bash-completion/completions/inikey \
  include/inikey/ini/IniFile.h include/inikey/util/convert.h lib/libinikey.a \
  lib/cmake/inikey/inikeyConfig.cmake lib/cmake/inikey/inikeyConfigVersion.cmake; do
  if [[ ! -e $prefix/$path ]]; then
    echo "FAIL not installed: $path"
    exit 1
  fi
done
echo "ok   every part installed"

"$source_dir/tests/install/build_example.sh" "$prefix" "$source_dir" "$compiler" "$work"
