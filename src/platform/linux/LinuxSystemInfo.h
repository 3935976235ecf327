#pragma once
// Memory and processor figures from /proc; freeing blocks straight from the kernel.
#include <filesystem>
#include <string>

#include "platform/memory.h"

namespace zf {

class LinuxSystemInfo final : public ISystemInfo {
 public:
  // procRoot: where meminfo, stat and self/statm are read (tests point it at recorded files).
  explicit LinuxSystemInfo(std::filesystem::path procRoot = "/proc");

  bool ReadMemoryStatus(MemoryStatus* status) override;
  bool ReadAddressSpace(AddressSpace* space) override;
  std::optional<CpuTimes> ReadCpuTimes() override;
  char16_t* AllocateBlock(std::size_t count) override;
  void ReleaseBlock(char16_t* block, std::size_t count) override;

 private:
  // The whole file into m_buffer; false when it cannot be read.
  bool ReadFile(const std::string& path);

  std::string m_meminfoPath;
  std::string m_statPath;
  std::string m_statmPath;
  std::int64_t m_ticksPerSecond;
  std::int64_t m_pageSize;
  std::int64_t m_userAddressSpace;
  std::string m_buffer;  // kept between reads: the samples run several times a second
};

}  // namespace zf
