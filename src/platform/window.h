// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the logic needs of the windowing system without depending on it.
#include <string>

namespace zf {

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

class IWindowSystem {
 public:
  virtual ~IWindowSystem() = default;
  // Lets pending events run: the given number of rounds.
  virtual void DoEvents(int rounds = 1) = 0;
  virtual ScreenPoint ScreenSize() = 0;
  virtual ScreenPoint CursorPosition() = 0;
};

// Plain message boxes (the system's own, not the balloon). A test scripts the answers.
enum class MsgIcon { None, Information, Exclamation, Question, Stop };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

// The catalogue context of the texts given to IMessageBox::Show: mark a fixed text with
// QT_TRANSLATE_NOOP("zf::Messages", "…") and the system's message box shows it translated.
inline constexpr char kMessageContext[] = "zf::Messages";

class IMessageBox {
 public:
  virtual ~IMessageBox() = default;
  virtual MsgAnswer Show(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) = 0;
};

}  // namespace zf
