// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>

namespace zf {

// The process-wide locks of start-up.
class IProcessLocks {
 public:
  virtual ~IProcessLocks() = default;
  // False when another instance of the program is running; then this one must end.
  virtual bool TryBecomeOnlyInstance() = 0;
  // A named lock that exists for the life of the process and is never tested by the program.
  virtual void CreateNamedMutex(const std::string& name) = 0;
  // The running instance: onRequest runs each time a later start asks it to come to the front.
  virtual void ListenForRaiseRequests(std::function<void()> onRequest) = 0;
  // A later start: asks the running instance to come to the front; false when none answered.
  virtual bool AskRunningInstanceToRaise() = 0;
};

}  // namespace zf
