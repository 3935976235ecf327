// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The kernel bridge's plan and status for scripts (JSON) and monitoring (Prometheus text).
#include <iosfwd>
#include <optional>
#include <string>

#include "kernel/KernelTypes.h"

namespace zf::cli {

void PrintPlanJson(const kernel::KernelPlan& plan, std::ostream& out);
void PrintStatusJson(const kernel::KernelStatus& status, std::ostream& out);
// node_exporter's textfile format: one drift gauge per managed setting and the last kept apply's time.
void PrintStatusPrometheus(const kernel::KernelStatus& status, std::ostream& out);

// Seconds since the epoch from a transaction id ("20261209T021600Z-1234"); nothing when it has no stamp.
std::optional<long long> TransactionTime(const std::string& id);

}  // namespace zf::cli
