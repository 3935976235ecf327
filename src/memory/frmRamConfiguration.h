// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The RAM booster screen: alarm level, low-memory sound, automatic freeing gated by processor
// usage, and how the tray tip shows memory. The checks run in the RAM booster from start-up
// on; this screen, made on first use, shows its fields and hands every edit to it at once.
#include <memory>

#include "memory/RamBooster.h"
#include "ui/ChildScreen.h"

namespace Ui {
class frmRamConfiguration;
}

namespace zf {

class frmRamConfiguration : public ChildScreen {
  Q_OBJECT

 public:
  frmRamConfiguration(AppServices& services, IMainWindow& mainWindow, RamBooster& booster, QWidget* parent = nullptr);
  ~frmRamConfiguration() override;

  // Skins the screen and shows the booster's fields as they are now.
  void Form_Load() override;

  // "Percentage of Free RAM" is selected: the tray tip is in percent.
  bool IsOptPerSelected() const;

 private:
  void ShowFields();
  RamSettings FieldValues() const;
  // An edit of the user's: the booster takes the fields, and Save is enabled.
  void FieldsEdited();
  void EnableFields();
  void OptionClicked();
  void ApplySpinRange(int maximum);
  void ValidateAlarm();
  void ValidateFreeAlarm();

  RamBooster& m_booster;
  std::unique_ptr<Ui::frmRamConfiguration> m_ui;
  bool m_showing = false;  // the fields are being filled from the booster, not edited
};

}  // namespace zf
