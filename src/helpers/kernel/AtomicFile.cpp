// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/kernel/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/fdio.h"

namespace zf::kernel {
namespace {

Error Failure(const std::string& what, const std::string& path, int errorNumber) {
  return Error{what + " " + path + ": " + std::strerror(errorNumber), ErrorKindOf(errorNumber)};
}

}  // namespace

Result<Done> ReplaceFileAtomically(const std::string& path, const std::string& text) {
  std::string temp = path + ".tmp-XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return Failure("cannot create a file beside", path, errno);
  int failure = ::fchmod(fd, 0644) == 0 ? 0 : errno;
  if (failure != 0)
    static_cast<void>(fdio::Close(fd));  // the fchmod failure is the one to report
  else
    failure = fdio::FinishFile(fd, text);
  if (failure == 0 && ::rename(temp.c_str(), path.c_str()) != 0) failure = errno;
  if (failure != 0) {
    ::unlink(temp.c_str());
    return Failure("cannot write", path, failure);
  }
  // Renamed but not yet durable: a crash now could bring the old file back, so say so.
  if (const int flushFailure = fdio::SyncFolder(fdio::FolderOf(path)); flushFailure != 0)
    return Failure("cannot flush the folder of", path, flushFailure);
  return Done{};
}

Result<Done> RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0) {
    const int failure = errno;
    // A read-only folder refuses even the removal of a file that is not there; nothing is wrong then.
    struct stat info {};
    if (failure == ENOENT || (::lstat(path.c_str(), &info) != 0 && errno == ENOENT)) return Done{};
    return Failure("cannot remove", path, failure);
  }
  if (const int flushFailure = fdio::SyncFolder(fdio::FolderOf(path)); flushFailure != 0)
    return Failure("cannot flush the folder of", path, flushFailure);
  return Done{};
}

}  // namespace zf::kernel
