// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/ProcessLocks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <cerrno>
#include <cstdlib>

#include "platform/account.h"

namespace zf {
namespace {

constexpr char kRaiseRequest[] = "raise\n";
constexpr qint64 kLongestRequest = 64;
constexpr int kAnswerMilliseconds = 2000;

// A real folder (not a link) of this user that no one else may write.
bool OwnFolder(const std::filesystem::path& folder) {
  struct stat info {};
  return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
         (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// folder, made 0700 when missing; only when it is the user's own.
std::optional<std::filesystem::path> MadeOwnFolder(const std::filesystem::path& folder) {
  ::mkdir(folder.c_str(), 0700);
  if (!OwnFolder(folder)) return std::nullopt;
  return folder;
}

// A file the lock or the socket is, when this user made it: anything else may be someone's trap.
bool OwnedHere(const struct stat& info) { return info.st_uid == ::geteuid(); }

}  // namespace

std::optional<std::filesystem::path> PrivateRuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/' && OwnFolder(runtime)) return std::filesystem::path(runtime);
  const auto home = UserHomeFolder();
  if (!home) return std::nullopt;
  const auto cache = MadeOwnFolder(*home / ".cache");
  return cache ? MadeOwnFolder(*cache / "zentrofast") : std::nullopt;
}

ProcessLocks::ProcessLocks(QString runtimeFolder) : m_folder(std::move(runtimeFolder)) {
  if (!m_folder.isEmpty()) {
    QDir().mkpath(m_folder);
  } else if (const auto folder = PrivateRuntimeFolder()) {
    m_folder = QString::fromStdString(folder->string());
  } else {
    qWarning(
        "Zentrofast: no private folder for the single-instance lock (XDG_RUNTIME_DIR and ~/.cache are "
        "not this user's own); starting without it");
  }
}

ProcessLocks::~ProcessLocks() {
  if (m_instanceLock >= 0) ::close(m_instanceLock);
  if (m_namedMutex >= 0) ::close(m_namedMutex);
}

QString ProcessLocks::SocketPath() const { return m_folder + QStringLiteral("/zentrofast.socket"); }

bool ProcessLocks::TryBecomeOnlyInstance() {
  if (m_instanceLock >= 0) ::close(m_instanceLock);
  m_instanceLock = -1;
  if (m_folder.isEmpty()) return true;
  const QByteArray path = (m_folder + QStringLiteral("/zentrofast.lock")).toLocal8Bit();
  // The kernel drops the lock when its process ends, however it ends: a killed instance never
  // blocks the next start, and there is nothing to write or flush.
  m_instanceLock = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  // Only a lock held by a live instance stops us; a folder we cannot write must not.
  if (m_instanceLock < 0) return true;
  struct stat info {};
  if (::fstat(m_instanceLock, &info) != 0 || !S_ISREG(info.st_mode) || !OwnedHere(info)) return true;
  if (::flock(m_instanceLock, LOCK_EX | LOCK_NB) == 0) return true;
  return errno != EWOULDBLOCK;
}

void ProcessLocks::CreateNamedMutex(const std::string& name) {
  if (m_namedMutex >= 0 || m_folder.isEmpty()) return;
  const QByteArray path = (m_folder + QLatin1Char('/') + QString::fromStdString(name)).toLocal8Bit();
  m_namedMutex = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  // Shared: it marks the process as running without ever being owned.
  if (m_namedMutex >= 0) ::flock(m_namedMutex, LOCK_SH | LOCK_NB);
}

}  // namespace zf

namespace zf {

void ProcessLocks::ListenForRaiseRequests(std::function<void()> onRequest) {
  m_onRaise = std::move(onRequest);
  if (m_server || m_folder.isEmpty()) return;
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
  if (m_folder.isEmpty()) return false;
  struct stat info {};
  const QByteArray path = SocketPath().toLocal8Bit();
  if (::lstat(path.constData(), &info) != 0 || !S_ISSOCK(info.st_mode) || !OwnedHere(info)) return false;
  QLocalSocket socket;
  socket.connectToServer(SocketPath());
  if (!socket.waitForConnected(kAnswerMilliseconds)) return false;
  socket.write(kRaiseRequest);
  const bool sent = socket.waitForBytesWritten(kAnswerMilliseconds);
  socket.disconnectFromServer();
  return sent;
}

}  // namespace zf
