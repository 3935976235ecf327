// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A system-information service with scripted figures. It records every freeing block and, when
// the block comes back, whether every character in it had been written as a space.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/memory.h"

namespace zf::test {

class FakeSystemInfo : public ISystemInfo {
 public:
  static constexpr std::int64_t kMB = 1048576;

  struct Block {
    std::size_t count = 0;
    bool allSpaces = false;  // set when the block is released
  };

  bool ReadMemoryStatus(MemoryStatus* status) override {
    ++memoryReads;
    if (!memoryReadable) return false;
    *status = memory;
    return true;
  }
  bool ReadAddressSpace(AddressSpace* space) override {
    if (!memoryReadable) return false;
    *space = addressSpace;
    return true;
  }
  // Hands out the scripted readings in order, then keeps repeating the last one.
  std::optional<CpuTimes> ReadCpuTimes() override {
    ++cpuReads;
    if (cpuTimes.empty()) return std::nullopt;
    const auto reading = cpuTimes.front();
    if (cpuTimes.size() > 1) cpuTimes.pop_front();
    return reading;
  }
  char16_t* AllocateBlock(std::size_t count) override {
    if (refuseBlock && refuseBlock(count)) return nullptr;
    blocks.push_back({count, false});
    if (onAllocate) onAllocate(count);
    auto* block = new char16_t[count];
    std::fill_n(block, count, u'\xFFFF');  // poisoned: the release must find the program's own writes
    m_live[block] = blocks.size() - 1;
    return block;
  }
  void ReleaseBlock(char16_t* block, std::size_t count) override {
    Block& b = blocks.at(m_live.at(block));
    b.allSpaces = b.count == count && std::all_of(block, block + count, [](char16_t c) { return c == u' '; });
    m_live.erase(block);
    delete[] block;
    ++releasedBlocks;
  }

  // Physical memory in MB, the memory load following from it.
  void SetPhysicalMB(std::int64_t totalMB, std::int64_t freeMB) { SetPhysicalBytes(totalMB * kMB, freeMB * kMB); }
  void SetPhysicalBytes(std::int64_t total, std::int64_t free) {
    memory.totalPhysical = total;
    memory.availPhysical = free;
    memory.memoryLoad = total > 0 ? static_cast<std::int32_t>(100 * (total - free) / total) : 0;
  }

  MemoryStatus memory{50, 8192 * kMB, 4096 * kMB, 8192 * kMB, 4096 * kMB};
  AddressSpace addressSpace{(std::int64_t{1} << 47) - 4096, (std::int64_t{1} << 46)};
  bool memoryReadable = true;
  std::deque<std::optional<CpuTimes>> cpuTimes;
  std::function<bool(std::size_t)> refuseBlock;  // true: that allocation fails
  std::function<void(std::size_t)> onAllocate;
  std::vector<Block> blocks;
  int releasedBlocks = 0;
  int memoryReads = 0;
  int cpuReads = 0;

 private:
  std::map<char16_t*, std::size_t> m_live;
};

}  // namespace zf::test
