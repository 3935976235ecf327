// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A kernel bridge that changes nothing: tests script its plan, status and answers and read back
// what was asked of it.
#include <optional>
#include <string>
#include <vector>

#include "kernel/IKernelBridge.h"

namespace zf::test {

struct FakeKernelLog {
  std::vector<kernel::ApplyOptions> applies;
  std::vector<std::string> appliedHashes;
  int keeps = 0;
  int sessionReverts = 0;
  int reverts = 0;
  // Scripted: set during the window, the session ends this way at its next Poll (the helper ended).
  std::optional<kernel::SessionState> endInWindow;
  std::string endMessage;
};

class FakeKernelSession : public kernel::IKernelSession {
 public:
  FakeKernelSession(FakeKernelLog& log, std::string failure, ErrorKind failureKind, int keepWithinSeconds)
      : m_log(log),
        m_message(std::move(failure)),
        m_failureKind(failureKind),
        m_deadline(std::chrono::steady_clock::now() + std::chrono::seconds(keepWithinSeconds)) {}

  kernel::SessionState Poll(int) override {
    if (m_state == kernel::SessionState::Starting)
      m_state = m_message.empty() ? kernel::SessionState::Applied : kernel::SessionState::Failed;
    else if (m_state == kernel::SessionState::Applied && m_log.endInWindow) {
      m_state = *m_log.endInWindow;
      m_message = m_log.endMessage;
    }
    return m_state;
  }
  kernel::SessionState State() const override { return m_state; }
  int WaitHandle() const override { return -1; }
  std::chrono::steady_clock::time_point Deadline() const override { return m_deadline; }
  Result<std::string> Keep() override {
    if (m_state != kernel::SessionState::Applied) return Error{"nothing applied to keep"};
    ++m_log.keeps;
    m_state = kernel::SessionState::Kept;
    return std::string("persisted in /etc/sysctl.d/80-zentrofast.conf");
  }
  Result<Done> Revert() override {
    if (m_state != kernel::SessionState::Applied) return Error{"nothing applied to revert"};
    ++m_log.sessionReverts;
    m_state = kernel::SessionState::Reverted;
    return Done{};
  }
  const std::string& Message() const override { return m_message; }
  ErrorKind FailureKind() const override { return m_failureKind; }

 private:
  FakeKernelLog& m_log;
  std::string m_message;
  ErrorKind m_failureKind;
  std::chrono::steady_clock::time_point m_deadline;
  kernel::SessionState m_state = kernel::SessionState::Starting;
};

class FakeKernelBridge : public kernel::IKernelBridge {
 public:
  kernel::KernelPlan plan;
  kernel::KernelStatus status;
  std::string planFailure;   // non-empty: Plan() fails with it
  std::string applyFailure;  // non-empty: every session fails with it
  ErrorKind applyFailureKind = ErrorKind::Failed;
  FakeKernelLog log;

  Result<kernel::KernelPlan> Plan() override {
    if (!planFailure.empty()) return Error{planFailure};
    return plan;
  }
  std::unique_ptr<kernel::IKernelSession> Apply(const kernel::KernelPlan& applied,
                                                const kernel::ApplyOptions& options) override {
    log.applies.push_back(options);
    log.appliedHashes.push_back(applied.hash);
    return std::make_unique<FakeKernelSession>(log, applyFailure, applyFailureKind, options.keepWithinSeconds);
  }
  Result<kernel::KernelStatus> Status() override { return status; }
  Result<std::string> Revert() override {
    ++log.reverts;
    return std::string("every managed setting is back to its original");
  }
};

}  // namespace zf::test
