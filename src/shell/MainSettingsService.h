// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main settings as the program holds them from start-up on, whether or not their screen
// exists: the two options as loaded or as the user has ticked them since, and whether that
// differs from what was saved. Start-up reads its start-hidden option from here.
#include <string>

#include "shell/MainSettings.h"
#include "ui/ScreenBackground.h"

namespace zf {

class MainSettingsService : public IScreenBackground {
 public:
  MainSettingsService(IRegistry& registry, IShell& shell, std::string programPath)
      : m_settings(registry, shell, std::move(programPath)) {}

  // The load handler: the stored options read and the auto-start entry refreshed; no change pending.
  void Load() override;
  void Unload() override {}

  // The stored options, and the auto-start entry rewritten where the option is set.
  void LoadMainSettings();
  void SaveMainSettings();

  const MainSettingsValues& Values() const { return m_values; }
  // A tick of the user's: nothing is stored until a save.
  void SetValues(const MainSettingsValues& values);
  bool IsSettingsChanged() const { return m_settingsChanged; }
  void SettingsChanged(bool changed) { m_settingsChanged = changed; }

 private:
  MainSettings m_settings;
  MainSettingsValues m_values;
  bool m_settingsChanged = false;
};

}  // namespace zf
