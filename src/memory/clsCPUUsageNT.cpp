// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/clsCPUUsageNT.h"

#include <algorithm>
#include <cstdint>

#include "memory/Rounding.h"

namespace zf {
namespace {

using Wide = __int128;  // idle deltas since boot times 10^6 outgrow 64 bits on large machines

constexpr Wide kFourPlaces = 10000;  // a value held to four decimal places, in ten-thousandths

// floor(value / kFourPlaces) for a value in ten-thousandths.
Wide FloorOfFourPlaces(Wide value) {
  Wide quotient = value / kFourPlaces;
  if (value % kFourPlaces < 0) --quotient;
  return quotient;
}

}  // namespace

void clsCPUUsageNT::Initialize() {
  const auto times = m_systemInfo.ReadCpuTimes();
  if (!times) return;
  m_oldIdleTime = times->idleTime;
  m_oldSystemTime = times->systemTime;
}

std::int32_t clsCPUUsageNT::UsageFromDeltas(std::int64_t idleDelta, std::int64_t elapsed, int processors) {
  // The idle delta is in 100 ns; divided by 10000 it is in ms, which in ten-thousandths is itself.
  const Wide ratio = elapsed != 0 ? DivideHalfEven<Wide>(Wide(idleDelta) * kFourPlaces, elapsed) : Wide(idleDelta);
  // 100 - 100 * ratio / processors + 0.5, in ten-thousandths over the common denominator.
  const Wide numerator = (100 * kFourPlaces + kFourPlaces / 2) * processors - 100 * ratio;
  const Wide usage = DivideHalfEven<Wide>(numerator, processors);
  return static_cast<std::int32_t>(std::clamp<Wide>(FloorOfFourPlaces(usage), INT32_MIN, INT32_MAX));
}

std::int32_t clsCPUUsageNT::Query() {
  const auto times = m_systemInfo.ReadCpuTimes();
  if (!times || times->processors <= 0) return -1;
  const std::int32_t usage =
      UsageFromDeltas(times->idleTime - m_oldIdleTime, times->systemTime - m_oldSystemTime, times->processors);
  m_oldIdleTime = times->idleTime;
  m_oldSystemTime = times->systemTime;
  return usage;
}

}  // namespace zf
