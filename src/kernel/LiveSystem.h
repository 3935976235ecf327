// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The live values the plan starts from: sysctls below /proc/sys and the links over netlink.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Result.h"

namespace zf::kernel {

struct LinkInfo {
  std::string name;
  int index = 0;
  long mtu = 0;
  long maxMtu = 0;  // 0 when the kernel does not say
  bool loopback = false;
  std::string permanentMac;  // "aa:bb:…"; empty when the device has none
};

class ILiveSystem {
 public:
  virtual ~ILiveSystem() = default;
  // A setting's live value in the table's canonical form; empty when it cannot be read.
  virtual std::optional<std::string> Read(const std::string& key) const = 0;
  virtual std::vector<LinkInfo> Links() const = 0;
  // The links of these names only (a plan needs its MTUs' interfaces, not every link).
  virtual std::vector<LinkInfo> LinksNamed(const std::vector<std::string>& names) const;
};

using LinkLister = std::function<Result<std::vector<LinkInfo>>()>;
using NamedLinkLister = std::function<Result<std::vector<LinkInfo>>(const std::vector<std::string>&)>;

// Sysctls from files below a root (/proc/sys, or a recorded tree in tests), links from a lister.
class ProcLiveSystem : public ILiveSystem {
 public:
  // namedLister: asks for some links only; without it they are picked from the whole list.
  ProcLiveSystem(std::string procSysRoot, LinkLister lister, NamedLinkLister namedLister = {});
  std::optional<std::string> Read(const std::string& key) const override;
  std::vector<LinkInfo> Links() const override;
  std::vector<LinkInfo> LinksNamed(const std::vector<std::string>& names) const override;

 private:
  std::string m_root;
  LinkLister m_lister;
  NamedLinkLister m_namedLister;
};

const LinkInfo* FindLink(const std::vector<LinkInfo>& links, const std::string& name);

// Reads a small regular file without following a link or waiting on a FIFO; empty on failure.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit = 4u << 20);

}  // namespace zf::kernel
