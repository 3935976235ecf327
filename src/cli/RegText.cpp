// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/RegText.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "cli/CliText.h"
#include "core/RegistryNames.h"

namespace zf::cli {
namespace {

// The entries of a multi-text joined by a literal "\0", as reg.exe shows them.
std::string MultiText(const std::vector<std::uint8_t>& data) {
  const std::vector<std::string> entries = MultiTextEntries(data);
  std::string shown;
  for (std::size_t i = 0; i < entries.size(); ++i) shown += (i == 0 ? "" : "\\0") + entries[i];
  return shown;
}

}  // namespace

std::vector<std::string> MultiTextEntries(const std::vector<std::uint8_t>& data) {
  std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  if (text.ends_with('\0')) text.remove_suffix(1);
  if (text.ends_with('\0')) text.remove_suffix(1);
  std::vector<std::string> entries;
  for (std::size_t start = 0; !text.empty() && start <= text.size();) {
    const std::size_t end = std::min(text.find('\0', start), text.size());
    entries.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

bool ParseKeyArgument(std::string_view text, KeyArgument* key, std::string* error) {
  const std::size_t slash = text.find('\\');
  const std::string_view hiveName = text.substr(0, slash);
  key->hive = HiveByName(hiveName);
  if (key->hive == 0) {
    *error = Say("unknown hive \"%1\" in \"%2\" (use HKLM, HKCU, HKCR, HKU, HKCC, HKPD, HKDD or their long names)",
                 hiveName, text);
    return false;
  }
  std::string_view rest = slash == std::string_view::npos ? std::string_view() : text.substr(slash + 1);
  if (!TrimKeyPath(&rest)) {
    *error = Say("bad key path \"%1\": a name between two backslashes is empty", text);
    return false;
  }
  key->subKey = std::string(rest);
  key->display = std::string(HiveName(key->hive)) + (rest.empty() ? "" : "\\" + key->subKey);
  return true;
}

std::string TypeName(std::uint32_t type) {
  static constexpr std::array<const char*, 12> kNames{"REG_NONE",
                                                      "REG_SZ",
                                                      "REG_EXPAND_SZ",
                                                      "REG_BINARY",
                                                      "REG_DWORD",
                                                      "REG_DWORD_BIG_ENDIAN",
                                                      "REG_LINK",
                                                      "REG_MULTI_SZ",
                                                      "REG_RESOURCE_LIST",
                                                      "REG_FULL_RESOURCE_DESCRIPTOR",
                                                      "REG_RESOURCE_REQUIREMENTS_LIST",
                                                      "REG_QWORD"};
  if (type < kNames.size()) return kNames[type];
  char name[24];
  std::snprintf(name, sizeof name, "REG_0x%X", type);
  return name;
}

std::string DataText(std::uint32_t type, const std::vector<std::uint8_t>& data) {
  const std::string text(data.begin(), data.end());
  if (type == REG_SZ || type == REG_EXPAND_SZ) return text.substr(0, text.find('\0'));
  if (type == REG_MULTI_SZ) return MultiText(data);
  if (type == REG_DWORD && data.size() == 4) {
    char number[16];
    std::snprintf(number, sizeof number, "0x%x",
                  data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<unsigned>(data[3]) << 24));
    return number;
  }
  return HexDigits(data, true);
}

std::string HexDigits(const std::vector<std::uint8_t>& data, bool upperCase) {
  std::string hex;
  for (std::uint8_t byte : data) {
    char digits[3];
    std::snprintf(digits, sizeof digits, upperCase ? "%02X" : "%02x", byte);
    hex += digits;
  }
  return hex;
}
}  // namespace zf::cli
