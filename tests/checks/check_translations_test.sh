#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The catalogue check on catalogues with one fault of each kind, a Qt one and a gettext one (with
# the sources xgettext reads for it): it must fail on each and name every fault, and nothing else.
# Arguments: the checker, the faulty .ts, the faulty .po and its sources, xgettext.
set -uo pipefail
checker=$1
catalogue=$2
po=$3
sources=$4
xgettext=$5
failures=0
# expect OUTPUT FAULT...: the checker's OUTPUT names each FAULT (a regular expression) and no other.
expect() {
  local output=$1
  shift
  for fault in "$@"; do
    grep -q "$fault" <<<"$output" || { echo "not reported: $fault"; failures=$((failures + 1)); }
  done
  [ "$(grep -c . <<<"$output")" -eq $# ] || { echo "reported beside the faults:"; echo "$output"; failures=$((failures + 1)); }
}
output=$(python3 "$checker" "$catalogue")
[ $? -eq 1 ] || { echo "expected exit 1 for $catalogue"; failures=$((failures + 1)); }
expect "$output" "arguments \['2'\] instead of \['1'\]" "not translated: Faults: 'Keep'" \
  "no longer in the sources: Faults: 'Gone'"
output=$(python3 "$checker" --xgettext "$xgettext" -- --language=C++ --keyword=Say --no-location "$sources" -- "$po")
[ $? -eq 1 ] || { echo "expected exit 1 for $po"; failures=$((failures + 1)); }
expect "$output" "arguments \['1'\] instead of \['1', '2'\]: 'Kept %1 of %2.'" "not translated: 'Keep'" \
  "not translated: 'Fuzzy'" "no longer in the sources: 'Gone'"
[ "$failures" -eq 0 ]
