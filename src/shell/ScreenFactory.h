// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's screens: the one place that names them.
#include <memory>

#include "shell/ScreenBackgrounds.h"
#include "shell/ScreenHost.h"
#include "ui/ChildScreen.h"

namespace zf {

class ProgramScreens {
 public:
  explicit ProgramScreens(AppServices& services) : m_services(services), m_backgrounds(services) {}

  // The program's screen for id, not loaded yet, hosted by mainWindow; one line per screen.
  // A screen with a background attaches to the one loaded last.
  std::unique_ptr<ChildScreen> Create(ScreenId id, IMainWindow& mainWindow);
  IScreenBackground* Background(ScreenId id, IMainWindow& mainWindow) { return m_backgrounds.Make(id, mainWindow); }
  // Both, for the main window.
  ScreenFactory Factory();
  ScreenBackgrounds& Backgrounds() { return m_backgrounds; }

 private:
  AppServices& m_services;
  ScreenBackgrounds m_backgrounds;
};

}  // namespace zf
