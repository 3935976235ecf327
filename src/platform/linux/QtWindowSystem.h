// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/window.h"

namespace zf {

class QtWindowSystem final : public IWindowSystem {
 public:
  void DoEvents(int rounds = 1) override;
  ScreenPoint ScreenSize() override;
  ScreenPoint CursorPosition() override;
};

class QtMessageBox final : public IMessageBox {
 public:
  MsgAnswer Show(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override;
};

}  // namespace zf
