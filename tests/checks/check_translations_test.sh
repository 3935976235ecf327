#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The catalogue check on a catalogue with one fault of each kind: it must fail and name all three.
set -uo pipefail
checker=$1
catalogue=$2
output=$(python3 "$checker" "$catalogue")
status=$?
[ "$status" -eq 1 ] || { echo "expected exit 1, got $status"; exit 1; }
for fault in "arguments \['2'\] instead of \['1'\]" "not translated: Faults: 'Keep'" "no longer in the sources: Faults: 'Gone'"; do
  grep -q "$fault" <<<"$output" || { echo "not reported: $fault"; echo "$output"; exit 1; }
done
