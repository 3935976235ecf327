#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The format check itself, on a tiny tree with the project's .clang-format: it passes formatted
# files and fails, naming the file, on one that is not.
# Usage: check_format_test.sh PATH/TO/check-format.sh PATH/TO/.clang-format
set -euo pipefail

check=$1
style=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/src/core" "$work/tests"
cp "$style" "$work/.clang-format"
printf 'namespace zf {\n\nint Twice(int number) { return 2 * number; }\n\n}  // namespace zf\n' >"$work/src/core/Twice.cpp"
printf '#pragma once\n\nnamespace zf {\n\nint Twice(int number);\n\n}  // namespace zf\n' >"$work/src/core/Twice.h"

if ! output=$(bash "$check" "$work" 2>&1); then
  echo "FAIL: formatted files were refused:"
  echo "$output"
  exit 1
fi
echo "ok   formatted files pass"

# Two spaces of indent broken, and a brace on its own line.
printf 'int  Half( int number )\n{\n      return number/2;\n}\n' >"$work/tests/Half.cpp"
if output=$(bash "$check" "$work" 2>&1); then
  echo "FAIL: the check passed tests/Half.cpp, which is not formatted"
  exit 1
fi
if [[ "$output" != *"not formatted: tests/Half.cpp"* || "$output" == *"not formatted: src/"* ]]; then
  echo "FAIL: the report should name tests/Half.cpp alone:"
  echo "$output"
  exit 1
fi
echo "ok   an unformatted file fails the check and is named"
