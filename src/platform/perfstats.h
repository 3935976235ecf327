// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The 9x family's processor counter under HKEY_DYN_DATA: reading the value through the first
// key starts the counter, through the second gives the current figure, through the third stops it.
#include <string_view>

namespace zf {

inline constexpr std::string_view kPerfStartStatKey = "PerfStats\\StartStat";
inline constexpr std::string_view kPerfStatDataKey = "PerfStats\\StatData";
inline constexpr std::string_view kPerfStopStatKey = "PerfStats\\StopStat";
inline constexpr std::string_view kCpuUsageValue = "KERNEL\\CPUUsage";

}  // namespace zf
