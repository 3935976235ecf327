// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/LiveSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

// One sysctl's text in one read: every value of the table is far shorter than the buffer, so the
// plan costs what a bare read of the same files costs (no fstat, no second read).
std::optional<std::string> ReadSysctl(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  char buffer[1024];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  ::close(fd);
  if (n < 0 || static_cast<std::size_t>(n) == sizeof buffer) return std::nullopt;
  return std::string(buffer, static_cast<std::size_t>(n));
}

}  // namespace

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  std::optional<std::string> text;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    char buffer[4096];
    std::string read;
    // A short read is the end of a regular file; it saves /proc/sys a second read per value.
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0 && read.size() < limit;) {
      read.append(buffer, static_cast<std::size_t>(n));
      if (static_cast<std::size_t>(n) < sizeof buffer) break;
    }
    text = std::move(read);
  }
  ::close(fd);
  return text;
}

std::vector<LinkInfo> ILiveSystem::LinksNamed(const std::vector<std::string>& names) const {
  std::vector<LinkInfo> named;
  for (auto& link : Links())
    if (std::find(names.begin(), names.end(), link.name) != names.end()) named.push_back(std::move(link));
  return named;
}

ProcLiveSystem::ProcLiveSystem(std::string procSysRoot, LinkLister lister, NamedLinkLister namedLister)
    : m_root(std::move(procSysRoot)), m_lister(std::move(lister)), m_namedLister(std::move(namedLister)) {}

std::optional<std::string> ProcLiveSystem::Read(const std::string& key) const {
  if (IsMtuKey(key)) {
    const auto links = Links();
    const LinkInfo* link = FindLink(links, InterfaceOfKey(key));
    if (!link) return std::nullopt;
    return std::to_string(link->mtu);
  }
  const auto raw = ReadSysctl(m_root + "/" + key);
  if (!raw) return std::nullopt;
  std::string value = NormalizeValue(*raw);
  if (value.empty()) return std::nullopt;
  return value;
}

std::vector<LinkInfo> ProcLiveSystem::Links() const {
  auto links = m_lister();
  return links ? links.value() : std::vector<LinkInfo>{};
}

std::vector<LinkInfo> ProcLiveSystem::LinksNamed(const std::vector<std::string>& names) const {
  if (!m_namedLister) return ILiveSystem::LinksNamed(names);
  auto links = m_namedLister(names);
  return links ? links.value() : std::vector<LinkInfo>{};
}

const LinkInfo* FindLink(const std::vector<LinkInfo>& links, const std::string& name) {
  for (const auto& link : links)
    if (link.name == name) return &link;
  return nullptr;
}

}  // namespace zf::kernel
