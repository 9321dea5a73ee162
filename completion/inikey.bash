# Bash completion for inikey: options, file names after -f, and, once -f FILE is on
# the line, the section and key names of that file as inikey itself lists them.
# Works on its own, and uses the bash-completion helpers when they are loaded.

# Prints the names in the file, one a line: "section/key" for every key (a bare
# "key" before the first section) with "keys", the section names with "sections".
# Names under prefix are given relative to it.
_inikey_names() {
  local program=$1 file=$2 prefix=$3 kind=$4 line name
  local -A seen=()
  [[ -f $file && -r $file ]] || return 0
  [[ $program == */* && -x $program ]] || program=inikey
  [[ -n $prefix && $prefix != */ ]] && prefix+=/
  while IFS= read -r line; do
    [[ $line == *=\'* ]] || continue
    name=${line%%=\'*}
    name=${name#/}
    if [[ $kind == sections ]]; then
      [[ $name == */* ]] || continue
      name=${name%/*}
    fi
    if [[ -n $prefix ]]; then
      [[ $name == "$prefix"?* ]] || continue
      name=${name#"$prefix"}
    fi
    [[ -n ${seen[$name]+set} ]] && continue
    seen[$name]=1
    printf '%s\n' "$name"
  done < <("$program" -f "$file" -S ${prefix:+-p "$prefix"} 2>/dev/null)
}

_inikey() {
  local cur prev words cword
  if declare -F _get_comp_words_by_ref >/dev/null; then
    # Keep "=" and ":" inside words, so that key=value and values are one word.
    _get_comp_words_by_ref -n =: cur prev words cword
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
  [[ $file == "~/"* ]] && file=$HOME/${file#"~/"}

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

  local -a names=()
  if [[ $argument_of == p ]]; then
    mapfile -t names < <(_inikey_names "${words[0]}" "$file" '' sections)
  elif [[ $cur == -* && $cword -lt $options_end ]]; then
    names=(-d -f -h -p -s -S -v -w)
  elif [[ -z $file ]]; then
    return 0
  elif [[ $mode == write ]]; then
    [[ $cur == *=* || $prev == = ]] && return 0  # a value: nothing to offer
    mapfile -t names < <(_inikey_names "${words[0]}" "$file" "$prefix" keys)
    names=("${names[@]/%/=}")
    compopt -o nospace 2>/dev/null
  elif [[ -n $sections ]]; then
    mapfile -t names < <(_inikey_names "${words[0]}" "$file" "$prefix" sections)
  else
    mapfile -t names < <(_inikey_names "${words[0]}" "$file" "$prefix" keys)
  fi

  # What was typed, without the backslashes and the opening quote that protect it.
  local typed=${cur//\\/} name
  typed=${typed#[\"\']}
  for name in "${names[@]}"; do
    [[ $name == "$typed"* ]] || continue
    # Names with blanks or shell characters go back quoted, so the word stays one.
    [[ $name == *[^A-Za-z0-9_./=:@%+,-]* ]] && name=$(printf '%q' "$name")
    COMPREPLY+=("$name")
  done
  return 0
}

complete -F _inikey inikey
