#!/usr/bin/env bash
# Drives the bash completion as bash does: COMP_WORDS, COMP_CWORD, COMP_LINE and
# COMP_POINT set, the function that `complete -p inikey` names called, COMPREPLY
# read back. Runs the cases once on the script alone and once with the
# bash-completion helpers loaded, when they are installed. Then, when zsh is
# installed, types into interactive bash and zsh on a terminal of zsh's zpty and
# reads back the line after a Tab, and in zsh what the completion offered.
# Usage: completion_test.sh COMPLETION_DIR INIKEY_BINARY EXAMPLE_INI
set -u
completions=$(realpath "$1")
script=$completions/inikey.bash
binary=$(realpath "$2")
example=$(realpath "$3")
helpers=/usr/share/bash-completion/bash_completion

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/files"
ln -s "$binary" "$work/bin/inikey"
export PATH="$work/bin:$PATH"
cd "$work/files" || exit 1
cp "$example" server.ini
# Headers as the tool reads them: blanks, doubled brackets, CR LF line ends.
printf ' [ my sec ] \r\nmy key=1\r\n[[x]]\na=1\n;[c]\n[d\n' >spaced.ini
mkdir conf
touch notes.txt

failures=0

# Splits words at "=" and ":" as bash's COMP_WORDBREAKS does.
split_words() {
  local word rest
  split=()
  for word in "$@"; do
    while [[ $word =~ ^([^=:]*)([=:]+)(.*)$ ]]; do
      [[ -n ${BASH_REMATCH[1]} ]] && split+=("${BASH_REMATCH[1]}")
      split+=("${BASH_REMATCH[2]}")
      word=${BASH_REMATCH[3]}
      rest=1
    done
    [[ -n $word || -z ${rest:-} ]] && split+=("$word")
    rest=''
  done
}

