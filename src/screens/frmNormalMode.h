// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The advanced mode: eight pages that set every tuning parameter with a recommendation and an
// explanation beside each, applied on the last page.
#include <array>
#include <memory>

#include "screens/NormalModeLogic.h"
#include "ui/ChildScreen.h"
#include "ui/ScreenContracts.h"

class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace Ui {
class frmNormalMode;
}

namespace zf {

class frmNormalMode : public ChildScreen, public IWizardPagesScreen {
  Q_OBJECT

 public:
  frmNormalMode(AppServices& services, IMainWindow& mainWindow, ITuningFollowUp& followUp, QWidget* parent = nullptr);
  ~frmNormalMode() override;

  void Form_Load() override;
  // currWizardPage: the page Form_Load starts on; whoever opens the screen sets it first.
  void SetCurrWizardPage(int page) override;

 private:
  void ConnectControls();
  void ConnectValidatedBoxes();
  // Runs a handler of the logic, then shows what it changed.
  template <typename Handler>
  void Handle(Handler handler);
  void Refresh();
  void RefreshTexts();

  std::unique_ptr<Ui::frmNormalMode> m_ui;
  NormalModeLogic m_logic;
  std::array<QGroupBox*, kWizardPageCount> m_frmWizardPages{};
  std::array<QRadioButton*, kConnectionTypeCount> m_optConnType{};
  std::array<QLineEdit*, kValidatedBoxCount> m_validatedBoxes{};
};

}  // namespace zf
