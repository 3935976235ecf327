// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Memory and processor figures from /proc; freeing blocks straight from the kernel.
#include <filesystem>
#include <string>

#include "platform/memory.h"

namespace zf {

class LinuxSystemInfo final : public ISystemInfo {
 public:
  // procRoot: where meminfo, stat, self/statm and self/cgroup are read; cgroupRoot: where the
  // cgroup file systems are mounted (tests point both at recorded files).
  explicit LinuxSystemInfo(std::filesystem::path procRoot = "/proc",
                           std::filesystem::path cgroupRoot = "/sys/fs/cgroup");

  bool ReadMemoryStatus(MemoryStatus* status) override;
  bool ReadAddressSpace(AddressSpace* space) override;
  std::optional<CpuTimes> ReadCpuTimes() override;
  char16_t* AllocateBlock(std::size_t count) override;
  void ReleaseBlock(char16_t* block, std::size_t count) override;

 private:
  // The whole file into m_buffer; false when it cannot be read.
  bool ReadFile(const std::string& path);
  // A cgroup memory figure; empty when unlimited or unreadable.
  std::optional<std::int64_t> ReadCgroupBytes(const std::filesystem::path& file);
  // Physical memory as the process's memory cgroup and each cgroup above it allow.
  void NarrowToCgroups(MemoryStatus* status);

  std::string m_meminfoPath;
  std::string m_statPath;
  std::string m_statmPath;
  std::string m_selfCgroupPath;
  std::filesystem::path m_cgroupRoot;
  std::int64_t m_ticksPerSecond;
  std::int64_t m_pageSize;
  std::int64_t m_userAddressSpace;
  std::string m_buffer;  // kept between reads: the samples run several times a second
};

}  // namespace zf
