// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The RAM booster's background work: the memory check that arms the low-memory sound and
// frees memory automatically, and the sound that plays while it is armed.
#include <cstdint>
#include <filesystem>
#include <string>

#include "memory/FreeRAM.h"
#include "memory/ICpuUsage.h"
#include "memory/RamSettings.h"
#include "platform/memory.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/window.h"

namespace zf {

inline constexpr const char* kLowMemorySound = "low-memory.wav";

// What the check reads from the screen at the moment it runs.
class IRamAlarmView {
 public:
  virtual ~IRamAlarmView() = default;
  virtual bool SoundOnTicked() = 0;
  virtual bool AutomaticTicked() = 0;
  virtual std::string FreeAlarmText() = 0;
  // The system status screen's probe; null when that screen is not there.
  virtual ICpuUsage* CpuProbe() = 0;
};

struct RamAlarmServices {
  ISystemInfo& systemInfo;
  IWindowSystem& windowSystem;
  IShell& shell;
  ISound& sound;
  std::filesystem::path programFolder;
};

class RamAlarm {
 public:
  explicit RamAlarm(RamAlarmServices services) : m_services(std::move(services)) {}

  // The values the checks use until the next load.
  void Load(const RamSettings& values);
  // One memory check: below the alarm level it arms the sound (when the sound box is ticked)
  // and, with automatic freeing ticked and the processor quiet enough, frees memory
  // retryCount times.
  void CheckMemory(IRamAlarmView& view);
  // Plays the low-memory sound when armed.
  void PlayArmedSound();

  std::int64_t alarmLevel = 0;  // MB
  std::int64_t freeLevel = 0;   // MB, what txtFreeAlarm falls back to
  std::uint8_t cpuLimit = 0;    // percent; 0: no limit
  std::uint8_t retryCount = 0;
  bool playSound = false;
  std::int64_t bytesToFree = 0;

 private:
  bool IsBelowAlarmLevel(FreeRAM& ram) const;
  bool CpuTestPasses(ICpuUsage* probe);
  void FreeRepeatedly(FreeRAM& ram);

  RamAlarmServices m_services;
};

}  // namespace zf
