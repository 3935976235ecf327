// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fake platform services: they record what the program asked for and answer as scripted.
#include <deque>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/icmp.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "support/FakeIcmp.h"
#include "support/FakeSystemInfo.h"

namespace zf::test {

class FakeShell : public IShell {
 public:
  struct Started {
    std::string program;
    std::vector<std::string> arguments;
  };
  bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) override {
    started.push_back({program, arguments});
    return true;
  }
  bool RunControlPanelCommand(const std::string& commandLine) override {
    controlPanelCommands.push_back(commandLine);
    return controlPanelToolsFound;
  }
  bool OpenDocument(const std::string& pathOrUrl) override {
    opened.push_back(pathOrUrl);
    return openSucceeds;
  }
  bool EndSession(SessionEnd how) override {
    sessionEnds.push_back(how);
    return endSessionSucceeds;
  }
  bool RequestEndSession(SessionEnd how, std::function<void()> onRefused) override {
    refuseSessionEnd = std::move(onRefused);
    return EndSession(how);
  }
  bool SetAutoStart(const std::string& name, const std::string& programPath) override {
    autoStart = programPath;
    return true;
  }
  std::string AutoStartProgram(const std::string&) override { return autoStart; }

  std::vector<Started> started;
  std::vector<std::string> controlPanelCommands;
  std::vector<std::string> opened;
  std::vector<SessionEnd> sessionEnds;
  std::string autoStart;
  bool openSucceeds = true;
  bool controlPanelToolsFound = true;
  bool endSessionSucceeds = true;
  std::function<void()> refuseSessionEnd;  // the session manager's refusal, when a test sends it
};

class FakeSound : public ISound {
 public:
  void PlayAsync(const std::string& wavPath) override { played.push_back(wavPath); }
  std::vector<std::string> played;
};

class FakeWindowSystem : public IWindowSystem {
 public:
  void DoEvents(int rounds) override { eventRounds += rounds; }
  ScreenPoint ScreenSize() override { return screen; }
  ScreenPoint CursorPosition() override { return cursor; }
  int eventRounds = 0;
  ScreenPoint screen{1024, 768};
  ScreenPoint cursor{0, 0};
};

class FakeMessageBox : public IMessageBox {
 public:
  struct Shown {
    std::string text;
    std::string title;
    MsgIcon icon;
    MsgButtons buttons;
  };
  MsgAnswer Show(const std::string& text, const std::string& title, MsgIcon icon, MsgButtons buttons) override {
    shown.push_back({text, title, icon, buttons});
    if (answers.empty()) return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    const MsgAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  // Answers given to the next boxes, in order; after them Yes/No boxes answer No.
  std::deque<MsgAnswer> answers;
  std::vector<Shown> shown;
};

class FakeClock : public IClock {
 public:
  std::chrono::system_clock::time_point Now() override { return now; }
  std::uint64_t TickCount() override { return ticks; }
  void Advance(std::chrono::milliseconds by) {
    now += by;
    ticks += static_cast<std::uint64_t>(by.count());
  }
  std::chrono::system_clock::time_point now = std::chrono::system_clock::from_time_t(1'700'000'000);
  std::uint64_t ticks = 1'000'000;
};

}  // namespace zf::test
