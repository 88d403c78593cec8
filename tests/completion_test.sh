#!/usr/bin/env bash
# Installs the build into a scratch prefix with cmake --install and loads each installed shell
# completion in its own shell, asking it to complete real command lines.
# Usage: completion_test.sh BUILD_DIR
set -u
export LC_ALL=C  # the candidates are compared sorted byte by byte
build=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {  # NAME GOT EXPECTED
  if [[ $2 == "$3" ]]; then passed=$((passed + 1)); else
    failed=$((failed + 1))
    echo "FAIL: $1: got [$2], expected [$3]"
  fi
}

cmake --install "$build" --prefix "$work/usr" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
share=$work/usr/share
mkdir "$work/dirs" "$work/dirs/lib" "$work/dirs/libs"
cd "$work/dirs" || exit 1

# Each case: the words typed so far (the last one being completed) and the candidates, sorted.
cases=(
  "vantrel-cli s|series"
  "vantrel-cli h|help"
  "vantrel-cli -C li|lib libs"
  "vantrel-cli -C lib n|normalise"
  "vantrel-cli series E1|E12 E192"
  "vantrel-cli series E24 --m|--merge"
  "vantrel-cli calc --format |csv json text tsv"
  "vantrel-cli calc 45 1 --r|--rows"
  "vantrel-cli help co|completion"
  "vantrel-cli completion z|zsh"
  "vantrel-cli d|divider"
  "vantrel-cli find 4k7 --part|--part-tolerance --parts"
  "vantrel-cli r|rc regulator"
  "vantrel-cli rc --c|--c-parts --c-tolerance --corner"
  "vantrel-cli normalise --|--capacitors --help --inductors"
  "vantrel-cli i|import"
  "vantrel-cli import li|lib libs"
  "vantrel-cli import x.csv --w|--write"
  "vantrel-cli check --in|--inductors --inventory"
)

# bash: the function that `complete -p` names, called as bash-completion would call it.
bash_file=$share/bash-completion/completions/vantrel-cli
check "bash registers" "$(bash -c "source '$bash_file' && complete -p vantrel-cli")" \
  "complete -F _vantrel_cli vantrel-cli"
for c in "${cases[@]}"; do
  got=$(bash -c 'source "$1"; shift; read -ra COMP_WORDS <<<"$1"; [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _vantrel_cli; printf "%s\n" "${COMPREPLY[@]}" | sort |
    paste -sd " "' _ "$bash_file" "${c%%|*}")
  check "bash: ${c%%|*}" "$got" "${c#*|}"
done
# --opt=value reaches bash as three words: the option, "=" and the value so far.
got=$(bash -c 'source "$1"; COMP_WORDS=(vantrel-cli calc --format = t); COMP_CWORD=4
  _vantrel_cli; echo "${COMPREPLY[*]}"' _ "$bash_file")
check "bash: --format=t" "$got" "text tsv"

# fish: complete -C lists the candidates, a tab and the description.
fish_file=$share/fish/vendor_completions.d/vantrel-cli.fish
for c in "${cases[@]}"; do
  got=$(fish -c 'source $argv[1]; complete -C $argv[2]' "$fish_file" "${c%%|*}" | cut -f1 |
    sed 's|/$||' | sort | paste -sd " ")
  check "fish: ${c%%|*}" "$got" "${c#*|}"
done

# zsh, both ways it is loaded: compinit finds _vantrel-cli on fpath, or the script printed by
# the program is sourced after compinit and registers itself. A widget in an interactive zsh on
# a pseudo-terminal records what the completion system offers.
zsh_dir=$share/zsh/vendor-completions
zsh_loads=(
  "fpath=('$zsh_dir' \$fpath); autoload -U compinit; compinit -u -D"
  "autoload -U compinit; compinit -u -D; source <('$work/usr/bin/vantrel-cli' completion zsh)"
)
for load in "${zsh_loads[@]}"; do
  check "zsh registers: $load" "$(zsh -fc "$load; print -r -- \$_comps[vantrel-cli]" 2>&1)" \
    "_vantrel-cli"
done
cat >"$work/complete.zsh" <<'ZSH'
# complete.zsh LOAD HITS DONE WORDS: runs LOAD, then types WORDS and completes them, appending
# the candidates to HITS, then touching DONE. Nothing may be typed after the completion key:
# completion gives up when more input is waiting.
zmodload zsh/zpty
zpty z zsh -f -i
zpty -w z "PS1=; $1"
zpty -w z "record() { compadd() { builtin compadd -O __hits \"\$@\"; print -rl -- \$__hits >>$2;" \
  "builtin compadd \"\$@\" }; _main_complete; unfunction compadd; : >>$3 }"
zpty -w z "zle -C record complete-word record; bindkey '^T' record"
zpty -w -n z "$4"$'\x14'
for i in {1..100}; do [[ -e $3 ]] && break; sleep 0.1; done
zpty -d z
ZSH
zsh_complete() {  # LOAD WORDS: the candidates zsh offers, sorted, on one line
  rm -f "$work/hits" "$work/done"
  zsh -f "$work/complete.zsh" "$1" "$work/hits" "$work/done" "$2"
  sed 's|/$||; /^$/d' "$work/hits" 2>/dev/null | sort -u | paste -sd " "
}
for c in "${cases[@]}"; do
  check "zsh: ${c%%|*}" "$(zsh_complete "${zsh_loads[0]}" "${c%%|*}")" "${c#*|}"
done
check "zsh, sourced: vantrel-cli series E1" \
  "$(zsh_complete "${zsh_loads[1]}" "vantrel-cli series E1")" "E12 E192"

echo "$passed passed, $failed failed"
[[ $failed == 0 ]]
