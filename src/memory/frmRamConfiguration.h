// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The RAM booster screen: alarm level, low-memory sound, automatic freeing gated by processor
// usage, and how the tray tip shows memory. Its checks run while it is hidden.
#include <QTimer>
#include <memory>

#include "memory/MemoryMonitor.h"
#include "memory/RamAlarm.h"
#include "memory/RamSettings.h"
#include "ui/ChildScreen.h"

namespace Ui {
class frmRamConfiguration;
}

namespace zf {

class frmRamConfiguration : public ChildScreen, private IRamAlarmView {
  Q_OBJECT

 public:
  frmRamConfiguration(AppServices& services, IMainWindow& mainWindow, MemoryMonitor& memory, QWidget* parent = nullptr);
  ~frmRamConfiguration() override;

  void Form_Load() override;
  void Form_Unload() override;

  // "Percentage of Free RAM" is selected: the tray tip is in percent.
  bool IsOptPerSelected() const;

  // Puts the stored values into the fields and puts them into effect.
  void LoadRamSettings();
  void SaveRamSettings();

 private:
  // What the memory check reads from the fields.
  bool SoundOnTicked() override;
  bool AutomaticTicked() override;
  std::string FreeAlarmText() override;
  ICpuUsage* CpuProbe() override;

  void PutValues(const RamSettings& values);
  RamSettings FieldValues() const;
  void SetSettingsChanged();
  void ClearSettingsChanged();
  void ChkAutomaticClicked();
  void ChkSoundonClicked();
  void OptionClicked();
  void ApplySpinRange(int maximum);
  void ValidateAlarm();
  void ValidateFreeAlarm();
  void Save();
  void ApplyCheckInterval(int milliseconds);

  MemoryMonitor& m_memory;
  std::unique_ptr<Ui::frmRamConfiguration> m_ui;
  RamAlarm m_alarm;
  bool SettingsChanged = false;
  QTimer tmrAlarm;
  QTimer tmrSoundPlayer;
};

}  // namespace zf
