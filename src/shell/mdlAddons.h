// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system-settings launchers and the restart. Each launcher's command line is the key the
// shell maps to this desktop's own tool; results are ignored.
#include <functional>

#include "core/mdlOSVersion.h"
#include "platform/shell.h"

namespace zf {

inline constexpr char kInternetPropertiesCommand[] = "rundll32.exe shell32.dll,Control_RunDLL inetcpl.cpl,,0";
inline constexpr char kSystemPropertiesCommand[] = "rundll32.exe shell32.dll,Control_RunDLL sysdm.cpl,,0";
inline constexpr char kModemSettingsCommand[] = "rundll32.exe shell32.dll,Control_RunDLL modem.cpl";
inline constexpr char kNetworkSettings9xCommand[] = "rundll32.exe shell32.dll,Control_RunDLL netcpl.cpl";
inline constexpr char kNetworkSettingsNTCommand[] = "rundll32.exe shell32.dll,Control_RunDLL ncpa.cpl";

class mdlAddons {
 public:
  // os is read at each call: it is set during start-up, after this object exists.
  mdlAddons(IShell& shell, const OSFamily& os) : m_shell(shell), m_os(os) {}

  // Each false when this desktop has no tool for it.
  bool OpenInternetProperties();
  bool OpenSystemProperties();
  bool OpenModemSettings();
  bool OpenNetworkSettings();
  // Asks the system to reboot; false when the request could not even be sent. onRefused runs
  // later when the system refuses the request after all.
  bool RestartWindows(std::function<void()> onRefused);

 private:
  IShell& m_shell;
  const OSFamily& m_os;
};

}  // namespace zf
