#include "platform/linux/ProcessLocks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <QDir>
#include <QStandardPaths>

namespace zf {

ProcessLocks::ProcessLocks(QString runtimeFolder) : m_folder(std::move(runtimeFolder)) {
  if (m_folder.isEmpty()) m_folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (m_folder.isEmpty()) m_folder = QDir::tempPath();
  QDir().mkpath(m_folder);
}

ProcessLocks::~ProcessLocks() {
  if (m_instanceLock >= 0) ::close(m_instanceLock);
  if (m_namedMutex >= 0) ::close(m_namedMutex);
}

bool ProcessLocks::TryBecomeOnlyInstance() {
  if (m_instanceLock >= 0) ::close(m_instanceLock);
  const QByteArray path = (m_folder + QStringLiteral("/zentrofast.lock")).toLocal8Bit();
  // The kernel drops the lock when its process ends, however it ends: a killed instance never
  // blocks the next start, and there is nothing to write or flush.
  m_instanceLock = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  // Only a lock held by a live instance stops us; a folder we cannot write must not.
  if (m_instanceLock < 0) return true;
  struct stat info {};
  if (::fstat(m_instanceLock, &info) != 0 || !S_ISREG(info.st_mode)) return true;
  if (::flock(m_instanceLock, LOCK_EX | LOCK_NB) == 0) return true;
  return errno != EWOULDBLOCK;
}

void ProcessLocks::CreateNamedMutex(const std::string& name) {
  if (m_namedMutex >= 0) return;
  const QByteArray path = (m_folder + QLatin1Char('/') + QString::fromStdString(name)).toLocal8Bit();
  m_namedMutex = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // Shared: it marks the process as running without ever being owned.
  if (m_namedMutex >= 0) ::flock(m_namedMutex, LOCK_SH | LOCK_NB);
}

}  // namespace zf
