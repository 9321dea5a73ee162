# Bash completion for inikey: options, file names after -f, and, once -f FILE is on
# the line, the names in that file: the section names that begin with the typed
# word, and the keys of the one section it names, so a large file costs one grep
# and one small read. Uses the bash-completion helpers when they are loaded.

# Prints the sections of FILE whose names begin with START, once each, without
# their first SKIP characters and with SUFFIX after them. The headers are found
# as the tool finds them (a trimmed line that begins with "[" and ends with "]",
# the name trimmed of "[] \t\r") without loading the whole file.
_inikey_sections() {
  LC_ALL=C grep -a -- $'^[ \t\r\v\b]*\\[.*\\][ \t\r\v\b]*$' "$1" 2>/dev/null |
    start=$2 skip=$3 suffix=$4 LC_ALL=C awk '{
        sub(/^[^[]*\[[][ \t\r]*/, ""); sub(/[][ \t\r]*\][^]]*$/, "") }
      substr($0, 1, length(ENVIRON["start"])) == ENVIRON["start"] && !seen[$0]++ {
        print substr($0, ENVIRON["skip"] + 1) ENVIRON["suffix"] }'
}

# Prints the keys of SECTION in FILE whose names begin with START, with LEAD
# before them and SUFFIX after them. PROGRAM, the tool, loads only that section.
_inikey_keys() {
  "$1" -f "$2" -s -- "$3" 2>/dev/null |
    start=$4 lead=$5 suffix=$6 LC_ALL=C awk '{ sub(/=.*/, "") }
      substr($0, 1, length(ENVIRON["start"])) == ENVIRON["start"] {
        print ENVIRON["lead"] $0 ENVIRON["suffix"] }'
}

# Sets REPLY to WORD as the shell will pass it on: quotes and backslashes removed,
# a quote still open taken as closed, and QUOTE to that quote. bash-completion's
# dequote evaluates the word, which runs what it holds and fails on an open quote.
_inikey_dequote() {
  local word=$1 char i
  REPLY='' QUOTE=''
  for ((i = 0; i < ${#word}; i++)); do
    char=${word:i:1}
    if [[ $char == \\ && $QUOTE != \' ]] && [[ -z $QUOTE || ${word:i+1:1} == [\"\\\$\`] ]]; then
      REPLY+=${word:i+1:1}
      ((i += 1))
    elif [[ $char == [\"\'] && ( -z $QUOTE || $char == "$QUOTE" ) ]]; then
      [[ -z $QUOTE ]] && QUOTE=$char || QUOTE=''
    else
      REPLY+=$char
    fi
  done
}

_inikey() {
  local cur prev words cword
  if declare -F _init_completion >/dev/null; then
    # Keep "=" and ":" inside words, so that key=value and values are one word.
    _init_completion -n =: || return
  else
    words=("${COMP_WORDS[@]}")
    cword=$COMP_CWORD
    cur=${words[cword]}
    prev=${words[cword - 1]}
  fi

  # Walk the line as getopt would, options after arguments included, to learn the
  # file, the prefix and the mode, and whether the cursor stands on an option's
  # argument or after "--".
  local file='' prefix='' mode=read sections='' pending='' argument_of=''
  local options_end=${#words[@]} i j word letter
  for ((i = 1; i < ${#words[@]}; i++)); do
    word=${words[i]}
    if [[ -n $pending ]]; then
      if ((i == cword)); then
        argument_of=$pending
      elif [[ $pending == f ]]; then
        file=$word
      else
        prefix=$word
      fi
      pending=''
      continue
    fi
    ((i == cword)) && continue
    if [[ $word == -- ]]; then
      options_end=$i
      break
    fi
    [[ $word == -?* ]] || continue
    for ((j = 1; j < ${#word}; j++)); do
      letter=${word:j:1}
      case $letter in
        w) mode=write ;;
        d) mode=delete ;;
        s) sections=1 ;;
        f | p)
          if ((j + 1 < ${#word})); then
            [[ $letter == f ]] && file=${word:j+1} || prefix=${word:j+1}
          else
            pending=$letter
          fi
          break
          ;;
      esac
    done
  done
  local REPLY QUOTE
  _inikey_dequote "$file"
  file=$REPLY
  [[ $file == "~/"* ]] && file=$HOME/${file#"~/"}
  _inikey_dequote "$prefix"
  prefix=$REPLY
  [[ -n $prefix && $prefix != */ ]] && prefix+=/

  COMPREPLY=()
  if [[ $argument_of == f ]]; then
    if declare -F _filedir >/dev/null; then
      _filedir
    else
      compopt -o filenames 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
    return 0
  fi
  if [[ $cur == -* && $cword -lt $options_end && $argument_of != p ]]; then
    COMPREPLY=(-d -f -h -p -s -S -v -w)
    return 0
  fi
  [[ -f $file && -r $file ]] || return 0
  [[ $mode == write && ($cur == *=* || $prev == =) ]] && return 0  # a value

  local program=${words[0]}
  [[ $program == */* && -x $program ]] || program=inikey
  _inikey_dequote "$cur"
  local typed=$REPLY
  # Every name comes ready from awk: bash is slow on long arrays.
  if [[ $argument_of == p ]]; then
    mapfile -t COMPREPLY < <(_inikey_sections "$file" "$typed" 0 '')
  elif [[ -n $sections && $mode != write ]]; then
    mapfile -t COMPREPLY < <(_inikey_sections "$file" "$prefix$typed" ${#prefix} '')
  else
    # The typed word names a section up to its last "/" (none: the keys before
    # the first header) and begins a key after it; or begins a section name.
    local path=$prefix$typed section='' lead suffix=''
    [[ $path == */* ]] && section=${path%/*}
    lead=${section:+$section/}
    [[ $mode == write ]] && suffix='='
    mapfile -t COMPREPLY < <(
      _inikey_sections "$file" "$path" ${#prefix} /
      _inikey_keys "$program" "$file" "$section" "${path##*/}" "${lead#"$prefix"}" "$suffix")
  fi
  # In an open quote bash quotes the names itself; outside one it would escape "="
  # and ":" too, so they go back escaped as the shell reads them. A section or a
  # pair to write is not the end of the word.
  if [[ -n $QUOTE ]]; then
    compopt -o filenames 2>/dev/null
  elif ((${#COMPREPLY[@]})); then
    mapfile -t COMPREPLY < <(printf '%q\n' "${COMPREPLY[@]}")
  fi
  [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *[/=] ]] && compopt -o nospace 2>/dev/null
  declare -F __ltrim_colon_completions >/dev/null && __ltrim_colon_completions "$cur"
  return 0
}

complete -F _inikey inikey
