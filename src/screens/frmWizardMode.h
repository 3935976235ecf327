// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wizard: pick one of the eight profiles, read its summary, optimise in one action.
#include <array>
#include <memory>

#include "screens/WizardModeLogic.h"
#include "ui/ChildScreen.h"

class QRadioButton;

namespace Ui {
class frmWizardMode;
}

namespace zf {

class frmWizardMode : public ChildScreen {
  Q_OBJECT

 public:
  frmWizardMode(AppServices& services, IMainWindow& mainWindow, WizardModeLogic& logic, QWidget* parent = nullptr);
  ~frmWizardMode() override;

  // Skins the screen and shows the option and description the logic holds.
  void Form_Load() override;

 protected:
  // The record may have been changed by the advanced mode while this screen was away.
  void showEvent(QShowEvent* event) override;

 private:
  void optMode_Click(int index);
  void cmdOptimize_Click();
  void Refresh();

  std::unique_ptr<Ui::frmWizardMode> m_ui;
  WizardModeLogic& m_logic;
  std::array<QRadioButton*, kProfileCount> m_optMode{};
};

}  // namespace zf
