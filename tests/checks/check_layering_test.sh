#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The layering check itself, on a tiny tree: it passes a tree that keeps the layers and fails,
# naming the file, on each kind of violation.
# Usage: check_layering_test.sh PATH/TO/check-layering.sh
set -euo pipefail

check=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A tree with one file per floor, every include pointing down.
make_clean_tree() {
  local root=$1
  mkdir -p "$root"/{platform/linux,core,ui,screens,memory,kernel,shell,cli,helpers/kernel,helpers/ping}
  echo '#pragma once' >"$root/platform/registry.h"
  printf '#pragma once\n#include "platform/registry.h"\n' >"$root/platform/linux/Store.h"
  printf '#include "platform/linux/Store.h"\n#include <vector>\n' >"$root/platform/linux/Store.cpp"
  printf '#pragma once\n#include "platform/registry.h"\n' >"$root/core/Settings.h"
  printf '#pragma once\n#include "core/Settings.h"\n' >"$root/ui/Screen.h"
  printf '#include "ui/Screen.h"\n#include "ui_frmWizard.h"\n#include "Local.h"\n' >"$root/screens/frmWizard.cpp"
  printf '#include "ui/Screen.h"\n' >"$root/memory/frmStatus.cpp"
  printf '#include "screens/frmWizard.h"\n#include "memory/frmStatus.h"\n#include "platform/linux/Store.h"\n' \
    >"$root/shell/main.cpp"
  printf '#include "core/Settings.h"\n#include "platform/linux/Store.h"\n' >"$root/cli/zentrofastctl.cpp"
  printf '#pragma once\n#include "core/Result.h"\n#include <string>\n' >"$root/kernel/KernelPlan.h"
  printf '#include "helpers/kernel/Journal.h"\n#include "kernel/KernelPlan.h"\n#include "platform/fdio.h"\n' \
    >"$root/helpers/kernel/HelperMain.cpp"
  printf '#include "platform/linux/LinuxIcmp.h"\n#include <sys/socket.h>\n' >"$root/helpers/ping/main.cpp"
}

# expect_failure NAME FILE LINE MESSAGE: the clean tree plus LINE in FILE must fail naming FILE and MESSAGE.
expect_failure() {
  local name=$1 file=$2 line=$3 message=$4 root="$work/$1" output
  make_clean_tree "$root"
  mkdir -p "$(dirname "$root/$file")"
  echo "$line" >>"$root/$file"
  if output=$(bash "$check" "$root" 2>&1); then
    echo "FAIL $name: the check passed a tree where $file has $line"
    failures=$((failures + 1))
  elif [[ "$output" != *"$file: "*"$message"* ]]; then
    echo "FAIL $name: the report does not name $file with \"$message\":"
    echo "$output"
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

make_clean_tree "$work/clean"
if output=$(bash "$check" "$work/clean" 2>&1); then
  echo "ok   clean tree passes"
else
  echo "FAIL clean tree: $output"
  failures=$((failures + 1))
fi

expect_failure upward core/Settings.h '#include "ui/Screen.h"' "core may not depend on ui"
expect_failure feature_from_core core/Apply.cpp '#include "screens/frmWizard.h"' "core may not depend on screens"
expect_failure platform_up platform/linux/Store.cpp '#include "core/Settings.h"' "platform/linux may not depend on core"
expect_failure ui_to_shell ui/Screen.h '#include "shell/frmMain.h"' "ui may not depend on shell"
expect_failure siblings memory/frmStatus.cpp '#include "screens/frmWizard.h"' "siblings"
expect_failure roots_are_siblings cli/Commands.cpp '#include "shell/frmMain.h"' "siblings"
expect_failure linux_outside_roots shell/frmMain.cpp '#include "platform/linux/Store.h"' "only the composition roots"
expect_failure linux_from_core core/Store.cpp '#include "platform/linux/Store.h"' "only the composition roots"
expect_failure relative_path screens/frmWizard.cpp '#include "../core/Settings.h"' "relative path"
# The private programs: nothing of Qt, the screens or the store, directly or through a listed header.
expect_failure helper_qt helpers/kernel/Journal.cpp '#include <QString>' "takes no Qt or SQLite"
expect_failure helper_qt_module helpers/ping/main.cpp '#include <QtCore/QFile>' "takes no Qt or SQLite"
expect_failure helper_sqlite helpers/kernel/Journal.cpp '#include <sqlite3.h>' "takes no Qt or SQLite"
expect_failure helper_ui helpers/kernel/Journal.cpp '#include "ui/ChildScreen.h"' "may include only"
expect_failure helper_form helpers/kernel/Journal.cpp '#include "kernel/frmKernelPreview.h"' "may include only"
expect_failure helper_store helpers/kernel/Journal.cpp '#include "core/RegistryStore.h"' "may include only"
expect_failure helper_flow helpers/kernel/Journal.cpp '#include "kernel/KernelApplyFlow.h"' "may include only"
expect_failure helper_other_helper helpers/ping/main.cpp '#include "helpers/kernel/Journal.h"' "may include only"
expect_failure helper_ping_takes_kernel helpers/ping/main.cpp '#include "kernel/KernelPlan.h"' "may include only"
expect_failure listed_header_qt kernel/KernelPlan.h '#include <QObject>' "takes no Qt or SQLite"
expect_failure listed_header_store kernel/KernelPlan.h '#include "core/RegistryStore.h"' "may include only"
expect_failure helper_without_list helpers/tool/main.cpp '#include <string>' "no list of what it may include"
expect_failure unranked_folder gadgets/Gadget.cpp '#include "core/Settings.h"' "has no layer"

if ((failures > 0)); then
  echo "$failures case(s) failed"
  exit 1
fi
