#!/usr/bin/env bash
# Times inikey against git config -f, crudini and Python's configparser, with two
# floors: a statically linked program that does nothing, and cat FILE > /dev/null.
# The shapes of a million and two million key lines are timed against git config
# alone: the Python tools take minutes on them.
# Builds the tool, generates the corpora (bench/generate.py), runs hyperfine once
# per cell (one file, one operation; all commands side by side), measures peak
# memory with /usr/bin/time -v and instructions with callgrind, and writes
# docs/benchmarks.md with its chart docs/benchmarks.png.
#
# Usage: bench/compare.sh [WORK_DIR]     (default: build/compare; the corpora go there)
# Installs what is missing with apt-get (as root). Takes about 8 minutes on 2 cores.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mkdir -p "${1:-$root/build/compare}" && cd "${1:-$root/build/compare}" && pwd)
cd "$work"

tools=(cmake g++ git crudini hyperfine gnuplot valgrind python3 /usr/bin/time)
packages=(cmake g++ git crudini hyperfine gnuplot-nox valgrind python3 time)
missing=()
for i in "${!tools[@]}"; do
  command -v "${tools[$i]}" >/dev/null || missing+=("${packages[$i]}")
done
if ((${#missing[@]})); then
  echo "installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

echo "== building"
cmake -S "$root" -B "$work/build" -DCMAKE_BUILD_TYPE=Release -DINIKEY_BUILD_TESTS=OFF \
  -DINIKEY_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$work/build" --target inikey -j2 >/dev/null
inikey=$work/build/inikey
printf 'int main(void) { return 0; }\n' >nothing.c
cc -O2 -static -o nothing nothing.c

echo "== generating the corpora"
# Debian's own Python where there is one: a version manager's shim would be timed too.
python=$(command -v /usr/bin/python3 || command -v python3)
"$python" "$root/bench/generate.py" corpus
peer=$root/bench/configparser_peer.py

# The key near the end of a corpus: the last key of the last section in the file.
lastSection() { grep '^\[' "$1" | tail -n 1 | tr -d '[]'; }
lastKey() { tail -n 1 "$1" | cut -d= -f1 | tr -d ' '; }

# commandsFor OPERATION FILE SECTION KEY: one command a line, in the table's order.
commandsFor() {
  local operation=$1 file=$2 section=$3 key=$4
  echo "$work/nothing"
  echo "cat $file"
  case $operation in
    read)
      echo "$inikey -f $file $section/$key"
      echo "git config -f $file $section.$key"
      echo "crudini --get $file $section $key"
      echo "$python $peer get $file $section $key" ;;
    list)
      echo "$inikey -f $file"
      echo "git config -f $file --list"
      echo "crudini --get --format=lines $file"
      echo "$python $peer list $file" ;;
    set)
      echo "$inikey -w -f $file $section/$key=changed"
      echo "git config -f $file $section.$key changed"
      echo "crudini --set $file $section $key changed"
      echo "$python $peer set $file $section $key changed" ;;
    delete)
      echo "$inikey -d -f $file $section/$key"
      echo "git config -f $file --unset $section.$key"
      echo "crudini --del $file $section $key"
      echo "$python $peer delete $file $section $key" ;;
  esac
}
names=(nothing cat inikey "git config" crudini configparser)
shapes=(sections1m sections2m keys1m keys2m repeated1m repeated2m)
isShape() { [[ " ${shapes[*]} " == *" $1 "* ]]; }

# Runs per command: at least MIN, at most MAX, else as many as fit in 3 seconds.
declare -A minRuns=([small]=20 [medium]=5 [long]=3 [large]=1)
declare -A maxRuns=([small]=200 [medium]=30 [long]=10 [large]=5)
declare -A warmups=([small]=3 [medium]=1 [long]=1 [large]=0)
for shape in "${shapes[@]}"; do minRuns[$shape]=3 maxRuns[$shape]=3 warmups[$shape]=0; done

mkdir -p results
{
  date '+%Y-%m-%d %H:%M'
  git -C "$root" rev-parse --short HEAD
  "$python" --version
  cut -d' ' -f1-3 /proc/loadavg  # other work on the machine skews times
} >results/run.txt
: >results/memory.tsv
for corpus in small medium long large "${shapes[@]}"; do
  original=corpus/$corpus.ini
  section=$(lastSection "$original")
  key=$(lastKey "$original")
  cat "$original" >/dev/null  # into the page cache
  for operation in read list set delete; do
    echo "== $corpus: $operation"
    file=$original
    prepare=()
    if [[ $operation == set || $operation == delete ]]; then
      # Each write run gets a fresh copy; the copy is not timed.
      file=$work/copy.ini
      prepare=(--prepare "cp $original $file")
      cp "$original" "$file"
    fi
    mapfile -t commands < <(commandsFor "$operation" "$file" "$section" "$key")
    if isShape "$corpus"; then commands=("${commands[@]:0:4}"); fi
    arguments=()
    for i in "${!commands[@]}"; do arguments+=(-n "${names[$i]}" "${commands[$i]}"); done
    hyperfine -N --style basic --warmup "${warmups[$corpus]}" -m "${minRuns[$corpus]}" -M "${maxRuns[$corpus]}" \
      "${prepare[@]}" --export-json "results/$corpus-$operation.json" "${arguments[@]}" \
      >"results/$corpus-$operation.log" 2>&1

    # Peak memory of reading and of changing, and of listing the shapes; deleting
    # adds nothing new.
    [[ $operation == read || $operation == set ]] || { isShape "$corpus" && [[ $operation == list ]]; } ||
      continue
    for i in "${!commands[@]}"; do
      [[ ${#prepare[@]} -eq 0 ]] || cp "$original" "$file"
      # shellcheck disable=SC2086 # the command is split into its words on purpose
      peak=$(/usr/bin/time -v ${commands[$i]} 2>&1 >/dev/null |
        sed -n 's/.*Maximum resident set size (kbytes): //p')
      printf '%s\t%s\t%s\t%s\n' "$corpus" "$operation" "${names[$i]}" "$peak" >>results/memory.tsv
    done
  done
done

echo "== counting instructions"
: >results/instructions.tsv
count() {
  local name=$1 corpus=$2
  shift 2
  local instructions
  instructions=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
    sed -n 's/.*Collected : //p')
  printf '%s\t%s\t%s\n' "$corpus" "$name" "$instructions" >>results/instructions.tsv
}
count nothing small "$work/nothing"
for corpus in small medium; do
  original=corpus/$corpus.ini
  section=$(lastSection "$original")
  key=$(lastKey "$original")
  count inikey "$corpus" "$inikey" -f "$original" "$section/$key"
  count "git config" "$corpus" git config -f "$original" "$section.$key"
done

echo "== writing docs/benchmarks.md"
"$python" "$root/bench/report.py" "$work" "$root/docs"
echo "done: $root/docs/benchmarks.md"
