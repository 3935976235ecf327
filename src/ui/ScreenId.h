// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The child screens the main window hosts, by the names the menu and the shell use.
#include <string_view>

namespace zf {

// Numbered from 0 without gaps: the shell's screen table is indexed by them.
enum class ScreenId {
  WizardMode,
  NormalMode,
  BackUp,
  NetPingerSettings,
  SystemStatus,
  RamConfiguration,
  MainSettings,
  KernelSettings,  // this computer's live network settings
  ConnectionTest,  // measures the connection to a server the user names
};

// The screen's name; empty for a number that names no screen. The switch must name every
// screen (a missing one is a compile error), which is what lets the shell's table prove at
// compile time that it lists each screen.
#pragma GCC diagnostic push
#pragma GCC diagnostic error "-Wswitch"
constexpr std::string_view ScreenName(ScreenId id) {
  switch (id) {
    case ScreenId::WizardMode: return "WizardMode";
    case ScreenId::NormalMode: return "NormalMode";
    case ScreenId::BackUp: return "BackUp";
    case ScreenId::NetPingerSettings: return "NetPingerSettings";
    case ScreenId::SystemStatus: return "SystemStatus";
    case ScreenId::RamConfiguration: return "RamConfiguration";
    case ScreenId::MainSettings: return "MainSettings";
    case ScreenId::KernelSettings: return "KernelSettings";
    case ScreenId::ConnectionTest: return "ConnectionTest";
  }
  return {};
}
#pragma GCC diagnostic pop

}  // namespace zf
