#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that #include lines under a source tree point down the layers only:
#   platform < core < ui < features < shell, cli
# Folders on one floor do not include each other, and only the composition roots
# (shell/main.cpp, cli/zentrofastctl.cpp) and platform/linux itself name platform/linux/.
# The private programs under helpers/ (one folder each) run with privileges: each may include
# its own folder and the plain headers listed for it below, nothing of Qt or SQLite, and the
# listed headers are held to the same list, so nothing reaches a helper through them.
# Usage: check-layering.sh [SRC_DIR]   (default: src beside this script's folder)
# Prints one line per violation and exits 1 when there is any.
set -euo pipefail

src_dir=${1:-"$(dirname "$0")/../src"}
[ -d "$src_dir" ] || { echo "check-layering: no folder $src_dir" >&2; exit 2; }

declare -A rank=(
  [platform]=0
  [core]=1
  [ui]=2
  [backups]=3 [history]=3 [kernel]=3 [measure]=3 [memory]=3 [msgbox]=3 [pinger]=3 [screens]=3
  [shell]=4 [cli]=4
)
composition_roots=" shell/main.cpp cli/zentrofastctl.cpp "

# What each private program may include from the rest of the tree.
declare -A helper_allows=(
  [kernel]="core/Result.h core/ReceiveWindow.h core/Translatable.h platform/fdio.h kernel/HelperProtocol.h kernel/KernelPlan.h kernel/KernelTypes.h
            kernel/Ledger.h kernel/LinkNaming.h kernel/LiveSystem.h kernel/NetlinkLinks.h kernel/PersistTexts.h
            kernel/SettingTable.h"
  [ping]="platform/fdio.h platform/icmp.h platform/linux/Capabilities.h platform/linux/LinuxIcmp.h
          platform/linux/PingProgramProtocol.h"
)

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

quoted_includes() { sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$1"; }
# Qt's headers (<QWidget>, <QtCore/...>) and SQLite's.
forbidden_system_includes() {
  sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\(Q[A-Za-z/]*[^>]*\|sqlite3\.h\)>.*/\1/p' "$1"
}

# check_helper_file FILE PROGRAM: FILE is part of PROGRAM or one of the headers listed for it.
check_helper_file() {
  local file=$1 program=$2 target
  local list
  list=$(xargs <<<"${helper_allows[$program]}")
  while IFS= read -r target; do
    report "$file" "includes <$target>: the private program $program takes no Qt or SQLite"
  done < <(forbidden_system_includes "$file")
  while IFS= read -r target; do
    case "$target" in
      ../* | */../*) report "$file" "includes \"$target\" by a relative path out of its folder" ;;
      helpers/"$program"/*) ;;
      */*) [[ " $list " == *" $target "* ]] ||
        report "$file" "includes \"$target\": the private program $program may include only its folder and: $list" ;;
    esac
  done < <(quoted_includes "$file")
}

check_helpers() {
  local program header
  [ -d helpers ] || return 0
  for program in $(find helpers -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort); do
    while IFS= read -r -d '' file; do
      if [ -z "${helper_allows[$program]:-}" ]; then
        report "$file" "private program $program has no list of what it may include in scripts/check-layering.sh"
      else
        check_helper_file "$file" "$program"
      fi
    done < <(find "helpers/$program" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)
    for header in ${helper_allows[$program]:-}; do
      [ -f "$header" ] && check_helper_file "$header" "$program"
    done
  done
  while IFS= read -r -d '' file; do
    report "${file#./}" "lies in helpers/ outside a private program's folder"
  done < <(find helpers -maxdepth 1 -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
}

cd "$src_dir"
check_helpers
while IFS= read -r -d '' file; do
  file=${file#./}
  [[ "$file" == helpers/* ]] && continue
  folder=$(folder_of "$file")
  if [ -z "$folder" ] || [ -z "$(rank_of "$folder")" ]; then
    report "$file" "folder ${file%%/*} has no layer; give it a rank in scripts/check-layering.sh"
    continue
  fi
  while IFS= read -r target; do
    check_include "$file" "$target"
  done < <(quoted_includes "$file")
done < <(find . -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

if ((violations > 0)); then
  echo "check-layering: $violations include(s) against the layers" >&2
  exit 1
fi
echo "check-layering: every include points down the layers"
