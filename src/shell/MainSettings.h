// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two start-up options: stored values and the per-user auto-start entry.
#include <string>

#include "platform/registry.h"
#include "platform/shell.h"

namespace zf {

inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunValueName[] = "Zentrofast";

struct MainSettingsValues {
  bool chkRunMainProgram = false;
  bool chkRunProgramMini = false;
  bool operator==(const MainSettingsValues&) const = default;
};

class MainSettings {
 public:
  // programPath: the executable that the auto-start entry starts.
  MainSettings(IRegistry& registry, IShell& shell, std::string programPath)
      : m_registry(registry), m_shell(shell), m_programPath(std::move(programPath)) {}

  // The stored options; a missing value reads as clear.
  MainSettingsValues Read();
  void Write(const MainSettingsValues& values);
  // The Run value and the desktop's auto-start file: written with the current program path
  // when enabled, removed otherwise.
  void WriteAutoStart(bool enabled);

 private:
  IRegistry& m_registry;
  IShell& m_shell;
  std::string m_programPath;
};

}  // namespace zf
