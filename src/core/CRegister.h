// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Section-oriented registry access. A key name of "*" stands for the default value.
#include <string>
#include <string_view>
#include <vector>

#include "core/RegScalar.h"
#include "platform/registry.h"

namespace zf {

class CRegister {
 public:
  explicit CRegister(IRegistry& registry) : m_registry(registry) {}

  bool REGDeleteSetting(HKEY hive, std::string_view section, std::string_view key);
  std::string REGGetSetting(HKEY hive, std::string_view section, std::string_view key, const std::string& defaultValue);
  bool REGSaveSetting(HKEY hive, std::string_view section, std::string_view key, const RegScalar& value);
  std::vector<std::string> GetAllKeys(HKEY hive, std::string_view path);
  // The value's raw bytes as an unsigned little-endian number; 0 when it cannot be read.
  double myREGGetSetting(HKEY hive, std::string_view section, std::string_view key, double defaultValue = 0);

 private:
  static std::string_view NormalizeSection(std::string_view section);
  // Opens with full access, once more with read access when that is denied.
  LONG OpenForReading(HKEY hive, std::string_view section, HKEY* key);
  // The whole value, or nothing when it cannot be read or is empty.
  bool ReadNonEmptyValue(HKEY hive, std::string_view section, std::string_view key, std::vector<std::uint8_t>* data);

  IRegistry& m_registry;
};

// Raw value bytes as an unsigned little-endian number, as myREGGetSetting reads them.
double LittleEndianNumber(const std::vector<std::uint8_t>& bytes);

// Subkey enumeration as the tuning core does it: names up to 255 characters, entries that fail
// with anything but "no more items" skipped. Returns false when the key cannot be opened.
bool EnumerateSubkeys(IRegistry& registry, HKEY hive, std::string_view path, std::vector<std::string>* names);

}  // namespace zf
