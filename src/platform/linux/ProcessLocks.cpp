// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/ProcessLocks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <cerrno>

namespace zf {
namespace {

constexpr char kRaiseRequest[] = "raise\n";
constexpr qint64 kLongestRequest = 64;
constexpr int kAnswerMilliseconds = 2000;

}  // namespace

ProcessLocks::ProcessLocks(QString runtimeFolder) : m_folder(std::move(runtimeFolder)) {
  if (m_folder.isEmpty()) m_folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (m_folder.isEmpty()) m_folder = QDir::tempPath();
  QDir().mkpath(m_folder);
}

ProcessLocks::~ProcessLocks() {
  if (m_instanceLock >= 0) ::close(m_instanceLock);
  if (m_namedMutex >= 0) ::close(m_namedMutex);
}

QString ProcessLocks::SocketPath() const { return m_folder + QStringLiteral("/zentrofast.socket"); }

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
  m_namedMutex = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  // Shared: it marks the process as running without ever being owned.
  if (m_namedMutex >= 0) ::flock(m_namedMutex, LOCK_SH | LOCK_NB);
}

}  // namespace zf

namespace zf {

void ProcessLocks::ListenForRaiseRequests(std::function<void()> onRequest) {
  m_onRaise = std::move(onRequest);
  if (m_server) return;
  m_server = std::make_unique<QLocalServer>();
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  // Holding the instance lock, any socket left in the folder is a dead instance's.
  QLocalServer::removeServer(SocketPath());
  if (!m_server->listen(SocketPath())) {
    m_server.reset();
    return;
  }
  QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] { ReadRequests(); });
}

// Each connection carries one short request; anything else is dropped unread.
void ProcessLocks::ReadRequests() {
  while (QLocalSocket* client = m_server->nextPendingConnection()) {
    QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    QObject::connect(client, &QLocalSocket::readyRead, client, [this, client] {
      const bool whole = client->canReadLine();
      if (!whole && client->bytesAvailable() < kLongestRequest) return;  // the rest is on its way
      const QByteArray request = client->readLine(kLongestRequest);
      client->disconnectFromServer();
      if (request == kRaiseRequest && m_onRaise) m_onRaise();
    });
  }
}

bool ProcessLocks::AskRunningInstanceToRaise() {
  QLocalSocket socket;
  socket.connectToServer(SocketPath());
  if (!socket.waitForConnected(kAnswerMilliseconds)) return false;
  socket.write(kRaiseRequest);
  const bool sent = socket.waitForBytesWritten(kAnswerMilliseconds);
  socket.disconnectFromServer();
  return sent;
}

}  // namespace zf
