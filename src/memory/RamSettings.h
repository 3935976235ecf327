// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The RAM booster's stored values: read with their defaults, checked against their fields,
// written back as text.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/RegistrySettings.h"

namespace zf {

// Field limits. The two levels are MB counts wide enough for any machine; the interval is the
// spin control's range.
inline constexpr std::int64_t kMaxAlarmLevelMB = 2147483647;
inline constexpr std::int64_t kMaxFreeLevelMB = 1000;
inline constexpr int kMaxCheckInterval = 65535;
// The CPU limit and the repetitions share one range, chosen by the tray tip option.
constexpr int SpinMaximum(bool tipInPercent) { return tipInPercent ? 100 : 255; }

struct RamSettings {
  bool chkSoundon = false;
  bool chkAutomatic = false;
  std::string txtAlarm = "250";
  std::string txtFreeAlarm = "10";
  int txtTimeCheck = 100;  // ms between memory checks
  bool optPer = false;     // the tray tip in percent; otherwise in MB ("optMB")
  int txtRunOnly = 2;      // CPU limit in percent; 0: no CPU test
  int txtRetryOptimization = 10;
};

// A number in 0..kMaxAlarmLevelMB.
bool IsValidAlarmText(std::string_view text);
// A number in 0..kMaxFreeLevelMB.
bool IsValidFreeAlarmText(std::string_view text);
// The whole number of MB of a valid level text; fallback otherwise.
std::int64_t LevelMB(std::string_view text, std::int64_t fallback);

// Reads the nine values in their order. A value that does not convert or does not fit its
// field gets its default rather than a wrapped or clipped number.
RamSettings ReadRamSettings(RegistrySettings& settings);
// Writes the nine values in the same order: texts as they are, check boxes as 0 or 1, the
// options as True or False.
void WriteRamSettings(RegistrySettings& settings, const RamSettings& values);

}  // namespace zf
