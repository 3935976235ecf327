// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An apply carried out by the helper process: its answers drive the session's state.
#include <memory>
#include <string>
#include <vector>

#include "kernel/HelperProcess.h"
#include "kernel/HelperProtocol.h"
#include "kernel/IKernelBridge.h"

namespace zf::kernel {

class HelperSession : public IKernelSession {
 public:
  HelperSession(const std::vector<std::string>& commandLine, const HelperRequest& request);
  ~HelperSession() override;

  SessionState Poll(int timeoutMs) override;
  SessionState State() const override { return m_state; }
  int WaitHandle() const override { return m_process.OutputFd(); }
  std::chrono::steady_clock::time_point Deadline() const override { return m_deadline; }
  Result<std::string> Keep() override;
  Result<Done> Revert() override;
  const std::string& Message() const override { return m_message; }
  ErrorKind FailureKind() const override { return m_failureKind; }
  // Notes the helper sent before its answer (a journal it rolled back).
  std::vector<std::string> Notes() const override { return m_notes; }
  pid_t HelperPid() const { return m_process.pid(); }

 private:
  // The next answer that is not a note; empty when the helper ended without one.
  std::optional<HelperAnswer> NextAnswer(int timeoutMs, bool& timedOut);
  void Fail(Error error);
  // The helper ended in the window without an answer: its journal is recovered at once.
  void RecoverAfterHelperEnded();
  Result<std::string> Conclude(const char* command, const char* expected);

  HelperProcess m_process;
  std::vector<std::string> m_commandLine;
  std::string m_transactionId;
  bool m_throughPkexec = false;
  std::string m_command;  // "apply" or "revert", for the way to do it from a terminal
  SessionState m_state = SessionState::Starting;
  std::string m_message;
  ErrorKind m_failureKind = ErrorKind::Failed;
  std::vector<std::string> m_notes;
  std::chrono::steady_clock::time_point m_deadline{};
};

// Runs a request that needs no confirmation (a revert, a recovery) to its answer.
Result<std::string> RunHelperRequest(const std::vector<std::string>& commandLine, const HelperRequest& request);

}  // namespace zf::kernel
