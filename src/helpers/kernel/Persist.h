// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Makes the managed values survive a reboot, rewritten whole from the ledger each time, so the
// files always say what the ledger says.
#include <string>
#include <vector>

#include "core/Result.h"
#include "kernel/Ledger.h"
#include "kernel/LiveSystem.h"

namespace zf::kernel {

// Writes or removes /etc/sysctl.d/80-zentrofast.conf and the MTU carriers; fills the ledger's
// persistence words; returns one line per thing done for the caller to show.
Result<std::vector<std::string>> PersistManaged(Ledger& ledger, const std::vector<LinkInfo>& links);

}  // namespace zf::kernel
