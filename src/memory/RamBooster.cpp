// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/RamBooster.h"

#include "core/AppServices.h"
#include "core/RegistrySettings.h"

namespace zf {
namespace {

constexpr int kInitialCheckInterval = 100;
constexpr int kSoundInterval = 65535;

}  // namespace

RamBooster::RamBooster(AppServices& services, MemoryMonitor& memory, QObject* parent)
    : QObject(parent),
      m_services(services),
      m_memory(memory),
      m_alarm(RamAlarmServices{services.systemInfo, services.windowSystem, services.shell, services.sound,
                               services.config.programFolder}),
      tmrAlarm(this),
      tmrSoundPlayer(this) {
  tmrAlarm.setObjectName(QStringLiteral("tmrAlarm"));
  tmrSoundPlayer.setObjectName(QStringLiteral("tmrSoundPlayer"));
  // Qt coarsens timers of 20 s and more to whole seconds unless told otherwise.
  tmrAlarm.setTimerType(Qt::PreciseTimer);
  tmrSoundPlayer.setTimerType(Qt::PreciseTimer);
  tmrAlarm.setInterval(kInitialCheckInterval);
  tmrSoundPlayer.setInterval(kSoundInterval);
  connect(&tmrAlarm, &QTimer::timeout, this, [this] { m_alarm.CheckMemory(*this); });
  connect(&tmrSoundPlayer, &QTimer::timeout, this, [this] { m_alarm.PlayArmedSound(); });
}

RamBooster::~RamBooster() = default;

void RamBooster::Load() {
  tmrAlarm.start();
  tmrSoundPlayer.start();
  LoadRamSettings();
}

void RamBooster::Unload() {
  tmrAlarm.stop();
  tmrSoundPlayer.stop();
}

void RamBooster::LoadRamSettings() {
  RegistrySettings settings(m_services.registry);
  SetFields(ReadRamSettings(settings));
  m_alarm.Load(m_fields);
  ApplyCheckInterval(m_fields.txtTimeCheck);
  m_settingsChanged = false;
  emit FieldsLoaded();
}

void RamBooster::SaveRamSettings() {
  RegistrySettings settings(m_services.registry);
  WriteRamSettings(settings, m_fields);
  m_settingsChanged = false;
}

void RamBooster::Save() {
  SaveRamSettings();
  LoadRamSettings();
}

void RamBooster::SetFields(const RamSettings& fields) {
  m_fields = fields;
  m_memory.SetTipInPercent(fields.optPer);
}

void RamBooster::ApplyCheckInterval(int milliseconds) {
  // A zero interval means no checks at all, not checks as fast as the loop turns.
  if (milliseconds == 0) {
    tmrAlarm.stop();
  } else {
    tmrAlarm.start(milliseconds);
  }
}

}  // namespace zf
