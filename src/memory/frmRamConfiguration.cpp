// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/frmRamConfiguration.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "ui_frmRamConfiguration.h"

namespace zf {

frmRamConfiguration::frmRamConfiguration(AppServices& services, IMainWindow& mainWindow, RamBooster& booster,
                                         QWidget* parent)
    : ChildScreen(services, mainWindow, parent), m_booster(booster), m_ui(std::make_unique<Ui::frmRamConfiguration>()) {
  m_ui->setupUi(this);
  for (QCheckBox* box : {m_ui->chkAutomatic, m_ui->chkSoundon})
    connect(box, &QCheckBox::clicked, this, [this] {
      EnableFields();
      FieldsEdited();
    });
  connect(m_ui->optMB, &QRadioButton::clicked, this, &frmRamConfiguration::OptionClicked);
  connect(m_ui->optPer, &QRadioButton::clicked, this, &frmRamConfiguration::OptionClicked);
  // The tray tip follows the option as shown, saved or not.
  connect(m_ui->optPer, &QRadioButton::toggled, this, &frmRamConfiguration::FieldsEdited);
  connect(m_ui->txtAlarm, &QLineEdit::textChanged, this, &frmRamConfiguration::ValidateAlarm);
  connect(m_ui->txtFreeAlarm, &QLineEdit::textChanged, this, &frmRamConfiguration::ValidateFreeAlarm);
  for (QSpinBox* spin : {m_ui->updnTimeCheck, m_ui->UpDownRunOnly, m_ui->UpDownRetryOptimization})
    connect(spin, &QSpinBox::valueChanged, this, &frmRamConfiguration::FieldsEdited);
  connect(m_ui->cmdSave, &QPushButton::clicked, this, [this] { m_booster.Save(); });
  connect(&m_booster, &RamBooster::FieldsLoaded, this, &frmRamConfiguration::ShowFields);
}

frmRamConfiguration::~frmRamConfiguration() = default;

void frmRamConfiguration::Form_Load() {
  SkinScreen();
  ShowFields();
}

bool frmRamConfiguration::IsOptPerSelected() const { return m_ui->optPer->isChecked(); }

void frmRamConfiguration::ShowFields() {
  const RamSettings& values = m_booster.Fields();
  m_showing = true;
  m_ui->chkSoundon->setChecked(values.chkSoundon);
  m_ui->chkAutomatic->setChecked(values.chkAutomatic);
  m_ui->txtAlarm->setText(QString::fromStdString(values.txtAlarm));
  m_ui->txtFreeAlarm->setText(QString::fromStdString(values.txtFreeAlarm));
  m_ui->updnTimeCheck->setValue(values.txtTimeCheck);
  (values.optPer ? m_ui->optPer : m_ui->optMB)->setChecked(true);
  // The range first: the last two values may need the wider one.
  ApplySpinRange(SpinMaximum(values.optPer));
  m_ui->UpDownRunOnly->setValue(values.txtRunOnly);
  m_ui->UpDownRetryOptimization->setValue(values.txtRetryOptimization);
  EnableFields();
  m_ui->cmdSave->setEnabled(m_booster.SettingsChanged());
  m_showing = false;
}

RamSettings frmRamConfiguration::FieldValues() const {
  RamSettings values;
  values.chkSoundon = m_ui->chkSoundon->isChecked();
  values.chkAutomatic = m_ui->chkAutomatic->isChecked();
  values.txtAlarm = m_ui->txtAlarm->text().toStdString();
  values.txtFreeAlarm = m_ui->txtFreeAlarm->text().toStdString();
  values.txtTimeCheck = m_ui->updnTimeCheck->value();
  values.optPer = m_ui->optPer->isChecked();
  values.txtRunOnly = m_ui->UpDownRunOnly->value();
  values.txtRetryOptimization = m_ui->UpDownRetryOptimization->value();
  return values;
}

void frmRamConfiguration::FieldsEdited() {
  if (m_showing) return;
  m_booster.SetFields(FieldValues());
  m_booster.SetSettingsChanged(true);
  m_ui->cmdSave->setEnabled(true);
}

void frmRamConfiguration::EnableFields() {
  const bool automatic = m_ui->chkAutomatic->isChecked();
  m_ui->txtFreeAlarm->setEnabled(automatic);
  m_ui->updnTimeCheck->setEnabled(automatic);
  m_ui->txtAlarm->setEnabled(m_ui->chkSoundon->isChecked());
}

void frmRamConfiguration::OptionClicked() {
  ApplySpinRange(SpinMaximum(m_ui->optPer->isChecked()));
  FieldsEdited();
}

void frmRamConfiguration::ApplySpinRange(int maximum) {
  for (QSpinBox* spin : {m_ui->UpDownRunOnly, m_ui->UpDownRetryOptimization}) {
    spin->setMaximum(maximum);
    spin->setMinimum(0);
  }
}

void frmRamConfiguration::ValidateAlarm() {
  if (!IsValidAlarmText(m_ui->txtAlarm->text().toStdString()))
    m_ui->txtAlarm->setText(QString::number(m_booster.Alarm().alarmLevel));
  FieldsEdited();
}

void frmRamConfiguration::ValidateFreeAlarm() {
  if (!IsValidFreeAlarmText(m_ui->txtFreeAlarm->text().toStdString()))
    m_ui->txtFreeAlarm->setText(QString::number(m_booster.Alarm().freeLevel));
  FieldsEdited();
}

}  // namespace zf
