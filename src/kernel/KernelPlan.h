// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The plan: what an apply of a desired state changes, from which live values, and what to warn.
// The helper makes the same plan from the same desired state, so the hash tells it whether the
// live system moved since the caller's preview.
#include "kernel/Ledger.h"
#include "kernel/LiveSystem.h"

namespace zf::kernel {

// The round trip the plan states a receive buffer's throughput cap at.
inline constexpr double kCapRoundTripSeconds = 0.020;
// Below this MTU the kernel removes an interface's IPv6 addresses.
inline constexpr long kIpv6MinimumMtu = 1280;

// Every desired setting, and every managed one the desired state no longer sets (back to its
// original).
KernelPlan MakePlan(const SettingMap& desired, const ILiveSystem& live, const Ledger& ledger);
// The throughput one connection reaches with a receive buffer maximum at kCapRoundTripSeconds.
double ThroughputCapMbits(long long rmemMax);

}  // namespace zf::kernel
