// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/kernel/LiveWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "helpers/kernel/HelperPaths.h"
#include "kernel/NetlinkLinks.h"
#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

Result<Done> WriteSysctl(const std::string& key, const std::string& value) {
  const std::string path = std::string(paths::kProcSys) + "/" + key;
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return Error{"cannot open " + DisplayName(key) + ": " + std::strerror(errno)};
  const std::string line = value + "\n";
  const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  const int reason = errno;
  ::close(fd);
  if (!written) return Error{"the kernel refused " + DisplayName(key) + " = " + value + ": " + std::strerror(reason)};
  return Done{};
}

}  // namespace

Result<Done> LiveWriter::Write(const std::string& key, const std::string& value) const {
  auto written = IsMtuKey(key) ? SetLinkMtu(InterfaceOfKey(key), std::stol(value)) : WriteSysctl(key, value);
  if (!written) return written;
  const auto now = m_live.Read(key);
  if (now != value)
    return Error{DisplayName(key) + " reads back " + now.value_or("nothing") + " after writing " + value};
  return Done{};
}

}  // namespace zf::kernel
