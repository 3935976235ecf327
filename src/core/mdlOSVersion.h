// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The OS family code decides the registry layout of every tuning run and is stored in backups.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zf {

struct OSVersionRecord {
  int platformId = 0;
  int majorVersion = 0;
  int minorVersion = 0;
};

// Windows XP: what the program reports when nothing else is configured.
inline constexpr OSVersionRecord kDefaultOSVersion{2, 5, 1};

struct OSFamily {
  std::int16_t code = 0;  // 0 until DetectOSFamily ran; then 1 to 7
  std::string name;

  // The registry layout a family code (as stored in backups) stands for; 0 has neither.
  static constexpr bool Is9xLayout(std::int16_t familyCode) { return familyCode >= 1 && familyCode <= 4; }
  static constexpr bool IsNTLayout(std::int16_t familyCode) { return familyCode >= 5 && familyCode <= 7; }
  bool Is9xLayout() const { return Is9xLayout(code); }
  bool IsNTLayout() const { return IsNTLayout(code); }
};

// Version code 0 to 6 for a version record.
int GetOSVersion(const OSVersionRecord& record);
OSFamily DetectOSFamily(const OSVersionRecord& record);
// "1" .. "7" → family name; empty outside.
std::string OSFamilyName(int code);

// "PLATFORM.MAJOR.MINOR" → record; empty when the text is not three whole numbers.
std::optional<OSVersionRecord> ParseOSVersion(std::string_view text);

}  // namespace zf
