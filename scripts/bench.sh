#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every benchmark program and prints the ratios the project tracks.
set -euo pipefail
build=${1:-build}
status=0
for program in "$build"/bench/*; do
  [ -x "$program" ] || continue
  echo "== $(basename "$program")"
  "$program" --benchmark_counters_tabular=true || status=1
done
exit $status
