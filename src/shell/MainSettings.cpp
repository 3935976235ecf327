// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MainSettings.h"

#include "core/RegistrySettings.h"

namespace zf {
namespace {

const std::string kSection = SettingsSection(kSectionMainSettings);

// Any whole number other than 0 sets the option; anything else clears it.
bool OptionSet(const std::string& stored) {
  const auto number = RegScalar(stored).ToInt32();
  return number.has_value() && *number != 0;
}

}  // namespace

MainSettingsValues MainSettings::Read() {
  RegistrySettings settings(m_registry);
  return {OptionSet(settings.GetMachineSetting(kSection, "chkRunMainProgram", "0")),
          OptionSet(settings.GetMachineSetting(kSection, "chkRunProgramMini", "0"))};
}

void MainSettings::Write(const MainSettingsValues& values) {
  RegistrySettings settings(m_registry);
  settings.SaveMachineSetting(kSection, "chkRunMainProgram", values.chkRunMainProgram ? 1 : 0);
  settings.SaveMachineSetting(kSection, "chkRunProgramMini", values.chkRunProgramMini ? 1 : 0);
  WriteAutoStart(values.chkRunMainProgram);
}

void MainSettings::WriteAutoStart(bool enabled) {
  RegFunctions(m_registry).SetRegistryValue(HKEY_CURRENT_USER, kRunKey, kRunValueName, REG_SZ, m_programPath, !enabled);
  m_shell.SetAutoStart(kRunValueName, enabled ? m_programPath : std::string());
}

}  // namespace zf
