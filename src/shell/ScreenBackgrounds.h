// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the start-up screens do from start-up on, whether or not their widgets exist: one
// background per screen, made afresh at each load, and what the two memory screens share.
#include <memory>

#include "memory/MemoryMonitor.h"
#include "pinger/PingerService.h"
#include "ui/ScreenBackground.h"
#include "ui/ScreenId.h"

namespace zf {

class IMainWindow;

class ScreenBackgrounds {
 public:
  explicit ScreenBackgrounds(AppServices& services);
  ~ScreenBackgrounds();
  ScreenBackgrounds(const ScreenBackgrounds&) = delete;
  ScreenBackgrounds& operator=(const ScreenBackgrounds&) = delete;

  // A new background for the screen, not loaded yet, in place of the last one; null for a
  // screen without one.
  IScreenBackground* Make(ScreenId id, IMainWindow& mainWindow);

  // The current backgrounds, for the widgets that attach to them.
  PingerService& Pinger() { return *m_pinger; }
  MemoryMonitor& Memory() { return m_memory; }

 private:
  AppServices& m_services;
  // Shared by the system status screen and the RAM booster.
  MemoryMonitor m_memory;
  std::unique_ptr<PingerService> m_pinger;
};

}  // namespace zf
