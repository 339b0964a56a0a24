# bash completion for kelvaro-cli: operation names and options.
# Words that start with "--" are options until a word "--"; the first other word is the operation,
# and any word after it is the text, which gets no completion.
_kelvaro_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  COMPREPLY=()
  local options="--upper --raw --crlf --list --help --version"
  local word operation="" ended=""
  for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
    if [[ -z $ended && $word == -- ]]; then
      ended=1
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
