// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main settings screen: start with the desktop session, start hidden in the tray. Made on
// first use, it shows the options the main settings service holds and hands each tick to it.
#include <memory>

#include "shell/MainSettingsService.h"
#include "ui/ChildScreen.h"

class QCheckBox;

namespace Ui {
class frmMainSettings;
}

namespace zf {

class frmMainSettings : public ChildScreen {
  Q_OBJECT

 public:
  frmMainSettings(AppServices& services, IMainWindow& mainWindow, MainSettingsService& settings,
                  QWidget* parent = nullptr);
  ~frmMainSettings() override;

  // Skins the screen and shows the options as the service holds them.
  void Form_Load() override;
  bool IsSettingsChanged() const { return m_settings.IsSettingsChanged(); }

  QCheckBox* chkRunMainProgram() const;
  QCheckBox* chkRunProgramMini() const;

 private:
  void ShowValues();
  void Ticked();
  void cmdSave_Click();

  std::unique_ptr<Ui::frmMainSettings> m_ui;
  MainSettingsService& m_settings;
};

}  // namespace zf
