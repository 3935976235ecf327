// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The child screens the main window hosts, by the names the menu and the shell use.

namespace zf {

enum class ScreenId {
  WizardMode,
  NormalMode,
  BackUp,
  NetPingerSettings,
  SystemStatus,
  RamConfiguration,
  MainSettings,
  KernelSettings,  // this computer's live network settings
};
inline constexpr int kScreenCount = 8;

}  // namespace zf
