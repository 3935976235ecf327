// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/fdio.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace zf::fdio {

int DurableCalls::Sync(int fd) { return ::fsync(fd); }
int DurableCalls::Close(int fd) { return ::close(fd); }

DurableCalls& SystemCalls() {
  static DurableCalls system;
  return system;
}

int PutAll(const PutOnce& put, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = put(data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

int WriteAll(int fd, std::string_view data) {
  return PutAll([fd](const char* bytes, std::size_t size) { return ::write(fd, bytes, size); }, data);
}

int SendAll(int fd, std::string_view data) {
  return PutAll([fd](const char* bytes, std::size_t size) { return ::send(fd, bytes, size, MSG_NOSIGNAL); }, data);
}

int ReadExactly(int fd, std::span<std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::read(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return ENODATA;
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return 0;
}

int Close(int fd, DurableCalls& calls) { return calls.Close(fd) == 0 || errno == EINTR ? 0 : errno; }

int FinishFile(int fd, std::string_view data, DurableCalls& calls) {
  int failure = WriteAll(fd, data);
  if (failure == 0 && calls.Sync(fd) != 0) failure = errno;
  const int closeFailure = Close(fd, calls);
  return failure != 0 ? failure : closeFailure;
}

int SyncFolder(const std::string& folder, DurableCalls& calls) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int failure = calls.Sync(fd) == 0 || errno == EINVAL ? 0 : errno;
  const int closeFailure = Close(fd, calls);
  return failure != 0 ? failure : closeFailure;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace zf::fdio
