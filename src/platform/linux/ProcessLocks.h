// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The single-instance lock, the named lock that lives as long as the process, and the local
// socket through which a later start asks the running instance to come to the front.
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "platform/locks.h"

class QLocalServer;

namespace zf {

// Where this user's lock and raise socket live: a folder no other user may write, for in a shared
// one such as /tmp another user could hold the lock (so the program never starts) or take the
// raise requests. $XDG_RUNTIME_DIR when it is the user's own, else ~/.cache/zentrofast, made
// 0700 and checked likewise; nothing when neither is.
std::optional<std::filesystem::path> PrivateRuntimeFolder();

class ProcessLocks final : public IProcessLocks {
 public:
  // runtimeFolder: where the lock files live; empty for PrivateRuntimeFolder(). Without one, the
  // program runs unguarded rather than not at all.
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
