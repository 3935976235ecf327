// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/modFreeRam.h"

#include "memory/clsCPUUsage.h"
#include "memory/clsCPUUsageNT.h"

namespace zf {

bool IsWinNT(const OSVersionRecord& version) { return version.platformId == 2; }

std::unique_ptr<ICpuUsage> NewCpuProbe(const OSVersionRecord& version, ISystemInfo& systemInfo, IRegistry& registry) {
  if (IsWinNT(version)) return std::make_unique<clsCPUUsageNT>(systemInfo);
  return std::make_unique<clsCPUUsage>(registry);
}

}  // namespace zf
