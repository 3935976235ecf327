// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Everything a screen may use, created once by the composition root and handed down.
#include <functional>

#include "core/Config.h"
#include "core/ConnectionHistory.h"
#include "core/TcpSettings.h"
#include "core/mdlOSVersion.h"
#include "platform/clock.h"
#include "platform/icmp.h"
#include "platform/memory.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/window.h"

namespace zf {

struct AppServices {
  Config config;
  IRegistry& registry;
  IShell& shell;
  ISound& sound;
  IWindowSystem& windowSystem;
  IMessageBox& messageBox;
  IClock& clock;
  IIcmp& icmp;
  ISystemInfo& systemInfo;

  OSFamily os;                                       // set once at start-up
  TuningState tuning;                                // the current settings record and the profiles
  IConnectionHistory* connectionHistory = nullptr;   // none: echoes are not kept
  std::function<void()> showConnectionHistory = {};  // none: the pinger screen offers no history
};

}  // namespace zf
