// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop shell: starting programs, opening files and addresses, ending the session,
// the auto-start entry and the single-instance test.
#include <functional>
#include <string>
#include <vector>

namespace zf {

enum class SessionEnd { LogOff, PowerOff, Reboot };

class IShell {
 public:
  virtual ~IShell() = default;

  // Starts a program with its arguments, without a shell and without waiting. False when it
  // could not be started.
  virtual bool StartDetached(const std::string& program, const std::vector<std::string>& arguments) = 0;
  // Starts the desktop tool standing for one of the original control-panel command lines
  // (the command line is the key); false when this desktop has no such tool.
  virtual bool RunControlPanelCommand(const std::string& commandLine) = 0;
  // Opens a file or URL with the desktop's default handler.
  virtual bool OpenDocument(const std::string& pathOrUrl) = 0;
  // Asks the session manager to end the session; false when the request could not be sent.
  virtual bool EndSession(SessionEnd how) = 0;
  // The same request, with its answer watched: onRefused runs later, on the event loop, when
  // the session manager refuses or fails it (the user cancelled the authorisation, say).
  virtual bool RequestEndSession(SessionEnd how, std::function<void()> onRefused) = 0;

  // The per-user auto-start entry for the program at programPath (empty: remove it).
  virtual bool SetAutoStart(const std::string& name, const std::string& programPath) = 0;
  // The program path the auto-start entry names, or empty when there is none.
  virtual std::string AutoStartProgram(const std::string& name) = 0;
};

}  // namespace zf
