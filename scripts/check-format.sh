#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that every C++ file under src, tests, bench and fuzz matches the root .clang-format.
# Usage: check-format.sh [ROOT]   (default: the folder above this script)
# Lists each file that differs (with clang-format's own report) and exits 1 when there is any.
set -euo pipefail

root=${1:-"$(dirname "$0")/.."}
clang_format=${CLANG_FORMAT:-clang-format}
command -v "$clang_format" >/dev/null || { echo "check-format: $clang_format is not installed" >&2; exit 2; }
[ -f "$root/.clang-format" ] || { echo "check-format: no .clang-format in $root" >&2; exit 2; }

cd "$root"
mapfile -d '' files < <(find src tests bench fuzz -type f \( -name '*.h' -o -name '*.cpp' \) -print0 2>/dev/null | sort -z)
[ ${#files[@]} -gt 0 ] || { echo "check-format: no C++ files under $root" >&2; exit 2; }

# One run over every file: clang-format names each place that differs as "FILE:LINE:COL: error: ...".
if report=$("$clang_format" --style=file --dry-run -Werror "${files[@]}" 2>&1); then
  echo "check-format: all ${#files[@]} files match .clang-format"
  exit 0
fi
grep -E ': error: ' <<<"$report" | sed -n '1,40p'
mapfile -t unformatted < <(sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' <<<"$report" | sort -u)
printf 'not formatted: %s\n' "${unformatted[@]}"
echo "check-format: ${#unformatted[@]} of ${#files[@]} files differ from .clang-format (run clang-format -i on them)" >&2
exit 1
