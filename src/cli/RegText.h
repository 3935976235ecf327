// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How zentrofastctl names keys, types and statuses, and reads a key argument.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace zf::cli {

struct KeyArgument {
  HKEY hive = 0;
  std::string subKey;   // without leading or trailing backslashes
  std::string display;  // the long hive name, a backslash and the subkey
};

// "HKLM\SOFTWARE\X" or "HKEY_LOCAL_MACHINE\SOFTWARE\X" (hive names in any case). False with a
// message naming the problem for an unknown hive or an empty name inside the path.
bool ParseKeyArgument(std::string_view text, KeyArgument* key, std::string* error);

// "REG_SZ", "REG_DWORD", … for a type code.
std::string TypeName(std::uint32_t type);
// The entries of a multi-text: the NUL ending each entry and the empty entry ending the list are
// not part of them.
std::vector<std::string> MultiTextEntries(const std::vector<std::uint8_t>& data);
// Two hex digits per byte, upper- or lower-case.
std::string HexDigits(const std::vector<std::uint8_t>& data, bool upperCase);
// The data as reg.exe shows it: text (the entries of a multi-text joined by "\0"), 0x… for a
// DWORD, hex digits for anything else.
std::string DataText(std::uint32_t type, const std::vector<std::uint8_t>& data);

}  // namespace zf::cli
