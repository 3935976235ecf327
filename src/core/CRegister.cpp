// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/CRegister.h"

#include "core/RegistrySettings.h"

namespace zf {
namespace {

constexpr std::size_t kNameBufferSize = 255;

std::string_view ValueName(std::string_view key) { return key == "*" ? std::string_view() : key; }

}  // namespace

std::string_view CRegister::NormalizeSection(std::string_view section) {
  if (section.starts_with('\\')) section.remove_prefix(1);
  if (section.ends_with('\\')) section.remove_suffix(1);
  return section;
}

LONG CRegister::OpenForReading(HKEY hive, std::string_view section, HKEY* key) {
  LONG status = m_registry.OpenKey(hive, NormalizeSection(section), KEY_ALL_ACCESS, key);
  if (status == ERROR_ACCESS_DENIED) status = m_registry.OpenKey(hive, NormalizeSection(section), KEY_READ, key);
  return status;
}

bool CRegister::ReadNonEmptyValue(HKEY hive, std::string_view section, std::string_view key,
                                  std::vector<std::uint8_t>* data) {
  HKEY handle = 0;
  if (OpenForReading(hive, section, &handle) != ERROR_SUCCESS) return false;
  std::uint32_t type = REG_NONE;
  const LONG status = m_registry.QueryValue(handle, ValueName(key), &type, data);
  m_registry.CloseKey(handle);
  return status == ERROR_SUCCESS && !data->empty();
}

bool CRegister::REGDeleteSetting(HKEY hive, std::string_view section, std::string_view key) {
  if (key.empty()) return m_registry.DeleteKey(hive, section) == ERROR_SUCCESS;
  HKEY handle = 0;
  if (m_registry.OpenKey(hive, NormalizeSection(section), KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS) return false;
  const LONG status = m_registry.DeleteValue(handle, ValueName(key));
  m_registry.CloseKey(handle);
  return status == ERROR_SUCCESS;
}

std::string CRegister::REGGetSetting(HKEY hive, std::string_view section, std::string_view key,
                                     const std::string& defaultValue) {
  std::vector<std::uint8_t> data;
  if (!ReadNonEmptyValue(hive, section, key, &data)) return defaultValue;
  return std::string(data.begin(), data.end() - 1);
}

bool CRegister::REGSaveSetting(HKEY hive, std::string_view section, std::string_view key, const RegScalar& value) {
  HKEY handle = 0;
  if (m_registry.CreateKey(hive, NormalizeSection(section), KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS) return false;
  const LONG status = m_registry.SetValue(handle, ValueName(key), REG_SZ, TextValueBytes(value.ToText()));
  m_registry.CloseKey(handle);
  return status == ERROR_SUCCESS;
}

std::vector<std::string> CRegister::GetAllKeys(HKEY hive, std::string_view path) {
  std::vector<std::string> names;
  HKEY handle = 0;
  if (m_registry.OpenKey(hive, path, KEY_READ, &handle) != ERROR_SUCCESS) return names;
  std::string name;
  for (std::uint32_t index = 0; m_registry.EnumKey(handle, index, &name) == ERROR_SUCCESS; ++index) {
    if (name.size() > kNameBufferSize) break;  // does not fit the buffer: the listing stops here
    names.push_back(name.substr(0, name.find('\0')));
  }
  m_registry.CloseKey(handle);
  return names;
}

double CRegister::myREGGetSetting(HKEY hive, std::string_view section, std::string_view key, double) {
  std::vector<std::uint8_t> data;
  if (!ReadNonEmptyValue(hive, section, key, &data)) return 0;
  return LittleEndianNumber(data);
}

double LittleEndianNumber(const std::vector<std::uint8_t>& bytes) {
  double sum = 0;
  double weight = 1;
  for (std::uint8_t byte : bytes) {
    sum += byte * weight;
    weight *= 256;
  }
  return sum;
}

bool EnumerateSubkeys(IRegistry& registry, HKEY hive, std::string_view path, std::vector<std::string>* names) {
  HKEY handle = 0;
  if (registry.OpenKey(hive, path, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  std::string name;
  for (std::uint32_t index = 0;; ++index) {
    const LONG status = registry.EnumKey(handle, index, &name);
    // An entry whose name does not fit is skipped; any other failure would repeat at every
    // further index, so it ends the walk like "no more items".
    if (status != ERROR_SUCCESS) break;
    if (name.size() > kNameBufferSize) continue;
    names->push_back(name);
  }
  registry.CloseKey(handle);
  return true;
}

}  // namespace zf
