// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/MainSettingsService.h"

namespace zf {

void MainSettingsService::Load() {
  LoadMainSettings();
  SettingsChanged(false);
}

void MainSettingsService::LoadMainSettings() {
  m_values = m_settings.Read();
  // Follows the program when its folder has moved since the option was saved.
  if (m_values.chkRunMainProgram) m_settings.WriteAutoStart(true);
}

void MainSettingsService::SaveMainSettings() { m_settings.Write(m_values); }

void MainSettingsService::SetValues(const MainSettingsValues& values) {
  m_values = values;
  SettingsChanged(true);
}

}  // namespace zf
