// SPDX-License-Identifier: GPL-3.0-or-later
// /proc texts from any kernel: the parsers must take anything and never report figures that
// cannot be (negative sizes, a load outside 0..100, more available than total).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/linux/ProcParsers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto memory = zf::ParseMeminfo(text)) {
    if (memory->totalPhysical < 0 || memory->availPhysical < 0 || memory->memoryLoad < 0 || memory->memoryLoad > 100)
      std::abort();
  }
  // A cgroup's figures narrow the memory figures and keep them possible.
  if (const auto limit = zf::ParseCgroupBytes(text)) {
    zf::MemoryStatus memory{50, std::int64_t{1} << 40, std::int64_t{1} << 39, std::int64_t{1} << 40, 0};
    zf::NarrowToCgroup(&memory, *limit, static_cast<std::int64_t>(size) << 20);
    if (memory.availPhysical < 0 || memory.availPhysical > memory.totalPhysical || memory.memoryLoad < 0 ||
        memory.memoryLoad > 100)
      std::abort();
  }
  if (const auto cpu = zf::ParseProcStat(text, 100)) {
    if (cpu->processors < 0 || cpu->idleTime < 0 || cpu->systemTime < 0) std::abort();
  }
  zf::ParseStatmPages(text);
  if (const auto place = zf::ParseSelfCgroup(text)) {
    if (!place->path.starts_with('/')) std::abort();
  }
  return 0;
}
