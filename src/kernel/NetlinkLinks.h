// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The links of the current network namespace over rtnetlink (libnl-3).
#include <vector>

#include "core/Result.h"
#include "kernel/LiveSystem.h"

namespace zf::kernel {

Result<std::vector<LinkInfo>> ListLinks();
// Only the links of these names, asked for one by one (cheaper than a dump when they are few); a
// name without a link is left out.
Result<std::vector<LinkInfo>> ListLinksNamed(const std::vector<std::string>& names);
Result<Done> SetLinkMtu(const std::string& name, long mtu);

}  // namespace zf::kernel
