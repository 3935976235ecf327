// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one door screens and zentrofastctl use to make the tuned values true on this computer.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/Result.h"
#include "kernel/KernelTypes.h"

namespace zf::kernel {

// Recovered: the helper ended inside the window without an answer and a recovery run put the
// previous values back (when that run fails, the session is Failed and says what may be live).
enum class SessionState { Starting, Applied, Kept, Reverted, Recovered, Failed };

// One apply: started at once, applied some time later (an authentication dialog may come
// first), then kept or reverted. Poll() never blocks longer than it is told, so a screen can
// drive it from a timer or from WaitHandle() becoming readable.
class IKernelSession {
 public:
  virtual ~IKernelSession() = default;
  virtual SessionState Poll(int timeoutMs) = 0;
  virtual SessionState State() const = 0;
  // Readable when Poll() has something new; -1 when the session has ended.
  virtual int WaitHandle() const = 0;
  // When the helper reverts by itself unless kept, on the monotonic clock; meaningful once applied.
  virtual std::chrono::steady_clock::time_point Deadline() const = 0;
  // Commits the applied values; the text says where they were persisted.
  virtual Result<std::string> Keep() = 0;
  virtual Result<Done> Revert() = 0;
  // Why the session failed or was reverted, or the helper's last report.
  virtual const std::string& Message() const = 0;
  // What kind of failure it was, once Failed: callers branch on this, never on Message()'s words.
  virtual ErrorKind FailureKind() const { return ErrorKind::Failed; }
  // What else the helper said before applying (a stopped helper's changes it rolled back).
  virtual std::vector<std::string> Notes() const { return {}; }
};

class IKernelBridge {
 public:
  virtual ~IKernelBridge() = default;
  // The tuned values in the store against the live system.
  virtual Result<KernelPlan> Plan() = 0;
  virtual std::unique_ptr<IKernelSession> Apply(const KernelPlan& plan, const ApplyOptions& options) = 0;
  virtual Result<KernelStatus> Status() = 0;
  // Every managed setting back to its original, the persisted files removed.
  virtual Result<std::string> Revert() = 0;
};

}  // namespace zf::kernel
