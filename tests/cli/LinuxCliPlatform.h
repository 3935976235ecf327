// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Linux services the real tool runs with, for running command lines in-process.
#include "cli/CliContext.h"
#include "platform/linux/LinuxIcmp.h"
#include "platform/linux/LinuxSystemInfo.h"

namespace zf::test {

struct LinuxCliPlatform {
  cli::CliPlatform Services() { return {systemInfo, icmp}; }

  LinuxSystemInfo systemInfo;
  LinuxIcmp icmp;
};

}  // namespace zf::test
