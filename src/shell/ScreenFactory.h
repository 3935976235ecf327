// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's screens: the one place that names them.
#include <memory>

#include "memory/MemoryMonitor.h"
#include "ui/ChildScreen.h"

namespace zf {

class ProgramScreens {
 public:
  explicit ProgramScreens(AppServices& services) : m_services(services), m_memory(services) {}

  // The program's screen for id, not loaded yet, hosted by mainWindow; one line per screen.
  std::unique_ptr<ChildScreen> Create(ScreenId id, IMainWindow& mainWindow);

 private:
  AppServices& m_services;
  // Shared by the system status screen and the RAM booster.
  MemoryMonitor m_memory;
};

}  // namespace zf
