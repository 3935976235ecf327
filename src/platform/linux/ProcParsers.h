#pragma once
// The /proc files behind the memory and processor figures, parsed without touching the system.
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/memory.h"

namespace zf {

// /proc/meminfo: total and available physical memory (MemAvailable, or on kernels without it
// MemFree + Buffers + Cached), swap as the page file. Empty without MemTotal.
std::optional<MemoryStatus> ParseMeminfo(std::string_view text);

// /proc/stat: the aggregate "cpu" line (idle = idle + iowait; total = user through steal, the
// guest times being part of user already) and the count of "cpuN" lines, converted from clock
// ticks to 100-ns units. Empty without a usable "cpu" line.
std::optional<CpuTimes> ParseProcStat(std::string_view text, std::int64_t ticksPerSecond);

// /proc/self/statm: the process's total size in pages (its first field).
std::optional<std::int64_t> ParseStatmPages(std::string_view text);

}  // namespace zf
