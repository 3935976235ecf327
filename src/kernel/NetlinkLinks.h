// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The links of the current network namespace over rtnetlink (libnl-3).
#include <vector>

#include "core/Result.h"
#include "kernel/LiveSystem.h"

namespace zf::kernel {

Result<std::vector<LinkInfo>> ListLinks();
Result<Done> SetLinkMtu(const std::string& name, long mtu);

}  // namespace zf::kernel
