// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The NT family's probe: idle time against elapsed time, with the arithmetic held to four
// decimal places as the original figures were.
#include <cstdint>

#include "memory/ICpuUsage.h"
#include "platform/memory.h"

namespace zf {

class clsCPUUsageNT final : public ICpuUsage {
 public:
  explicit clsCPUUsageNT(ISystemInfo& systemInfo) : m_systemInfo(systemInfo) {}

  void Initialize() override;
  // -1 when the processor times could not be read; the baseline then stays as it was.
  std::int32_t Query() override;
  void Terminate() override {}

  // Usage from one interval: floor(100 - 100 * ratio / processors + 0.5), with the ratio and
  // the sum each held to four decimal places (ties to even). Elapsed 0 takes the idle delta in
  // milliseconds as the ratio.
  static std::int32_t UsageFromDeltas(std::int64_t idleDelta, std::int64_t elapsed, int processors);

 private:
  ISystemInfo& m_systemInfo;
  std::int64_t m_oldIdleTime = 0;
  std::int64_t m_oldSystemTime = 0;
};

}  // namespace zf
