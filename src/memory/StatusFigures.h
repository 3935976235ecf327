// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The figures and texts of the system status screen, apart from its widgets.
#include <cstdint>
#include <optional>
#include <string>

#include "core/Translatable.h"
#include "memory/FreeRAM.h"

namespace zf {

// What a graph keeps of a sample: the whole number nearest to it (ties to even). The captions
// read the graph's value back, so they show exactly what the graph holds.
std::int32_t GraphValue(double sample);

struct MemorySample {
  std::int64_t freeMB = 0;
  std::optional<double> freeShare;  // percent of physical memory free; empty while the total is unknown
};

// One memory sample: a fresh free-memory reading against the total taken at load.
MemorySample SampleFreeMemory(FreeRAM& fmem, std::int64_t totalMB);

// The screen's texts, %1 the figure; the form shows them translated.
inline constexpr char kStatusFiguresContext[] = "zf::StatusFigures";
inline constexpr char kCpuCaptionFormat[] = ZF_TRANSLATABLE("zf::StatusFigures", "Processor usage (%1%).");
inline constexpr char kMemoryCaptionFormat[] = ZF_TRANSLATABLE("zf::StatusFigures", "Memory Usage (%1%).");
inline constexpr char kFreeMemoryTipFormat[] = ZF_TRANSLATABLE("zf::StatusFigures", "Memory Usage (%1MB).");
inline constexpr char kFreeRequestTipFormat[] =
    ZF_TRANSLATABLE("zf::StatusFigures", "%1 MB to free when Optimize is clicked");
inline constexpr char kTargetLevelFormat[] = ZF_TRANSLATABLE("zf::StatusFigures", "Target Level Of RAM %1MB.");

std::string CpuCaption(std::int32_t shown);
std::string MemoryCaption(std::int32_t shown);
// The tray tip: the free share as the graph shows it, or the free MB.
std::string MemoryTrayTip(bool inPercent, std::int32_t shown, std::int64_t freeMB);
const char* MemoryTrayTipFormat(bool inPercent);

// Sampling interval in ms for a speed slider's value: further right is faster.
constexpr int SampleInterval(int speedValue) { return 1300 - speedValue; }

std::string FreeRequestToolTip(std::int64_t megabytes);
std::string TargetLevelCaption(std::int64_t megabytes);

}  // namespace zf
