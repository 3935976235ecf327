// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop tools that stand for the original control-panel command lines.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zf {

struct DesktopTool {
  std::string program;
  std::vector<std::string> arguments;
  bool operator==(const DesktopTool&) const = default;
};

// The tool to start for commandLine on the desktop named by currentDesktop (the
// XDG_CURRENT_DESKTOP list, e.g. "ubuntu:GNOME"): the first installed tool of that desktop,
// else the first installed desktop-neutral one. Empty for an unknown command line or when
// nothing suitable is installed.
std::optional<DesktopTool> FindDesktopTool(std::string_view commandLine, std::string_view currentDesktop,
                                           const std::function<bool(const std::string&)>& isInstalled);

}  // namespace zf
