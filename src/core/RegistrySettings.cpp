// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RegistrySettings.h"

namespace zf {
namespace {

// A query buffer of this many bytes: longer values are unreadable by GetStringValue.
constexpr std::size_t kStringBufferSize = 255;

}  // namespace

std::vector<std::uint8_t> TextValueBytes(std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

std::vector<std::uint8_t> DwordValueBytes(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits >> 16),
          static_cast<std::uint8_t>(bits >> 24)};
}

std::string SettingsSection(std::string_view section) { return std::string(kSettingsRoot) + std::string(section); }

void RegistrySettings::SaveStringValue(HKEY hive, std::string_view subKey, std::string_view valueName,
                                       const RegScalar& value) {
  HKEY key = 0;
  if (m_registry.CreateKey(hive, subKey, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  m_registry.SetValue(key, valueName, REG_SZ, TextValueBytes(value.ToText()));
  m_registry.CloseKey(key);
}

void RegistrySettings::SaveMachineSetting(std::string_view subKey, std::string_view valueName, const RegScalar& value) {
  SaveStringValue(HKEY_LOCAL_MACHINE, subKey, valueName, value);
}

std::string RegistrySettings::GetStringValue(HKEY hive, std::string_view subKey, std::string_view valueName,
                                             const std::string& defaultValue) {
  HKEY key = 0;
  if (m_registry.OpenKey(hive, subKey, KEY_READ, &key) != ERROR_SUCCESS) return defaultValue;
  std::uint32_t type = REG_NONE;
  std::vector<std::uint8_t> data;
  const LONG status = m_registry.QueryValue(key, valueName, &type, &data);
  m_registry.CloseKey(key);
  if (status != ERROR_SUCCESS || data.size() > kStringBufferSize) return defaultValue;
  // The stored length counts the NUL; a value stored with no bytes at all is empty text.
  if (data.empty()) return {};
  return std::string(data.begin(), data.end() - 1);
}

std::string RegistrySettings::GetMachineSetting(std::string_view subKey, std::string_view valueName,
                                                const std::string& defaultValue) {
  return GetStringValue(HKEY_LOCAL_MACHINE, subKey, valueName, defaultValue);
}

LONG RegFunctions::SetRegistryValue(HKEY hive, std::string_view subKey, std::string_view valueName,
                                    std::uint32_t valueType, const RegScalar& value, bool deleteIt) {
  HKEY key = 0;
  LONG status = m_registry.CreateKey(hive, subKey, KEY_SPECIFIC_RIGHTS, &key);
  if (status != ERROR_SUCCESS) return status;
  if (deleteIt) {
    status = m_registry.DeleteValue(key, valueName);
  } else if (valueType == REG_SZ) {
    status = m_registry.SetValue(key, valueName, REG_SZ, TextValueBytes(value.ToText()));
  } else if (valueType == REG_DWORD) {
    const auto number = value.ToInt32();
    status =
        number ? m_registry.SetValue(key, valueName, REG_DWORD, DwordValueBytes(*number)) : ERROR_INVALID_PARAMETER;
  }
  m_registry.CloseKey(key);
  return status;
}

}  // namespace zf
