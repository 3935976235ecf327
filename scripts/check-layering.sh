#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that #include lines under a source tree point down the layers only:
#   platform < core < ui < features < shell, cli
# Folders on one floor do not include each other, and only the composition roots
# (shell/main.cpp, cli/zentrofastctl.cpp) and platform/linux itself name platform/linux/.
# Usage: check-layering.sh [SRC_DIR]   (default: src beside this script's folder)
# Prints one line per violation and exits 1 when there is any.
set -euo pipefail

src_dir=${1:-"$(dirname "$0")/../src"}
[ -d "$src_dir" ] || { echo "check-layering: no folder $src_dir" >&2; exit 2; }

declare -A rank=(
  [platform]=0
  [core]=1
  [ui]=2
  [backups]=3 [history]=3 [kernel]=3 [memory]=3 [msgbox]=3 [pinger]=3 [screens]=3
  [shell]=4 [cli]=4
)
composition_roots=" shell/main.cpp cli/zentrofastctl.cpp "

violations=0
report() {
  echo "$1: $2"
  violations=$((violations + 1))
}

# The layer a path inside src belongs to: platform/linux counts as its own folder.
folder_of() {
  case "$1" in
    platform/linux/*) echo platform/linux ;;
    */*) echo "${1%%/*}" ;;
    *) echo "" ;;
  esac
}

rank_of() {
  local folder=$1
  [ "$folder" = platform/linux ] && folder=platform
  echo "${rank[$folder]:-}"
}

check_include() {
  local file=$1 target=$2
  local from to from_rank to_rank
  from=$(folder_of "$file")
  to=$(folder_of "$target")
  case "$target" in
    ../* | */../*) report "$file" "includes \"$target\" by a relative path out of its folder"; return ;;
  esac
  [ -z "$to" ] && return  # beside the including file, or generated (ui_*.h)
  to_rank=$(rank_of "$to")
  [ -z "$to_rank" ] && return  # not a folder of this tree (a library's own header)
  [ "$from" = "$to" ] && return
  if [ "$to" = platform/linux ] && [ "$from" != platform/linux ]; then
    [[ "$composition_roots" == *" $file "* ]] ||
      report "$file" "includes \"$target\": only the composition roots name platform/linux/"
    return
  fi
  from_rank=$(rank_of "$from")
  if ((to_rank > from_rank)); then
    report "$file" "includes \"$target\": $from may not depend on $to, which sits above it"
  elif ((to_rank == from_rank)) && [ "$from" != platform/linux ]; then
    report "$file" "includes \"$target\": $from and $to are siblings and do not include each other"
  fi
}

cd "$src_dir"
while IFS= read -r -d '' file; do
  file=${file#./}
  folder=$(folder_of "$file")
  if [ -z "$folder" ] || [ -z "$(rank_of "$folder")" ]; then
    report "$file" "folder ${file%%/*} has no layer; give it a rank in scripts/check-layering.sh"
    continue
  fi
  while IFS= read -r target; do
    check_include "$file" "$target"
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

if ((violations > 0)); then
  echo "check-layering: $violations include(s) against the layers" >&2
  exit 1
fi
echo "check-layering: every include points down the layers"
