#!/usr/bin/env bash
# A shared libinikey exports what the installed headers declare, and nothing else: each
# dynamic symbol is of namespace inikey, and its last name stands in a header outside
# the comments.
# Usage: exports_test.sh LIBRARY INSTALLED_HEADER...
set -euo pipefail
command -v nm >/dev/null || { echo "skipped: nm is not installed"; exit 77; }
declared=$(sed 's://.*$::' "${@:2}")
symbols=$(nm -D --defined-only -C "$1" | cut -d' ' -f3-)
status=0
while IFS= read -r symbol; do
  # "inikey::IniFile::save(...) const", "vtable for inikey::IniFile", "inikey::f[abi:cxx11](int)"
  name=${symbol#* for }
  name=${name%%[[(]*}
  last=${name##*::}
  if [[ $name != inikey::* ]] || ! grep -qwF -- "${last#\~}" <<<"$declared"; then
    echo "FAIL exported, not declared in an installed header: $symbol" && status=1
  fi
done <<<"${symbols:-nothing exported}"
echo "$(wc -l <<<"$symbols") symbols checked"
exit $status
