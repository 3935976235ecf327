// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/frmRamConfiguration.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "core/RegistrySettings.h"
#include "ui_frmRamConfiguration.h"

namespace zf {
namespace {

constexpr int kInitialCheckInterval = 100;
constexpr int kSoundInterval = 65535;

}  // namespace

frmRamConfiguration::frmRamConfiguration(AppServices& services, IMainWindow& mainWindow, MemoryMonitor& memory,
                                         QWidget* parent)
    : ChildScreen(services, mainWindow, parent),
      m_memory(memory),
      m_ui(std::make_unique<Ui::frmRamConfiguration>()),
      m_alarm(RamAlarmServices{services.systemInfo, services.windowSystem, services.shell, services.sound,
                               services.config.programFolder}),
      tmrAlarm(this),
      tmrSoundPlayer(this) {
  m_ui->setupUi(this);
  tmrAlarm.setObjectName(QStringLiteral("tmrAlarm"));
  tmrSoundPlayer.setObjectName(QStringLiteral("tmrSoundPlayer"));
  // Qt coarsens timers of 20 s and more to whole seconds unless told otherwise.
  tmrAlarm.setTimerType(Qt::PreciseTimer);
  tmrSoundPlayer.setTimerType(Qt::PreciseTimer);
  tmrAlarm.setInterval(kInitialCheckInterval);
  tmrSoundPlayer.setInterval(kSoundInterval);
  connect(&tmrAlarm, &QTimer::timeout, this, [this] { m_alarm.CheckMemory(*this); });
  connect(&tmrSoundPlayer, &QTimer::timeout, this, [this] { m_alarm.PlayArmedSound(); });
  connect(m_ui->chkAutomatic, &QCheckBox::clicked, this, &frmRamConfiguration::ChkAutomaticClicked);
  connect(m_ui->chkSoundon, &QCheckBox::clicked, this, &frmRamConfiguration::ChkSoundonClicked);
  connect(m_ui->optMB, &QRadioButton::clicked, this, &frmRamConfiguration::OptionClicked);
  connect(m_ui->optPer, &QRadioButton::clicked, this, &frmRamConfiguration::OptionClicked);
  // The tray tip follows the option as shown, saved or not.
  connect(m_ui->optPer, &QRadioButton::toggled, this, [this](bool inPercent) { m_memory.SetTipInPercent(inPercent); });
  connect(m_ui->txtAlarm, &QLineEdit::textChanged, this, &frmRamConfiguration::ValidateAlarm);
  connect(m_ui->txtFreeAlarm, &QLineEdit::textChanged, this, &frmRamConfiguration::ValidateFreeAlarm);
  for (QSpinBox* spin : {m_ui->updnTimeCheck, m_ui->UpDownRunOnly, m_ui->UpDownRetryOptimization})
    connect(spin, &QSpinBox::valueChanged, this, &frmRamConfiguration::SetSettingsChanged);
  connect(m_ui->cmdSave, &QPushButton::clicked, this, &frmRamConfiguration::Save);
}

frmRamConfiguration::~frmRamConfiguration() = default;

void frmRamConfiguration::Form_Load() {
  SkinScreen();
  tmrAlarm.start();
  tmrSoundPlayer.start();
  LoadRamSettings();
}

void frmRamConfiguration::Form_Unload() {
  tmrAlarm.stop();
  tmrSoundPlayer.stop();
}

bool frmRamConfiguration::IsOptPerSelected() const { return m_ui->optPer->isChecked(); }

void frmRamConfiguration::LoadRamSettings() {
  RegistrySettings settings(m_services.registry);
  PutValues(ReadRamSettings(settings));
  const RamSettings shown = FieldValues();
  m_alarm.Load(shown);
  ChkAutomaticClicked();
  ChkSoundonClicked();
  ApplyCheckInterval(shown.txtTimeCheck);
  ClearSettingsChanged();
}

void frmRamConfiguration::SaveRamSettings() {
  RegistrySettings settings(m_services.registry);
  WriteRamSettings(settings, FieldValues());
  ClearSettingsChanged();
}

void frmRamConfiguration::Save() {
  SaveRamSettings();
  LoadRamSettings();
}

void frmRamConfiguration::PutValues(const RamSettings& values) {
  m_ui->chkSoundon->setChecked(values.chkSoundon);
  m_ui->chkAutomatic->setChecked(values.chkAutomatic);
  m_ui->txtAlarm->setText(QString::fromStdString(values.txtAlarm));
  m_ui->txtFreeAlarm->setText(QString::fromStdString(values.txtFreeAlarm));
  m_ui->updnTimeCheck->setValue(values.txtTimeCheck);
  // Selecting an option runs its reaction, which sets the range the last two values need.
  (values.optPer ? m_ui->optPer : m_ui->optMB)->setChecked(true);
  OptionClicked();
  m_ui->UpDownRunOnly->setValue(values.txtRunOnly);
  m_ui->UpDownRetryOptimization->setValue(values.txtRetryOptimization);
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

void frmRamConfiguration::SetSettingsChanged() {
  SettingsChanged = true;
  m_ui->cmdSave->setEnabled(true);
}

void frmRamConfiguration::ClearSettingsChanged() {
  SettingsChanged = false;
  m_ui->cmdSave->setEnabled(false);
}

void frmRamConfiguration::ChkAutomaticClicked() {
  SetSettingsChanged();
  const bool automatic = m_ui->chkAutomatic->isChecked();
  m_ui->txtFreeAlarm->setEnabled(automatic);
  m_ui->updnTimeCheck->setEnabled(automatic);
}

void frmRamConfiguration::ChkSoundonClicked() {
  SetSettingsChanged();
  m_ui->txtAlarm->setEnabled(m_ui->chkSoundon->isChecked());
}

void frmRamConfiguration::OptionClicked() {
  SetSettingsChanged();
  ApplySpinRange(SpinMaximum(m_ui->optPer->isChecked()));
}

void frmRamConfiguration::ApplySpinRange(int maximum) {
  for (QSpinBox* spin : {m_ui->UpDownRunOnly, m_ui->UpDownRetryOptimization}) {
    spin->setMaximum(maximum);
    spin->setMinimum(0);
  }
}

void frmRamConfiguration::ValidateAlarm() {
  if (!IsValidAlarmText(m_ui->txtAlarm->text().toStdString()))
    m_ui->txtAlarm->setText(QString::number(m_alarm.alarmLevel));
  SetSettingsChanged();
}

void frmRamConfiguration::ValidateFreeAlarm() {
  if (!IsValidFreeAlarmText(m_ui->txtFreeAlarm->text().toStdString()))
    m_ui->txtFreeAlarm->setText(QString::number(m_alarm.freeLevel));
  SetSettingsChanged();
}

void frmRamConfiguration::ApplyCheckInterval(int milliseconds) {
  // A zero interval means no checks at all, not checks as fast as the loop turns.
  if (milliseconds == 0) {
    tmrAlarm.stop();
  } else {
    tmrAlarm.start(milliseconds);
  }
}

bool frmRamConfiguration::SoundOnTicked() { return m_ui->chkSoundon->isChecked(); }

bool frmRamConfiguration::AutomaticTicked() { return m_ui->chkAutomatic->isChecked(); }

std::string frmRamConfiguration::FreeAlarmText() { return m_ui->txtFreeAlarm->text().toStdString(); }

ICpuUsage* frmRamConfiguration::CpuProbe() { return &m_memory.QueryObject(); }

}  // namespace zf
