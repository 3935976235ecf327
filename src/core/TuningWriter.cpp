// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/TuningWriter.h"

namespace zf {
namespace {

std::string HiveShortName(HKEY hive) {
  switch (hive) {
    case HKEY_CURRENT_USER: return "HKCU";
    case HKEY_LOCAL_MACHINE: return "HKLM";
    case HKEY_CLASSES_ROOT: return "HKCR";
    case HKEY_USERS: return "HKU";
    default: return "HKEY(" + std::to_string(hive) + ")";
  }
}

}  // namespace

void TuningWriter::Write(HKEY hive, std::string_view key, std::string_view name, const RegScalar& value) {
  WriteOrDelete(hive, key, name, value, false);
}

void TuningWriter::Delete(HKEY hive, std::string_view key, std::string_view name) {
  WriteOrDelete(hive, key, name, 0, true);
}

void TuningWriter::WriteOrDelete(HKEY hive, std::string_view key, std::string_view name, const RegScalar& value,
                                 bool deleteIt) {
  ++m_calls;
  const LONG status = m_functions.SetRegistryValue(hive, key, name, m_valueType, value, deleteIt);
  if (status == ERROR_SUCCESS || (deleteIt && status == ERROR_FILE_NOT_FOUND)) return;
  Note(status, hive, key, name);
}

void TuningWriter::Note(LONG status, HKEY hive, std::string_view key, std::string_view name) {
  const std::string shown = name.empty() ? std::string("(default)") : std::string(name);
  m_failures.push_back(HiveShortName(hive) + "\\" + std::string(key) + " " + shown + ": " + RegistryStatusText(status));
}

}  // namespace zf
