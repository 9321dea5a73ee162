#!/usr/bin/env bash
# Checks the manual page with mandoc's linter, which must have nothing to say, and
# that it describes every option the usage text lists.
# Usage: manual_test.sh MANUAL_PAGE INIKEY_BINARY
# Exits 77 (skipped) where mandoc is not installed.
set -uo pipefail
page=$1
binary=$2

if ! command -v mandoc >/dev/null; then
  echo "skipped: mandoc is not installed (Debian package mandoc)"
  exit 77
fi
failures=0
if ! report=$(mandoc -T lint -W style "$page" 2>&1) || [[ -n $report ]]; then
  printf 'FAIL mandoc -T lint:\n%s\n' "$report"
  failures=$((failures + 1))
else
  echo "ok   mandoc -T lint has nothing to say"
fi

# The usage text lists each option as "       -x   ...", OPTIONS as ".B \-x" or ".BI \-x".
options=$("$binary" -h 2>&1 | sed -n 's/^ *-\([A-Za-z]\) .*/\1/p')
described=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$page")
for option in $options; do
  if grep -Eq "^\.(B|BI) \\\\-$option( |\$)" <<<"$described"; then
    echo "ok   -$option is described"
  else
    echo "FAIL -$option is not described under OPTIONS"
    failures=$((failures + 1))
  fi
done
exit $((failures > 0))
