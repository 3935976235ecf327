// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/frmMainSettings.h"

#include <QCoreApplication>

#include "ui_frmMainSettings.h"

namespace zf {

frmMainSettings::frmMainSettings(AppServices& services, IMainWindow& mainWindow, QWidget* parent)
    : ChildScreen(services, mainWindow, parent),
      m_ui(std::make_unique<Ui::frmMainSettings>()),
      m_settings(services.registry, services.shell, QCoreApplication::applicationFilePath().toStdString()) {
  m_ui->setupUi(this);
  connect(m_ui->chkRunMainProgram, &QCheckBox::toggled, this, [this] { SettingsChanged(true); });
  connect(m_ui->chkRunProgramMini, &QCheckBox::toggled, this, [this] { SettingsChanged(true); });
  connect(m_ui->cmdSave, &QPushButton::clicked, this, &frmMainSettings::cmdSave_Click);
}

frmMainSettings::~frmMainSettings() = default;

void frmMainSettings::Form_Load() {
  SkinScreen();
  LoadMainSettings();
  SettingsChanged(false);
}

void frmMainSettings::LoadMainSettings() {
  const MainSettingsValues values = m_settings.Read();
  m_ui->chkRunMainProgram->setChecked(values.chkRunMainProgram);
  m_ui->chkRunProgramMini->setChecked(values.chkRunProgramMini);
  // Follows the program when its folder has moved since the option was saved.
  if (values.chkRunMainProgram) m_settings.WriteAutoStart(true);
}

void frmMainSettings::SaveMainSettings() {
  m_settings.Write({m_ui->chkRunMainProgram->isChecked(), m_ui->chkRunProgramMini->isChecked()});
}

void frmMainSettings::SettingsChanged(bool changed) {
  m_settingsChanged = changed;
  m_ui->cmdSave->setEnabled(changed);
}

QCheckBox* frmMainSettings::chkRunMainProgram() const { return m_ui->chkRunMainProgram; }

QCheckBox* frmMainSettings::chkRunProgramMini() const { return m_ui->chkRunProgramMini; }

void frmMainSettings::cmdSave_Click() {
  SaveMainSettings();
  SettingsChanged(false);
}

}  // namespace zf
