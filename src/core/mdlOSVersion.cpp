// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/mdlOSVersion.h"

#include <array>
#include <charconv>

namespace zf {

int GetOSVersion(const OSVersionRecord& record) {
  switch (record.platformId) {
    case 1:  // the Windows 95 line
      switch (record.minorVersion) {
        case 0: return 1;
        case 10: return 2;
        case 90: return 3;
        default: return 0;
      }
    case 2:  // the NT line
      if (record.majorVersion < 5) return 4;
      if (record.majorVersion == 5 && record.minorVersion == 0) return 5;
      if (record.majorVersion == 5 && record.minorVersion == 1) return 6;
      return 0;
    default: return 0;
  }
}

std::string OSFamilyName(int code) {
  static constexpr std::array<const char*, 7> kNames{"Windows 32", "Windows 95",   "Windows 98", "Windows ME",
                                                     "Windows NT", "Windows 2000", "Windows XP"};
  if (code < 1 || code > 7) return {};
  return kNames[code - 1];
}

OSFamily DetectOSFamily(const OSVersionRecord& record) {
  const auto code = static_cast<std::int16_t>(GetOSVersion(record) + 1);
  return {code, OSFamilyName(code)};
}

std::optional<OSVersionRecord> ParseOSVersion(std::string_view text) {
  std::array<int, 3> parts{};
  const char* cursor = text.data();
  const char* end = text.data() + text.size();
  for (std::size_t i = 0; i < parts.size(); ++i) {
    auto [next, ec] = std::from_chars(cursor, end, parts[i]);
    if (ec != std::errc() || parts[i] < 0) return std::nullopt;
    cursor = next;
    if (i + 1 < parts.size()) {
      if (cursor == end || *cursor != '.') return std::nullopt;
      ++cursor;
    }
  }
  if (cursor != end) return std::nullopt;
  return OSVersionRecord{parts[0], parts[1], parts[2]};
}

}  // namespace zf
