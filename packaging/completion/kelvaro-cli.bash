# bash completion for kelvaro-cli: operation names and options.
_kelvaro_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  COMPREPLY=()
  local options="--upper --raw --list --help --version"
  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return
  fi
  local word
  for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
    [[ $word == -* ]] || return 0 # the operation is given; the rest is free text
  done
  local operations
  operations=$(kelvaro-cli --list 2>/dev/null | cut -f1)
  mapfile -t COMPREPLY < <(compgen -W "$operations" -- "$cur")
}
complete -F _kelvaro_cli kelvaro-cli
