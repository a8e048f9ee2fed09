#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Tries m350ctl's shell completions: the bash one ($1) and the zsh one ($2)
# must complete commands, options and the values of options and arguments.
# m350ctl is the one on PATH.
set -euo pipefail
bash_file=$(realpath "$1")
zsh_file=$(realpath "$2")

# bash: "words|expected completions", the last word being completed.
bash_cases=(
  "m350ctl sta|status"
  "m350ctl --com COM1 --parity |none odd even"
  "m350ctl --com COM1 --handshake rts|rts rts-cts"
  "m350ctl download a.bin --device |dram flash card"
  "m350ctl config write a.dcf --page w|wireless"
  "m350ctl format |dram flash card"
  "m350ctl emulation set |zpl2 cpcl"
  "m350ctl net show --|--help --json"
  "m350ctl --parity=o|odd"
)
fail=0
for c in "${bash_cases[@]}"; do
  line=${c%%|*}
  want=${c#*|}
  got=$(bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"
    COMP_LINE=$2
    COMP_POINT=${#COMP_LINE}
    read -ra COMP_WORDS <<<"$COMP_LINE"
    [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _m350ctl
    printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "
  ' _ "$bash_file" "$line")
  for w in $want; do
    [[ " $got " == *" $w "* ]] || { echo "bash: '$line' did not offer '$w' (got: $got)" >&2; fail=1; }
  done
done
# After "net show" no file names are offered.
got=$(cd /usr/share && bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"
  COMP_WORDS=(m350ctl net show ""); COMP_CWORD=3; COMP_LINE="m350ctl net show "; COMP_POINT=${#COMP_LINE}
  _m350ctl; printf "%s " "${COMPREPLY[@]}"' _ "$bash_file")
[[ $got != *doc* ]] || { echo "bash: 'net show' offered file names: $got" >&2; fail=1; }

# zsh: the same values through its completion system, read off a test widget.
if command -v zsh >/dev/null; then
  got=$(zsh -f -c '
    fpath=("$(dirname "$1")" $fpath)
    autoload -Uz compinit && compinit -u -D
    autoload -Uz _m350ctl
    compadd() { shift $(( $# - 1 )) 2>/dev/null; }
    out=()
    compadd() {
      local -a words_; local a skip=0
      for a in "$@"; do
        if (( skip )); then skip=0; continue; fi
        case $a in -a) ;; -[PSJVXxdlo]) skip=1 ;; -*) ;; *) words_+=($a) ;; esac
      done
      if [[ $1 == -a ]]; then out+=(${(P)2}); else out+=($words_); fi
    }
    compset() { return 1; }
    words=(m350ctl --com COM1 --parity ""); CURRENT=5
    _m350ctl
    print -r -- ${(j: :)out}
  ' _ "$zsh_file" 2>&1)
  for w in none odd even; do
    [[ " $got " == *" $w "* ]] || { echo "zsh: '--parity' did not offer '$w' (got: $got)" >&2; fail=1; }
  done
fi
[ "$fail" -eq 0 ]
echo "completion: bash and zsh complete commands, options and their values"
