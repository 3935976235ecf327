// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/ControlPanelTools.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace zf {
namespace {

struct ToolChoice {
  std::string_view desktop;  // upper case; empty for any desktop
  DesktopTool tool;
};

using ToolTable = std::map<std::string_view, std::vector<ToolChoice>>;

const ToolTable& Tools() {
  static const ToolTable table{
      {"rundll32.exe shell32.dll,Control_RunDLL inetcpl.cpl,,0",  // internet options: the proxy settings
       {{"GNOME", {"gnome-control-center", {"network"}}},
        {"KDE", {"systemsettings", {"kcm_proxy"}}},
        {"X-CINNAMON", {"cinnamon-settings", {"network"}}},
        {"MATE", {"mate-network-properties", {}}},
        {"", {"gnome-control-center", {"network"}}},
        {"", {"nm-connection-editor", {}}}}},
      {"rundll32.exe shell32.dll,Control_RunDLL sysdm.cpl,,0",  // system properties
       {{"GNOME", {"gnome-control-center", {"info-overview"}}},
        {"KDE", {"systemsettings", {"kcm_about-distro"}}},
        {"KDE", {"kinfocenter", {}}},
        {"X-CINNAMON", {"cinnamon-settings", {"info"}}},
        {"XFCE", {"xfce4-about", {}}},
        {"LXQT", {"lxqt-config", {}}},
        {"", {"gnome-control-center", {"info-overview"}}},
        {"", {"kinfocenter", {}}},
        {"", {"gnome-system-monitor", {}}}}},
      {"rundll32.exe shell32.dll,Control_RunDLL modem.cpl",  // modems: mobile broadband connections
       {{"GNOME", {"gnome-control-center", {"wwan"}}},
        {"KDE", {"systemsettings", {"kcm_networkmanagement"}}},
        {"", {"nm-connection-editor", {}}}}},
      {"rundll32.exe shell32.dll,Control_RunDLL netcpl.cpl",  // dial-up and network (older family)
       {{"KDE", {"systemsettings", {"kcm_networkmanagement"}}},
        {"", {"nm-connection-editor", {}}},
        {"", {"gnome-control-center", {"network"}}}}},
      {"rundll32.exe shell32.dll,Control_RunDLL ncpa.cpl",  // network connections
       {{"GNOME", {"gnome-control-center", {"network"}}},
        {"KDE", {"systemsettings", {"kcm_networkmanagement"}}},
        {"X-CINNAMON", {"cinnamon-settings", {"network"}}},
        {"", {"nm-connection-editor", {}}},
        {"", {"gnome-control-center", {"network"}}}}},
  };
  return table;
}

std::vector<std::string> DesktopNames(std::string_view currentDesktop) {
  std::vector<std::string> names;
  std::string name;
  for (char c : std::string(currentDesktop) + ":") {
    if (c != ':') {
      name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    } else if (!name.empty()) {
      names.push_back(std::move(name));
      name.clear();
    }
  }
  return names;
}

}  // namespace

std::optional<DesktopTool> FindDesktopTool(std::string_view commandLine, std::string_view currentDesktop,
                                           const std::function<bool(const std::string&)>& isInstalled) {
  const auto entry = Tools().find(commandLine);
  if (entry == Tools().end()) return std::nullopt;
  const std::vector<std::string> desktops = DesktopNames(currentDesktop);
  const auto onThisDesktop = [&](const ToolChoice& choice) {
    return std::find(desktops.begin(), desktops.end(), choice.desktop) != desktops.end();
  };
  for (const bool ownDesktop : {true, false}) {
    for (const ToolChoice& choice : entry->second) {
      const bool matches = ownDesktop ? onThisDesktop(choice) : choice.desktop.empty();
      if (matches && isInstalled(choice.tool.program)) return choice.tool;
    }
  }
  return std::nullopt;
}

}  // namespace zf
