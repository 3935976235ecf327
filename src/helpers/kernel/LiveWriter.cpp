// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/kernel/LiveWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
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

Result<Done> WriteMtu(const std::string& key, const std::string& value) {
  long mtu = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), mtu);
  if (ec != std::errc() || end != value.data() + value.size() || mtu < 0 || mtu > 2147483647)
    return Error{DisplayName(key) + " = " + value + " is not a number", ErrorKind::Damaged};
  return SetLinkMtu(InterfaceOfKey(key), mtu);
}

}  // namespace

Result<Done> LiveWriter::Write(const std::string& key, const std::string& value) const {
  // The last guard: whatever asks, nothing outside the table is written as root.
  if (!IsWellFormedValue(key, value))
    return Error{DisplayName(key) + " = " + value + " is not a setting the bridge manages", ErrorKind::Refused};
  auto written = IsMtuKey(key) ? WriteMtu(key, value) : WriteSysctl(key, value);
  if (!written) return written;
  const auto now = m_live.Read(key);
  if (now != value)
    return Error{DisplayName(key) + " reads back " + now.value_or("nothing") + " after writing " + value};
  return Done{};
}

}  // namespace zf::kernel
