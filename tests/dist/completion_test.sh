#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Completes zentrofastctl command lines with the shipped bash completion and checks the offers.
# Arguments: the source folder and the built zentrofastctl.
# Skipped (status 77) where bash-completion is not installed.
set -uo pipefail
source_dir=$1
ctl=$2
main=/usr/share/bash-completion/bash_completion
[ -r "$main" ] || { echo "completion test: bash-completion is not installed; skipped"; exit 77; }
# shellcheck disable=SC1090
source "$main"
# shellcheck disable=SC1091
source "$source_dir/dist/zentrofastctl.bash-completion"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && touch a.reg b.txt

failures=0
# offers LINE EXPECTED...: completing LINE (the cursor at its end) offers exactly EXPECTED.
offers() {
  local line=$1
  shift
  COMP_LINE=$line
  COMP_POINT=${#line}
  read -r -a COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _zentrofastctl zentrofastctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  local got expected
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
  expected=$(printf '%s\n' "$@" | sort | xargs)
  if [ "$got" != "$expected" ]; then
    echo "completion test: \"$line\" offered [$got], expected [$expected]" >&2
    failures=$((failures + 1))
  fi
}

offers "zentrofastctl " reg profiles apply backup ping mem cpu free-memory kernel --home --registry --os-version --help --version
offers "zentrofastctl re" reg
offers "zentrofastctl --registry store.sqlite3 reg " query add delete export import --help
offers "zentrofastctl reg add HKLM\\A --t" --type
offers "zentrofastctl reg add HKLM\\A --type " REG_SZ REG_DWORD
offers "zentrofastctl reg export HKLM\\A --" --regedit4 --help
offers "zentrofastctl reg query HKLM\\A --j" --json
offers "zentrofastctl backup list -" --json --help
offers "zentrofastctl mem -" --json --help
offers "zentrofastctl reg import " a.reg
offers "zentrofastctl backup " list restore delete --help
offers "zentrofastctl apply --profile " 0 1 2 3 4 5 6 7
offers "zentrofastctl apply --set TT" TTL=
# --set offers exactly the fields the program knows, as its profiles table lists them.
mapfile -t fields < <("$ctl" profiles | awk '/^Field /{table=1; next} table && NF==0 {exit} table {print $1 "="}')
[ "${#fields[@]}" -gt 0 ] || { echo "completion test: no fields in \"$ctl profiles\"" >&2; exit 1; }
offers "zentrofastctl apply --set " "${fields[@]}"
offers "zentrofastctl ping 127.0.0.1 -" --timeout --help
offers "zentrofastctl kernel " plan apply status revert export --help
offers "zentrofastctl kernel export --format " sysctl tuned networkd ansible
offers "zentrofastctl kernel status --" --json --format --help
offers "zentrofastctl kernel status --format " text prometheus
[ "$failures" -eq 0 ] || exit 1
echo "completion test: every command line completed as expected"
