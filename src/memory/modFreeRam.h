// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which processor probe stands for the configured platform.
#include <memory>

#include "core/mdlOSVersion.h"
#include "memory/ICpuUsage.h"
#include "platform/memory.h"
#include "platform/registry.h"

namespace zf {

// True for the NT platform (identifier 2) of the configured version record.
bool IsWinNT(const OSVersionRecord& version);

// A clsCPUUsageNT on the NT platform, a clsCPUUsage otherwise; not yet initialised.
std::unique_ptr<ICpuUsage> NewCpuProbe(const OSVersionRecord& version, ISystemInfo& systemInfo, IRegistry& registry);

}  // namespace zf
