// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Memory figures, processor times and the raw block the memory freeing writes through.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace zf {

// Physical memory and the page file, in bytes. 64-bit throughout: current machines have far
// more than a 32-bit figure can hold.
struct MemoryStatus {
  std::int32_t memoryLoad = 0;  // percent of physical memory in use, 0..100
  std::int64_t totalPhysical = 0;
  std::int64_t availPhysical = 0;
  std::int64_t totalPageFile = 0;  // physical memory plus swap
  std::int64_t availPageFile = 0;
};

// The process's user address space, in bytes.
struct AddressSpace {
  std::int64_t totalVirtual = 0;
  std::int64_t availVirtual = 0;
};

// One reading of the processors' times, in 100-nanosecond units.
struct CpuTimes {
  int processors = 0;         // 0 when the count is unknown
  std::int64_t idleTime = 0;  // idle time summed over every processor
  // A clock that advances by the processors' total time divided by their number, so that
  // idle delta / elapsed / processors is the idle share of the interval.
  std::int64_t systemTime = 0;
};

class ISystemInfo {
 public:
  virtual ~ISystemInfo() = default;

  // False when the figures could not be read; the record is then left as it was.
  virtual bool ReadMemoryStatus(MemoryStatus* status) = 0;
  virtual bool ReadAddressSpace(AddressSpace* space) = 0;
  virtual std::optional<CpuTimes> ReadCpuTimes() = 0;

  // Fresh memory for count two-byte characters, returned to the system by ReleaseBlock;
  // null when the system will not supply it.
  virtual char16_t* AllocateBlock(std::size_t count) = 0;
  virtual void ReleaseBlock(char16_t* block, std::size_t count) = 0;
};

}  // namespace zf
