#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the Zentrofast desktop program from the build's program folder. Without a display it
# runs on a virtual one (xvfb-run): the program works, nobody sees it; stop it with Ctrl+C.
set -euo pipefail
build=${1:-build}
program="$build/bin/zentrofast"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  if command -v xvfb-run >/dev/null; then
    echo "No display: running Zentrofast on a virtual display (xvfb-run). Ctrl+C ends it." >&2
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program"
  fi
  echo "No display, and xvfb-run is not installed: cannot show Zentrofast." >&2
  exit 1
fi
exec "$program"
