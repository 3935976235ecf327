#include "platform/linux/ProcessLocks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QStandardPaths>

namespace zf {

ProcessLocks::ProcessLocks(QString runtimeFolder) : m_folder(std::move(runtimeFolder)) {
  if (m_folder.isEmpty()) m_folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (m_folder.isEmpty()) m_folder = QDir::tempPath();
  QDir().mkpath(m_folder);
}

ProcessLocks::~ProcessLocks() {
  if (m_namedMutex >= 0) ::close(m_namedMutex);
}

bool ProcessLocks::TryBecomeOnlyInstance() {
  m_instanceLock = std::make_unique<QLockFile>(m_folder + QStringLiteral("/zentrofast.lock"));
  // Age never makes the lock stale; a lock whose process is gone always is, so a killed
  // instance never blocks the next start.
  m_instanceLock->setStaleLockTime(0);
  if (m_instanceLock->tryLock(0)) return true;
  // Only a lock held by a live instance stops us; a folder we cannot write must not.
  return m_instanceLock->error() != QLockFile::LockFailedError;
}

void ProcessLocks::CreateNamedMutex(const std::string& name) {
  if (m_namedMutex >= 0) return;
  const QByteArray path = (m_folder + QLatin1Char('/') + QString::fromStdString(name)).toLocal8Bit();
  m_namedMutex = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  // Shared: it marks the process as running without ever being owned.
  if (m_namedMutex >= 0) ::flock(m_namedMutex, LOCK_SH | LOCK_NB);
}

}  // namespace zf
