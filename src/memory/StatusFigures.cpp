// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/StatusFigures.h"

#include <climits>

#include "memory/Rounding.h"

namespace zf {

std::int32_t GraphValue(double sample) {
  return static_cast<std::int32_t>(WholeNumberIn(sample, INT32_MIN, INT32_MAX).value_or(0));
}

MemorySample SampleFreeMemory(FreeRAM& fmem, std::int64_t totalMB) {
  MemorySample sample;
  sample.freeMB = BytesToMB(fmem.GetFreePhysical());
  if (totalMB > 0) sample.freeShare = static_cast<double>(sample.freeMB) / static_cast<double>(totalMB) * 100.0;
  return sample;
}

std::string CpuCaption(std::int32_t shown) { return FillArgument(kCpuCaptionFormat, std::to_string(shown)); }

std::string MemoryCaption(std::int32_t shown) { return FillArgument(kMemoryCaptionFormat, std::to_string(shown)); }

const char* MemoryTrayTipFormat(bool inPercent) { return inPercent ? kMemoryCaptionFormat : kFreeMemoryTipFormat; }

std::string MemoryTrayTip(bool inPercent, std::int32_t shown, std::int64_t freeMB) {
  return FillArgument(MemoryTrayTipFormat(inPercent), std::to_string(inPercent ? shown : freeMB));
}

std::string FreeRequestToolTip(std::int64_t megabytes) {
  return FillArgument(kFreeRequestTipFormat, std::to_string(megabytes));
}

std::string TargetLevelCaption(std::int64_t megabytes) {
  return FillArgument(kTargetLevelFormat, std::to_string(megabytes));
}

}  // namespace zf
