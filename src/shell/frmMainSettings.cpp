// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/frmMainSettings.h"

#include <QSignalBlocker>

#include "ui_frmMainSettings.h"

namespace zf {

frmMainSettings::frmMainSettings(AppServices& services, IMainWindow& mainWindow, MainSettingsService& settings,
                                 QWidget* parent)
    : ChildScreen(services, mainWindow, parent), m_ui(std::make_unique<Ui::frmMainSettings>()), m_settings(settings) {
  m_ui->setupUi(this);
  connect(m_ui->chkRunMainProgram, &QCheckBox::toggled, this, &frmMainSettings::Ticked);
  connect(m_ui->chkRunProgramMini, &QCheckBox::toggled, this, &frmMainSettings::Ticked);
  connect(m_ui->cmdSave, &QPushButton::clicked, this, &frmMainSettings::cmdSave_Click);
}

frmMainSettings::~frmMainSettings() = default;

void frmMainSettings::Form_Load() {
  SkinScreen();
  ShowValues();
}

void frmMainSettings::ShowValues() {
  const MainSettingsValues& values = m_settings.Values();
  for (auto [box, checked] : {std::pair{m_ui->chkRunMainProgram, values.chkRunMainProgram},
                              std::pair{m_ui->chkRunProgramMini, values.chkRunProgramMini}}) {
    const QSignalBlocker blocker(box);
    box->setChecked(checked);
  }
  m_ui->cmdSave->setEnabled(m_settings.IsSettingsChanged());
}

// A tick by the user or from code counts alike: Save is enabled, nothing is stored.
void frmMainSettings::Ticked() {
  m_settings.SetValues({m_ui->chkRunMainProgram->isChecked(), m_ui->chkRunProgramMini->isChecked()});
  m_ui->cmdSave->setEnabled(true);
}

QCheckBox* frmMainSettings::chkRunMainProgram() const { return m_ui->chkRunMainProgram; }

QCheckBox* frmMainSettings::chkRunProgramMini() const { return m_ui->chkRunProgramMini; }

void frmMainSettings::cmdSave_Click() {
  m_settings.SaveMainSettings();
  m_settings.SettingsChanged(false);
  m_ui->cmdSave->setEnabled(false);
}

}  // namespace zf
