// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's screens: the one place that names them.
#include <memory>

#include "kernel/IKernelBridge.h"
#include "shell/ScreenBackgrounds.h"
#include "shell/ScreenHost.h"
#include "ui/ChildScreen.h"

namespace zf {

// What some screens use beyond AppServices, made before the screens.
struct ScreenServices {
  kernel::IKernelBridge& kernelBridge;
  // What follows a tuning run or a restore.
  ITuningFollowUp& followUp;
  // zentrofastctl, which measures the connection for the connection test.
  QString measuringProgram = {};
};

class ProgramScreens {
 public:
  ProgramScreens(AppServices& services, ScreenServices extra)
      : m_services(services), m_extra(extra), m_backgrounds(services, extra.followUp) {}

  // The program's screen for id, not loaded yet, hosted by mainWindow; one line per screen.
  // A screen with a background attaches to the one loaded last.
  std::unique_ptr<ChildScreen> Create(ScreenId id, IMainWindow& mainWindow);
  IScreenBackground* Background(ScreenId id, IMainWindow& mainWindow) { return m_backgrounds.Make(id, mainWindow); }
  // Both, for the main window.
  ScreenFactory Factory();
  ScreenBackgrounds& Backgrounds() { return m_backgrounds; }

 private:
  AppServices& m_services;
  ScreenServices m_extra;
  ScreenBackgrounds m_backgrounds;
};

}  // namespace zf
