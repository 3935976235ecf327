#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures the project for a prefix that is not the default, installs the kernel helper's part
# into a staging root, and checks that the path the code starts, the polkit action's exec.path and
# the installed helper are one and the same.
# Usage: install_prefix_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=/opt/zentrofast-prefix-test

fail() { echo "install prefix test: $*" >&2; exit 1; }

launcher=$(command -v ccache || true)
cmake -S "$source_dir" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER_LAUNCHER="$launcher" -DCMAKE_INSTALL_PREFIX="$prefix" \
  >"$work/configure.log" 2>&1 || { cat "$work/configure.log" >&2; fail "cmake could not configure"; }
cmake --build "$work/build" --target zentrofast-kernel-helper >"$work/build.log" 2>&1 ||
  { tail -20 "$work/build.log" >&2; fail "the helper did not build"; }
DESTDIR="$work/root" cmake --install "$work/build" --component kernel_helper >/dev/null

helper="$prefix/libexec/zentrofast/zentrofast-kernel-helper"
[ -x "$work/root$helper" ] || fail "the helper is not installed at $helper: $(cd "$work/root" && find . -type f)"
policy=$(find "$work/root" -name org.zentrofast.kernel.policy)
[ -n "$policy" ] || fail "the polkit action is not installed"
exec_path=$(sed -n 's|.*<annotate key="org.freedesktop.policykit.exec.path">\(.*\)</annotate>.*|\1|p' "$policy")
[ "$exec_path" = "$helper" ] || fail "the polkit action names $exec_path, the helper is at $helper"
# The path the client starts through pkexec is compiled into the kernel bridge's library.
library=$(find "$work/build" -name libzentrofast_kernel.a)
grep -qaF "$helper" "$library" || fail "the code does not start $helper"
! grep -qaF /usr/libexec/zentrofast "$library" || fail "the code still names /usr/libexec"
echo "install prefix test: code, polkit action and install rule agree on $helper"
