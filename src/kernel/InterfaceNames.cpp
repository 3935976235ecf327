// SPDX-License-Identifier: GPL-3.0-or-later
// The machine's interface names for the store come from the same netlink dump the bridge plans
// from: /sys/class/net can show another network namespace's devices (sysfs belongs to the
// namespace that mounted it), and then the store would name interfaces the bridge never finds.
#include <algorithm>

#include "kernel/NetlinkLinks.h"
#include "platform/network.h"

namespace zf {

std::vector<std::string> NetworkInterfaceNames() {
  std::vector<std::string> names;
  if (auto links = kernel::ListLinks())
    for (const auto& link : links.value())
      if (!link.loopback) names.push_back(link.name);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace zf
