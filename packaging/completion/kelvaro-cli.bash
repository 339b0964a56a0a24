# bash completion for kelvaro-cli: operation names, options and charset names, and file names
# where a file fits: after a redirection of standard input or output (kelvaro-cli reads its text
# from standard input and writes the result to standard output; it takes no file arguments).
# Words that start with "--" are options until a word "--"; the first other word is the operation,
# and any word after it is the text, which gets no completion.
_kelvaro_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=""
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()
  case $prev in
  '<' | '>' | '>>' | '>|' | '&>' | '&>>' | '2>' | '2>>' | [0-9]'>' | [0-9]'>>' | [0-9]'<')
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    return
    ;;
  --charset | --input-charset)
    local charsets
    # Each charset's name and its other name ("-" where it has none).
    charsets=$(kelvaro-cli --charsets 2>/dev/null | cut -f1,2 | tr '\t' '\n' | grep -vx -- -)
    mapfile -t COMPREPLY < <(compgen -W "$charsets" -- "$cur")
    return
    ;;
  esac
  local options="--upper --raw --crlf --charset --input-charset --list --charsets --help --version"
  local word operation="" ended="" skip=""
  local i
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if [[ -n $skip ]]; then
      skip=""
      continue
    fi
    case $word in
    '<' | '>' | '>>' | '>|' | '&>' | '&>>' | '2>' | '2>>' | [0-9]'>' | [0-9]'>>' | [0-9]'<')
      # The redirection and its file are no arguments of the program.
      skip=1
      continue
      ;;
    esac
    if [[ -z $ended && $word == -- ]]; then
      ended=1
    elif [[ -z $ended && ($word == --charset || $word == --input-charset) ]]; then
      skip=1
    elif [[ -z $ended && $word == --* ]]; then
      continue
    elif [[ -z $operation ]]; then
      operation=$word
    fi
  done
  if [[ -z $ended && $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return
  fi
  [[ -z $operation ]] || return 0
  local operations
  operations=$(kelvaro-cli --list 2>/dev/null | cut -f1)
  mapfile -t COMPREPLY < <(compgen -W "$operations" -- "$cur")
}
complete -F _kelvaro_cli kelvaro-cli