# check NAME EXPECTED CURSOR WORD...: completes at word CURSOR (counted from the
# command, 0) with the cursor at its end; EXPECTED is the sorted offer, blank-separated.
check() {
  local name=$1 expected=$2 cursor=$3
  shift 3
  local -a before=("${@:1:cursor+1}") split
  split_words "${before[@]}"
  local cword=$((${#split[@]} - 1))
  local line="${before[*]}"
  local point=${#line}
  split_words "$@"
  COMP_WORDS=("${split[@]}")
  COMP_CWORD=$cword
  COMP_LINE="$*"
  COMP_POINT=$point
  COMPREPLY=()
  local function
  function=$(complete -p inikey | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
  [[ -n $function ]] && "$function" inikey "${COMP_WORDS[cword]}" "${COMP_WORDS[cword - 1]}"
  local actual
  actual=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd' ')
  if [[ $actual == "$expected" ]]; then
    echo "ok   $mode: $name"
  else
    echo "FAIL $mode: $name"
    echo "     line:     $COMP_LINE"
    echo "     expected: '$expected'"
    echo "     offered:  '$actual'"
    failures=$((failures + 1))
  fi
}

run_cases() {
  local registered
  registered=$(complete -p inikey 2>&1)
  if [[ $registered != "complete -F _inikey inikey" ]]; then
    echo "FAIL $mode: complete -p inikey gives '$registered'"
    failures=$((failures + 1))
  fi
  local keys="hostname log/level log/path net/eth0/mac net/eth0/mode net/ip net/mtu net/netmask"
  keys+=" ntp/iburst ntp/server timezone"

  check "options" "-S -d -f -h -p -s -v -w" 1 inikey -
  check "files after -f, begun" "server.ini spaced.ini" 2 inikey -f s
  check "sections and the keys before them, not all keys" \
    "hostname log/ net/ net/eth0/ ntp/ timezone" 3 inikey -f server.ini ""
  check "keys of the section named and the sections below it" \
    "net/eth0/ net/ip net/mtu net/netmask" 3 inikey -f server.ini net/
  check "-f after the cursor counts" "net/mtu" 1 inikey net/m -f server.ini
  check "-f stuck to its letter" "ntp/iburst ntp/server" 2 inikey -vSfserver.ini ntp/
  check "section names after -s" "log net net/eth0 ntp" 4 inikey -f server.ini -s ""
  check "sections to delete, options in one word" "net net/eth0 ntp" 3 \
    inikey -ds -fserver.ini n
  check "section names after -p" "log net net/eth0 ntp" 4 inikey -f server.ini -p ""
  check "names under the prefix" "eth0/ ip mtu netmask" 5 inikey -f server.ini -p net ""
  check "sections under the prefix" "eth0" 6 inikey -f server.ini -p net -s ""
  check "pairs to write, -s or not" "net/mtu=" 4 inikey -f server.ini -sw net/m
  check "pairs to write under the prefix" "eth0/ ip= mtu= netmask=" 6 \
    inikey -w -p net -f server.ini ""
  check "nothing for a value" "" 4 inikey -f server.ini -w net/mtu=
  check "nothing for a value, begun" "" 4 inikey -f server.ini -w net/mtu=9
  check "no keys without -f" "" 1 inikey net/
  check "no keys from a missing file" "" 3 inikey -f missing.ini ""
  check "no options after --" "" 4 inikey -f server.ini -- -
  check "headers read as the tool reads them" "my sec x" 4 inikey -f spaced.ini -s ""
  # bash quotes the names itself, as the word began: they go back unquoted.
  check "a word in an open quote" "my sec/my key" 3 inikey -f spaced.ini '"my sec/my'
  check "a word with a backslash" "my sec/my key" 3 inikey -f spaced.ini 'my\ sec/'
  check "a file name in quotes" "my sec/" 3 inikey -f "'spaced.ini'" my
  check "the binary on the line is the one asked" "ntp/iburst ntp/server" 3 \
    "$binary" -f server.ini ntp/
}

mode="script alone"
(
  # shellcheck source=/dev/null
  source "$script"
  run_cases
  exit "$failures"
) || failures=$((failures + $?))

if [[ -r $helpers ]]; then
  mode="with bash-completion"
  (
    # shellcheck source=/dev/null
    source "$helpers"
    # Found where an install puts it, as bash-completion loads it on first use.
    mkdir -p "$work/share/bash-completion/completions"
    cp "$script" "$work/share/bash-completion/completions/inikey"
    XDG_DATA_DIRS="$work/share" __load_completion inikey
    run_cases
    exit "$failures"
  ) || failures=$((failures + $?))
else
  echo "bash-completion is not installed: its helpers are not tried"
fi

if command -v zsh >/dev/null; then
  export work completions script helpers
  cat >"$work/bashrc" <<'EOF'
stty rows 50 columns 200
[[ -r $helpers ]] && source "$helpers"
source "$script"
bind -x '"\C-t": printf "<<%s>>\n" "$READLINE_LINE"'
EOF
  cat >"$work/.zshrc" <<'EOF'
stty rows 50 columns 200
fpath=("$completions" $fpath)
autoload -U compinit && compinit -u -D
# zle -M, not print after zle -I, which resets the terminal and can drop keys typed ahead.
print-line() { zle -M "<<$BUFFER>>" }
zle -N print-line
bindkey '^T' print-line
# What the completion hands to compadd, and compadd keeps, goes to a file.
compadd() {
  (( ${@[(I)-[OAD]*]} )) && { builtin compadd "$@"; return }
  local -a offered
  builtin compadd -O offered "$@"
  print -rl -- $offered >>"$work/offered"
  builtin compadd "$@"
}
EOF
  # Each case: the shell, the keys typed before a Tab, the line after it, and what
  # zsh offered ("-" for bash). ^T prints the line; ^U empties it.
  LC_ALL=C timeout 120 zsh -f -s <<'EOF' || failures=$((failures + $?))
zmodload zsh/zpty
zpty bash "bash --rcfile $work/bashrc -i"
zpty zsh "ZDOTDIR=$work zsh -i"
integer failures=0
try() {
  local out line offered
  : >|$work/offered
  zpty -w -n $1 "$2"$'\t\x14'
  zpty -r $1 out '*>>*'
  zpty -w -n $1 $'\x15'
  line=${${out##*<<}%%>>*}
  offered=${(j: :)${(ou)${(f)"$(<$work/offered)"}}}
  [[ $4 == - ]] && offered=-
  if [[ $line == $3 && $offered == $4 ]]; then
    print -r -- "ok   $1 on a terminal: $2"
  else
    print -r -- "FAIL $1 on a terminal: $2"$'\n'"     line:    $line"$'\n'"     offered: $offered"
    failures+=1
  fi
}
try bash 'inikey -f spaced.ini "my sec/m' 'inikey -f spaced.ini "my sec/my key" ' -
try bash "inikey -w -f spaced.ini 'my sec/m" "inikey -w -f spaced.ini 'my sec/my key='" -
try zsh 'inikey -' 'inikey -' '-S -d -f -h -p -s -v -w'
try zsh 'inikey -f s' 'inikey -f s' 'server.ini spaced.ini'
try zsh 'inikey -f server.ini ' 'inikey -f server.ini ' 'hostname log/ net/ net/eth0/ ntp/ timezone'
try zsh 'inikey -vSfserver.ini ntp/' 'inikey -vSfserver.ini ntp/' 'ntp/iburst ntp/server'
try zsh 'inikey -w -p net -f server.ini ' 'inikey -w -p net -f server.ini ' \
  'eth0/ ip= mtu= netmask='
try zsh 'inikey -w -f server.ini net/mtu=' 'inikey -w -f server.ini net/mtu=' ''
try zsh 'inikey -f spaced.ini -s ' 'inikey -f spaced.ini -s ' 'my sec x'
try zsh 'inikey -f spaced.ini "my sec/m' 'inikey -f spaced.ini "my sec/my key" ' 'my sec/my key'
exit failures
EOF
else
  echo "zsh is not installed: no shell is tried on a terminal"
fi

if ((failures)); then
  echo "$failures completion case(s) failed"
  exit 1
fi
