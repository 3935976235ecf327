// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the start-up screens do from start-up on, whether or not their widgets exist: one
// background per screen, made afresh at each load, and what the two memory screens share.
#include <memory>

#include "backups/BackupManagerLogic.h"
#include "memory/MemoryMonitor.h"
#include "memory/RamBooster.h"
#include "memory/StatusMonitor.h"
#include "pinger/PingerService.h"
#include "screens/WizardModeLogic.h"
#include "shell/MainSettingsService.h"
#include "ui/ITuningFollowUp.h"
#include "ui/ScreenBackground.h"
#include "ui/ScreenId.h"

namespace zf {

class IMainWindow;

class ScreenBackgrounds {
 public:
  ScreenBackgrounds(AppServices& services, ITuningFollowUp& followUp);
  ~ScreenBackgrounds();
  ScreenBackgrounds(const ScreenBackgrounds&) = delete;
  ScreenBackgrounds& operator=(const ScreenBackgrounds&) = delete;

  // A new background for the screen, not loaded yet, in place of the last one; null for a
  // screen without one.
  IScreenBackground* Make(ScreenId id, IMainWindow& mainWindow);

  // The current backgrounds, for the widgets that attach to them.
  WizardModeLogic& Wizard() { return *m_wizard; }
  BackupManagerLogic& Backups() { return *m_backups; }
  PingerService& Pinger() { return *m_pinger; }
  StatusMonitor& Status() { return *m_status; }
  RamBooster& Booster() { return *m_booster; }
  MainSettingsService& Settings() { return *m_settings; }

 private:
  AppServices& m_services;
  ITuningFollowUp& m_followUp;
  // Shared by the system status screen and the RAM booster.
  MemoryMonitor m_memory;
  std::unique_ptr<WizardModeLogic> m_wizard;
  std::unique_ptr<BackupManagerLogic> m_backups;
  std::unique_ptr<PingerService> m_pinger;
  std::unique_ptr<StatusMonitor> m_status;
  std::unique_ptr<RamBooster> m_booster;
  std::unique_ptr<MainSettingsService> m_settings;
};

}  // namespace zf
