// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The RAM booster as it runs from start-up on, whether or not its screen exists: the stored
// values, the fields as the user has left them (the checks read them at once, saved or not),
// the alarm and sound timers, and the tray tip's unit.
#include <QObject>
#include <QTimer>

#include "memory/MemoryMonitor.h"
#include "memory/RamAlarm.h"
#include "memory/RamSettings.h"
#include "ui/ScreenBackground.h"

namespace zf {

struct AppServices;

class RamBooster : public QObject, public IScreenBackground, private IRamAlarmView {
  Q_OBJECT

 public:
  RamBooster(AppServices& services, MemoryMonitor& memory, QObject* parent = nullptr);
  ~RamBooster() override;

  // The load handler: both timers started, then the stored values put into effect.
  void Load() override;
  void Unload() override;

  // Puts the stored values into the fields and into effect.
  void LoadRamSettings();
  void SaveRamSettings();
  // Save, then load what was saved.
  void Save();

  const RamSettings& Fields() const { return m_fields; }
  // The user's edit of the fields: the checks and the tray tip follow it at once.
  void SetFields(const RamSettings& fields);
  bool SettingsChanged() const { return m_settingsChanged; }
  void SetSettingsChanged(bool changed) { m_settingsChanged = changed; }
  const RamAlarm& Alarm() const { return m_alarm; }

 signals:
  // The fields were replaced by the stored values.
  void FieldsLoaded();

 private:
  bool SoundOnTicked() override { return m_fields.chkSoundon; }
  bool AutomaticTicked() override { return m_fields.chkAutomatic; }
  std::string FreeAlarmText() override { return m_fields.txtFreeAlarm; }
  ICpuUsage* CpuProbe() override { return &m_memory.QueryObject(); }
  void ApplyCheckInterval(int milliseconds);

  AppServices& m_services;
  MemoryMonitor& m_memory;
  RamAlarm m_alarm;
  RamSettings m_fields;
  bool m_settingsChanged = false;
  QTimer tmrAlarm;
  QTimer tmrSoundPlayer;
};

}  // namespace zf
