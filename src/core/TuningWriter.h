// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writes tuning values through SetRegistryValue, one call per value, and notes every write the
// store refused. The screens stay silent about those, as the registry does; the command-line
// tool prints them.
#include <string>
#include <string_view>
#include <vector>

#include "core/RegistrySettings.h"
#include "core/RegistryStatus.h"

namespace zf {

class TuningWriter {
 public:
  // valueType: REG_SZ for the 9x layout, REG_DWORD for the NT layout.
  TuningWriter(IRegistry& registry, std::uint32_t valueType) : m_functions(registry), m_valueType(valueType) {}

  void Write(HKEY hive, std::string_view key, std::string_view name, const RegScalar& value);
  // Removing a value that is not there is no failure.
  void Delete(HKEY hive, std::string_view key, std::string_view name);
  void WriteOrDelete(HKEY hive, std::string_view key, std::string_view name, const RegScalar& value, bool deleteIt);

  int calls() const { return m_calls; }
  const std::vector<std::string>& failures() const { return m_failures; }

 private:
  void Note(LONG status, HKEY hive, std::string_view key, std::string_view name);

  RegFunctions m_functions;
  std::uint32_t m_valueType;
  int m_calls = 0;
  std::vector<std::string> m_failures;
};

}  // namespace zf
