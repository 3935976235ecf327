// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The /proc files behind the memory and processor figures, parsed without touching the system.
#include <cstdint>
#include <optional>
#include <string>
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

// Where the process's memory cgroup lies: the version 1 memory controller's path when it has
// one, else the version 2 path ("0::/user.slice/x.scope"). Empty when the text names neither.
struct CgroupPlace {
  std::string path;  // begins with "/"
  bool v1 = false;
};
std::optional<CgroupPlace> ParseSelfCgroup(std::string_view text);

// A cgroup memory figure (memory.max, memory.current, memory.limit_in_bytes, ...) in bytes;
// empty for "max", for version 1's "no limit" (a figure near 2^63) and for anything unreadable.
std::optional<std::int64_t> ParseCgroupBytes(std::string_view text);

// Narrows physical memory to what a cgroup allows: at most its limit in all, at most the limit
// less its usage available, and the load recomputed from the two.
void NarrowToCgroup(MemoryStatus* status, std::int64_t limit, std::int64_t usage);

}  // namespace zf
