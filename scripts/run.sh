#!/usr/bin/env bash
# Starts Zentrofast from the build's program folder.
set -euo pipefail
build=${1:-build}
exec "$build/bin/zentrofastctl" profiles
