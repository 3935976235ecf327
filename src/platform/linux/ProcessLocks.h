// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The single-instance lock, the named lock that lives as long as the process, and the local
// socket through which a later start asks the running instance to come to the front.
#include <QString>
#include <functional>
#include <memory>

#include "platform/locks.h"

class QLocalServer;

namespace zf {

class ProcessLocks final : public IProcessLocks {
 public:
  // runtimeFolder: where the lock files live; empty for the user's runtime folder.
  explicit ProcessLocks(QString runtimeFolder = {});
  ~ProcessLocks() override;

  bool TryBecomeOnlyInstance() override;
  void CreateNamedMutex(const std::string& name) override;
  void ListenForRaiseRequests(std::function<void()> onRequest) override;
  bool AskRunningInstanceToRaise() override;

 private:
  QString SocketPath() const;
  void ReadRequests();

  QString m_folder;
  int m_instanceLock = -1;
  int m_namedMutex = -1;
  std::unique_ptr<QLocalServer> m_server;
  std::function<void()> m_onRaise;
};

}  // namespace zf
