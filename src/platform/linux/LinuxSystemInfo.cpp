// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/LinuxSystemInfo.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "platform/linux/ProcParsers.h"

namespace zf {
namespace {

// The user part of the address space: 47 bits on x86-64 (4-level paging) and 48 on arm64;
// 3 GiB on 32-bit kernels. A smaller RLIMIT_AS wins.
std::int64_t UserAddressSpace() {
#if defined(__aarch64__)
  std::int64_t size = std::int64_t{1} << 48;
#else
  std::int64_t size = sizeof(void*) == 8 ? (std::int64_t{1} << 47) - 4096 : std::int64_t{3} << 30;
#endif
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
    size = std::min<std::int64_t>(size, static_cast<std::int64_t>(limit.rlim_cur));
  return size;
}

}  // namespace

LinuxSystemInfo::LinuxSystemInfo(std::filesystem::path procRoot, std::filesystem::path cgroupRoot)
    : m_meminfoPath((procRoot / "meminfo").string()),
      m_statPath((procRoot / "stat").string()),
      m_statmPath((procRoot / "self" / "statm").string()),
      m_selfCgroupPath((procRoot / "self" / "cgroup").string()),
      m_cgroupRoot(std::move(cgroupRoot)),
      m_ticksPerSecond(sysconf(_SC_CLK_TCK)),
      m_pageSize(sysconf(_SC_PAGESIZE)),
      m_userAddressSpace(UserAddressSpace()) {
  m_buffer.reserve(16384);
}

bool LinuxSystemInfo::ReadFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  m_buffer.resize(m_buffer.capacity());
  std::size_t used = 0;
  for (;;) {
    if (used == m_buffer.size()) m_buffer.resize(m_buffer.size() * 2);
    const ssize_t got = read(fd, m_buffer.data() + used, m_buffer.size() - used);
    if (got < 0) {
      close(fd);
      return false;
    }
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  close(fd);
  m_buffer.resize(used);
  return true;
}

bool LinuxSystemInfo::ReadMemoryStatus(MemoryStatus* status) {
  if (!ReadFile(m_meminfoPath)) return false;
  auto parsed = ParseMeminfo(m_buffer);
  if (!parsed) return false;
  NarrowToCgroups(&*parsed);
  *status = *parsed;
  return true;
}

std::optional<std::int64_t> LinuxSystemInfo::ReadCgroupBytes(const std::filesystem::path& file) {
  if (!ReadFile(file.string())) return std::nullopt;
  return ParseCgroupBytes(m_buffer);
}

// A limit anywhere above the process's cgroup binds it too. Inside a container the recorded
// path may not exist under the mount, whose own top then holds the container's limit.
void LinuxSystemInfo::NarrowToCgroups(MemoryStatus* status) {
  if (!ReadFile(m_selfCgroupPath)) return;
  const auto place = ParseSelfCgroup(m_buffer);
  if (!place) return;
  const std::filesystem::path mount = place->v1 ? m_cgroupRoot / "memory" : m_cgroupRoot;
  const char* limitName = place->v1 ? "memory.limit_in_bytes" : "memory.max";
  const char* usageName = place->v1 ? "memory.usage_in_bytes" : "memory.current";
  std::filesystem::path relative = std::filesystem::path(place->path).relative_path();
  for (;;) {
    const std::filesystem::path folder = mount / relative;
    if (const auto limit = ReadCgroupBytes(folder / limitName)) {
      if (const auto usage = ReadCgroupBytes(folder / usageName)) NarrowToCgroup(status, *limit, *usage);
    }
    if (relative.empty()) break;
    relative = relative.parent_path();
  }
}

bool LinuxSystemInfo::ReadAddressSpace(AddressSpace* space) {
  if (!ReadFile(m_statmPath)) return false;
  const auto pages = ParseStatmPages(m_buffer);
  if (!pages) return false;
  space->totalVirtual = m_userAddressSpace;
  space->availVirtual = std::max<std::int64_t>(0, m_userAddressSpace - *pages * m_pageSize);
  return true;
}

std::optional<CpuTimes> LinuxSystemInfo::ReadCpuTimes() {
  if (!ReadFile(m_statPath)) return std::nullopt;
  return ParseProcStat(m_buffer, m_ticksPerSecond);
}

char16_t* LinuxSystemInfo::AllocateBlock(std::size_t count) {
  if (count == 0 || count > std::numeric_limits<std::size_t>::max() / sizeof(char16_t)) return nullptr;
  // Anonymous pages of our own, so that release hands them straight back to the kernel.
  void* block = mmap(nullptr, count * sizeof(char16_t), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return block == MAP_FAILED ? nullptr : static_cast<char16_t*>(block);
}

void LinuxSystemInfo::ReleaseBlock(char16_t* block, std::size_t count) { munmap(block, count * sizeof(char16_t)); }

}  // namespace zf
