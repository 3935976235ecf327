// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop as a process without one sees it (the command-line tool, the benchmarks): no
// event loop to let run, no screen, no session or opener to ask.
#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/window.h"

namespace zf {

class HeadlessDesktop final : public IWindowSystem, public IShell {
 public:
  void DoEvents(int) override {}
  ScreenPoint ScreenSize() override { return {}; }
  ScreenPoint CursorPosition() override { return {}; }
  bool StartDetached(const std::string&, const std::vector<std::string>&) override { return false; }
  bool RunControlPanelCommand(const std::string&) override { return false; }
  bool OpenDocument(const std::string&) override { return false; }
  bool EndSession(SessionEnd) override { return false; }
  bool RequestEndSession(SessionEnd, std::function<void()>) override { return false; }
  bool SetAutoStart(const std::string&, const std::string&) override { return false; }
  std::string AutoStartProgram(const std::string&) override { return {}; }
};

}  // namespace zf
