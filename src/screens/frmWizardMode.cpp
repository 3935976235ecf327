// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/frmWizardMode.h"

#include <QCoreApplication>
#include <QSignalBlocker>
#include <string>

#include "ui_frmWizardMode.h"

namespace zf {

frmWizardMode::frmWizardMode(AppServices& services, IMainWindow& mainWindow, WizardModeLogic& logic, QWidget* parent)
    : ChildScreen(services, mainWindow, parent), m_ui(std::make_unique<Ui::frmWizardMode>()), m_logic(logic) {
  m_ui->setupUi(this);
  m_optMode = {m_ui->optMode0, m_ui->optMode1, m_ui->optMode2, m_ui->optMode3,
               m_ui->optMode4, m_ui->optMode5, m_ui->optMode6, m_ui->optMode7};
  for (int i = 0; i < kProfileCount; ++i) {
    QRadioButton* option = m_optMode[static_cast<std::size_t>(i)];
    option->setText(QCoreApplication::translate(kProfilesContext, std::string(ProfileCaption(i)).c_str()));
    connect(option, &QRadioButton::toggled, this, [this, i](bool checked) {
      if (checked) optMode_Click(i);
    });
  }
  connect(m_ui->cmdOptimize, &QPushButton::clicked, this, &frmWizardMode::cmdOptimize_Click);
}

frmWizardMode::~frmWizardMode() = default;

void frmWizardMode::Form_Load() {
  SkinScreen();
  Refresh();
}

void frmWizardMode::optMode_Click(int index) {
  m_logic.optMode_Click(index);
  Refresh();
}

void frmWizardMode::cmdOptimize_Click() {
  m_logic.cmdOptimize_Click();
  Refresh();
}

void frmWizardMode::showEvent(QShowEvent* event) {
  Refresh();
  ChildScreen::showEvent(event);
}

void frmWizardMode::Refresh() {
  QRadioButton* selected = m_optMode[static_cast<std::size_t>(m_logic.selectedMode())];
  {
    const QSignalBlocker blocker(selected);
    selected->setChecked(true);
  }
  m_ui->lblModeDescrip->setText(m_logic.description());
  m_ui->lblAdvancedValues->setVisible(m_logic.AdvancedValuesPending());
  const QString capLine = m_logic.capLine();
  m_ui->lblCapLine->setText(capLine);
  m_ui->lblCapLine->setVisible(!capLine.isEmpty());
}

}  // namespace zf
