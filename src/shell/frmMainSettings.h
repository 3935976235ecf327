// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main settings screen: start with the desktop session, start hidden in the tray.
#include <memory>

#include "shell/MainSettings.h"
#include "ui/ChildScreen.h"

class QCheckBox;

namespace Ui {
class frmMainSettings;
}

namespace zf {

class frmMainSettings : public ChildScreen {
  Q_OBJECT

 public:
  frmMainSettings(AppServices& services, IMainWindow& mainWindow, QWidget* parent = nullptr);
  ~frmMainSettings() override;

  void Form_Load() override;
  void LoadMainSettings();
  void SaveMainSettings();
  void SettingsChanged(bool changed);
  bool IsSettingsChanged() const { return m_settingsChanged; }

  QCheckBox* chkRunMainProgram() const;
  QCheckBox* chkRunProgramMini() const;

 private:
  void cmdSave_Click();

  std::unique_ptr<Ui::frmMainSettings> m_ui;
  MainSettings m_settings;
  bool m_settingsChanged = false;
};

}  // namespace zf
