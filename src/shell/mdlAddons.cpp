// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/mdlAddons.h"

namespace zf {

bool mdlAddons::OpenInternetProperties() { return m_shell.RunControlPanelCommand(kInternetPropertiesCommand); }

bool mdlAddons::OpenSystemProperties() { return m_shell.RunControlPanelCommand(kSystemPropertiesCommand); }

bool mdlAddons::OpenModemSettings() { return m_shell.RunControlPanelCommand(kModemSettingsCommand); }

// A family code outside both layouts starts nothing, and there is nothing to report.
bool mdlAddons::OpenNetworkSettings() {
  if (m_os.Is9xLayout()) return m_shell.RunControlPanelCommand(kNetworkSettings9xCommand);
  if (m_os.IsNTLayout()) return m_shell.RunControlPanelCommand(kNetworkSettingsNTCommand);
  return true;
}

bool mdlAddons::RestartWindows(std::function<void()> onRefused) {
  return m_shell.RequestEndSession(SessionEnd::Reboot, std::move(onRefused));
}

}  // namespace zf
