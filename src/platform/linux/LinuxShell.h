// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop shell on Linux: processes without a shell, the desktop's default handlers,
// systemd-logind for ending the session, and the XDG auto-start folder.
#include <filesystem>

#include "platform/shell.h"

namespace zf {

class LinuxShell final : public IShell {
 public:
  bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) override;
  bool RunControlPanelCommand(const std::string& commandLine) override;
  bool OpenDocument(const std::string& pathOrUrl) override;
  bool EndSession(SessionEnd how) override;
  bool RequestEndSession(SessionEnd how, std::function<void()> onRefused) override;
  bool SetAutoStart(const std::string& name, const std::string& programPath) override;
  std::string AutoStartProgram(const std::string& name) override;

  // $XDG_CONFIG_HOME/autostart/<name in lower case>.desktop
  static std::filesystem::path AutoStartFile(const std::string& name);
};

}  // namespace zf
