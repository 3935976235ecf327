// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starts zentrofast-kernel-helper (through pkexec unless we are root) and talks to it over two
// pipes that no other program started later can inherit.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"

namespace zf::kernel {

// The installed helper; pkexec's policy names exactly this path.
std::string InstalledHelperPath();
// The command line that starts the helper for this process: the helper itself for root (the one
// beside the running program when there is one), else pkexec and the installed helper.
std::vector<std::string> HelperCommandLine();

enum class ReadOutcome { Line, Timeout, Closed };

class HelperProcess {
 public:
  HelperProcess() = default;
  ~HelperProcess();
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  Result<Done> Start(const std::vector<std::string>& commandLine);
  bool Send(const std::string& text);
  ReadOutcome ReadLine(int timeoutMs, std::string& line);
  // Closes our end of its input (the helper reverts unless it was told to keep) and waits.
  int Finish();
  int OutputFd() const { return m_out; }
  pid_t pid() const { return m_pid; }
  // The end of what it wrote to its standard error (pkexec says there why it refused).
  std::string ErrorOutput() const;

 private:
  pid_t m_pid = -1;
  int m_in = -1;   // its standard input
  int m_out = -1;  // its standard output
  int m_err = -1;  // its standard error: a memory file, so that it can never block the helper
  std::string m_buffer;
  int m_status = -1;
};

// A helper that ended without an answer: pkexec's own exit statuses, told apart by what pkexec
// wrote to its standard error, get their kind and words. `command` is the zentrofastctl kernel
// command that does the same from a terminal ("apply", "revert").
Error EndedHelperError(int exitStatus, bool throughPkexec, std::string_view pkexecSaid, std::string_view command);
// pkexec could not be started at all.
Error MissingPkexecError(std::string_view command);

}  // namespace zf::kernel
