#pragma once
// The single-instance lock and the named lock that lives as long as the process.
#include <QString>

#include "platform/locks.h"

namespace zf {

class ProcessLocks final : public IProcessLocks {
 public:
  // runtimeFolder: where the lock files live; empty for the user's runtime folder.
  explicit ProcessLocks(QString runtimeFolder = {});
  ~ProcessLocks() override;

  bool TryBecomeOnlyInstance() override;
  void CreateNamedMutex(const std::string& name) override;

 private:
  QString m_folder;
  int m_instanceLock = -1;
  int m_namedMutex = -1;
};

}  // namespace zf
