#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package and has lintian check it: no error and no warning may remain.
# Skipped (status 77) where lintian is not installed.
set -euo pipefail
build=$(cd "$1" && pwd)
command -v lintian >/dev/null || { echo "lintian test: lintian is not installed; skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/zentrofast_*.deb)
status=0
lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || status=$?
# lintian's own notes (running as root, …) are no findings; tags are "E:", "W:", "I:" lines.
grep -v '^N: ' "$work/lintian.log" || true
if [ "$status" -ne 0 ] || grep -q '^[EW]: ' "$work/lintian.log"; then
  echo "lintian test: lintian found errors or warnings in $(basename "$deb")" >&2
  exit 1
fi
echo "lintian test: $(basename "$deb") has no lintian error and no warning"
