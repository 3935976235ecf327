#include "shell/mdlAddons.h"

namespace zf {

void mdlAddons::OpenInternetProperties() { m_shell.RunControlPanelCommand(kInternetPropertiesCommand); }

void mdlAddons::OpenSystemProperties() { m_shell.RunControlPanelCommand(kSystemPropertiesCommand); }

void mdlAddons::OpenModemSettings() { m_shell.RunControlPanelCommand(kModemSettingsCommand); }

void mdlAddons::OpenNetworkSettings() {
  if (m_os.Is9xLayout()) {
    m_shell.RunControlPanelCommand(kNetworkSettings9xCommand);
  } else if (m_os.IsNTLayout()) {
    m_shell.RunControlPanelCommand(kNetworkSettingsNTCommand);
  }
}

bool mdlAddons::RestartWindows() { return m_shell.EndSession(SessionEnd::Reboot); }

}  // namespace zf
