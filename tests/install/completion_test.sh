#!/usr/bin/env bash
# Drives the bash completion as bash does: COMP_WORDS, COMP_CWORD, COMP_LINE and
# COMP_POINT set, the function that `complete -p inikey` names called, COMPREPLY
# read back; once on the script alone and once with the bash-completion helpers
# loaded, when they are installed. Then, when zsh is installed, types into
# interactive bash and zsh on a terminal of zsh's zpty and reads back the line
# after a Tab, and in zsh what the completion offered: only a line editor shows
# how the names are quoted on the line, and zsh completes only there.
# Usage: completion_test.sh COMPLETION_DIR INIKEY_BINARY EXAMPLE_INI
set -u
completions=$(realpath "$1")
script=$completions/inikey.bash
binary=$(realpath "$2")
helpers=/usr/share/bash-completion/bash_completion

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$3" "$work/server.ini"
cd "$work" || exit 1
ln -s "$binary" inikey
export PATH="$work:$PATH"
# Headers as the tool reads them: blanks, doubled brackets, CR LF line ends.
printf ' [ my sec ] \r\nmy key=1\r\n[[x]]\na=1\n;[c]\n[d\n' >spaced.ini
failures=0

# check NAME EXPECTED CWORD WORD...: completes at word CWORD (the command is 0)
# with the cursor at its end. The WORDs are those bash makes: a=b is a, = and b.
# EXPECTED is the sorted offer, blank-separated.
check() {
  local name=$1 expected=$2 line function actual
  COMP_CWORD=$3
  shift 3
  COMP_WORDS=("$@") COMP_LINE="$*" line="${*:1:COMP_CWORD+1}" COMPREPLY=()
  COMP_LINE=${COMP_LINE// = /=} line=${line// = /=} COMP_POINT=${#line}
  function=$(complete -p inikey | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
  "$function" inikey "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  actual=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd' ')
  [[ $actual == "$expected" ]] && echo "ok   $mode: $name" && return
  printf 'FAIL %s: %s\n     line: %s\n     expected: %s\n     offered:  %s\n' \
    "$mode" "$name" "$COMP_LINE" "'$expected'" "'$actual'"
  failures=$((failures + 1))
}

# In a subshell, so that what one mode sources stays out of the other; exits with the failures.
run_cases() (
  [[ $mode == script* || -r $helpers ]] || { echo "bash-completion is not installed: not tried"; exit 0; }
  # shellcheck source=/dev/null
  [[ $mode == script* ]] || source "$helpers"
  # shellcheck source=/dev/null
  source "$script"
  failures=0
  check "options" "-S -d -f -h -p -s -v -w" 1 inikey -
  check "no options after --" "" 4 inikey -f server.ini -- -
  check "files after -f" "server.ini spaced.ini" 2 inikey -f s
  check "sections and keys before them, -f stuck" \
    "hostname log/ net/ net/eth0/ ntp/ timezone" 2 inikey -vSfserver.ini ""
  check "keys of the section named, -f after the cursor" \
    "net/eth0/ net/ip net/mtu net/netmask" 1 inikey net/ -f server.ini
  check "section names after -p" "log net net/eth0 ntp" 4 inikey -f server.ini -p ""
  check "sections under the prefix" "eth0" 5 inikey -ds -p net -fserver.ini ""
  check "pairs, -s or not" "net/eth0/ net/ip= net/mtu= net/netmask=" 3 inikey -swf server.ini net/
  check "pairs under the prefix" "eth0/ ip= mtu= netmask=" 6 inikey -w -p net -f server.ini ""
  check "nothing for a value" "" 6 inikey -f server.ini -w hostname = t
  # The file's name is dequoted as the shell will pass it.
  check "headers read as the tool reads them" 'my\ sec x' 4 inikey -f "'spaced.ini'" -s ""
  # In an open quote bash quotes the names itself: they go back unquoted.
  check "a word in an open quote" "my sec/my key" 3 inikey -f spaced.ini '"my sec/my'
  check "a word with a backslash" 'my\ sec/my\ key' 3 inikey -f spaced.ini 'my\ sec/'
  exit "$failures"
)
for mode in "script alone" "with bash-completion"; do run_cases || failures=$((failures + $?)); done

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
  local -a offered
  (( ${@[(I)-[OAD]*]} )) || builtin compadd -O offered "$@"
  print -rl -- $offered >>"$work/offered"
  builtin compadd "$@"
}
EOF
  LC_ALL=C timeout 120 zsh -f -s <<'EOF' || failures=$((failures + $?))
zmodload zsh/zpty
zpty bash "bash --rcfile $work/bashrc -i" 2>/dev/null ||
  { print "no pseudo terminal (/dev/pts not mounted?): no shell is tried on a terminal"; exit 0 }
zpty zsh "ZDOTDIR=$work zsh -i"
integer failures=0
# try SHELL TYPED OFFERED [LINE]: types TYPED and a Tab, then ^T prints the line
# (LINE, or TYPED unchanged) and ^U empties it; OFFERED is what zsh offered.
try() {
  local out line offered=- case="$1 on a terminal: $2"
  : >|$work/offered
  zpty -w -n $1 "$2"$'\t\x14'
  zpty -r $1 out '*>>*'
  zpty -w -n $1 $'\x15'
  line=${${out##*<<}%%>>*}
  [[ $1 == zsh ]] && offered=${(j: :)${(ou)${(f)"$(<$work/offered)"}}}
  [[ $line == "${4-$2}" && $offered == "$3" ]] && { print -r -- "ok   $case"; return }
  print -r -- "FAIL $case"$'\n'"     line:    $line"$'\n'"     offered: $offered"
  failures+=1
}
try bash 'inikey -w -f spaced.ini "my sec/m' - 'inikey -w -f spaced.ini "my sec/my key="'
try bash 'inikey -f spaced.ini my' - 'inikey -f spaced.ini my\ sec/'
try bash 'inikey -w -f server.ini net/m' - 'inikey -w -f server.ini net/mtu='
try zsh 'inikey -' '-S -d -f -h -p -s -v -w'
try zsh 'inikey -f s' 'server.ini spaced.ini'
try zsh 'inikey -vSfserver.ini ' 'hostname log/ net/ net/eth0/ ntp/ timezone'
try zsh 'inikey -w -f server.ini net/' 'net/eth0/ net/ip= net/mtu= net/netmask='
try zsh 'inikey -w -p net -f server.ini ' 'eth0/ ip= mtu= netmask='
try zsh 'inikey -f spaced.ini -s ' 'my sec x'
try zsh 'inikey -f spaced.ini "my sec/m' 'my sec/my key' 'inikey -f spaced.ini "my sec/my key" '
exit failures
EOF
else
  echo "zsh is not installed: no shell is tried on a terminal"
fi

((failures == 0)) || { echo "$failures completion case(s) failed"; exit 1; }
