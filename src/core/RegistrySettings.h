// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text values of the program's own settings, and the typed writer every tuning value goes
// through. All failures are silent: reads fall back to their default, writes return a status.
#include <string>
#include <string_view>

#include "core/RegScalar.h"
#include "platform/registry.h"

namespace zf {

// The program's settings root below HKEY_LOCAL_MACHINE and its sections.
inline constexpr std::string_view kSettingsRoot = "SOFTWARE\\Tessel\\Zentrofast";
inline constexpr std::string_view kSectionNetPinger = "\\Settings\\NetPinger";
inline constexpr std::string_view kSectionRamSettings = "\\Settings\\RamSettings";
inline constexpr std::string_view kSectionMainSettings = "\\Settings\\MainSettings";

class RegistrySettings {
 public:
  explicit RegistrySettings(IRegistry& registry) : m_registry(registry) {}

  void SaveStringValue(HKEY hive, std::string_view subKey, std::string_view valueName, const RegScalar& value);
  void SaveMachineSetting(std::string_view subKey, std::string_view valueName, const RegScalar& value);
  std::string GetStringValue(HKEY hive, std::string_view subKey, std::string_view valueName,
                             const std::string& defaultValue);
  std::string GetMachineSetting(std::string_view subKey, std::string_view valueName, const std::string& defaultValue);

 private:
  IRegistry& m_registry;
};

class RegFunctions {
 public:
  explicit RegFunctions(IRegistry& registry) : m_registry(registry) {}

  // Writes valueName as text (type 1) or a 32-bit number (type 4), or deletes it; the key is
  // created in every case. Returns the registry status.
  LONG SetRegistryValue(HKEY hive, std::string_view subKey, std::string_view valueName, std::uint32_t valueType,
                        const RegScalar& value, bool deleteIt);

 private:
  IRegistry& m_registry;
};

// The exact bytes of the two value types the program writes.
std::vector<std::uint8_t> TextValueBytes(std::string_view text);
std::vector<std::uint8_t> DwordValueBytes(std::int32_t value);
// The settings root followed by a section ("\Settings\NetPinger").
std::string SettingsSection(std::string_view section);

}  // namespace zf
