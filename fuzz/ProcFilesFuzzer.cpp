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
  if (const auto cpu = zf::ParseProcStat(text, 100)) {
    if (cpu->processors < 0 || cpu->idleTime < 0 || cpu->systemTime < 0) std::abort();
  }
  zf::ParseStatmPages(text);
  return 0;
}
