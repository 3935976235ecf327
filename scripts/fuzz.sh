#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for a bounded time from its committed seed
# corpus (copied, so the repository's corpus stays as committed). Prints the executions of each.
set -euo pipefail
seconds=${FUZZ_SECONDS:-60}
# A fixed seed makes a run repeatable (set FUZZ_SEED=0 for a fresh random one).
seed=${FUZZ_SEED:-1}
cd "$(dirname "$0")/.."
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in build-fuzz/fuzz/fuzz_*; do
  name=${target##*/fuzz_}
  mkdir -p "$work/$name"
  cp -r "fuzz/corpus/$name/." "$work/$name/" 2>/dev/null || true
  log="$work/$name.log"
  if "$target" -max_total_time="$seconds" -seed="$seed" -print_final_stats=1 -artifact_prefix="$work/$name-" "$work/$name" >"$log" 2>&1; then
    runs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
    echo "fuzz $name: $runs executions, no crash"
  else
    echo "fuzz $name: FAILED"; tail -n 40 "$log"; ls "$work" | grep -- "^$name-" || true
    status=1
  fi
done
exit $status
