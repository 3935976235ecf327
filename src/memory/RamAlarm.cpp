// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory/RamAlarm.h"

#include "memory/Rounding.h"

namespace zf {
namespace {

constexpr int kEventRoundsAroundAutoFreeing = 14;

}  // namespace

void RamAlarm::Load(const RamSettings& values) {
  alarmLevel = LevelMB(values.txtAlarm, alarmLevel);
  freeLevel = LevelMB(values.txtFreeAlarm, freeLevel);
  cpuLimit = static_cast<std::uint8_t>(values.txtRunOnly);
  retryCount = static_cast<std::uint8_t>(values.txtRetryOptimization);
}

bool RamAlarm::IsBelowAlarmLevel(FreeRAM& ram) const {
  // free bytes / 1048576 < alarmLevel, exactly: exactly at the level is not below it.
  return ram.GetFreePhysical() < alarmLevel * kBytesPerMB;
}

bool RamAlarm::CpuTestPasses(ICpuUsage* probe) {
  // The probe is asked even without a limit: every query starts the status graph's next interval.
  const std::int32_t usage = probe != nullptr ? probe->Query() : -1;
  return cpuLimit == 0 || cpuLimit > usage;
}

void RamAlarm::FreeRepeatedly(FreeRAM& ram) {
  if (retryCount == 0) retryCount = 1;
  for (int round = 0; round < retryCount; ++round) {
    m_services.windowSystem.DoEvents(kEventRoundsAroundAutoFreeing);
    const bool freed = ram.FreeUpMemory(bytesToFree).has_value();
    m_services.windowSystem.DoEvents(kEventRoundsAroundAutoFreeing);
    if (!freed) break;  // not even half could be had: more rounds would fare no better
  }
}

void RamAlarm::CheckMemory(IRamAlarmView& view) {
  FreeRAM ram(m_services.systemInfo, m_services.windowSystem, m_services.shell);
  playSound = false;
  const bool lowForSound = IsBelowAlarmLevel(ram);
  if (lowForSound && view.SoundOnTicked()) playSound = true;
  if (!view.AutomaticTicked() || !IsBelowAlarmLevel(ram)) return;
  m_services.windowSystem.DoEvents(kEventRoundsAroundAutoFreeing);
  bytesToFree = LevelMB(view.FreeAlarmText(), freeLevel) * kBytesPerMB;
  if (CpuTestPasses(view.CpuProbe())) FreeRepeatedly(ram);
}

void RamAlarm::PlayArmedSound() {
  if (playSound) m_services.sound.PlayAsync((m_services.programFolder / kLowMemorySound).string());
}

}  // namespace zf
