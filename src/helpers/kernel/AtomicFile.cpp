// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/kernel/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zf::kernel {
namespace {

Error Failure(const std::string& what, const std::string& path) {
  return Error{what + " " + path + ": " + std::strerror(errno)};
}

std::string Folder(const std::string& path) { return path.substr(0, path.rfind('/')); }

void FlushFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool WriteAll(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

Result<Done> ReplaceFileAtomically(const std::string& path, const std::string& text) {
  std::string temp = path + ".tmp-XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return Failure("cannot create a file beside", path);
  const bool written = ::fchmod(fd, 0644) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
  const int savedErrno = errno;
  ::close(fd);
  if (!written) errno = savedErrno;
  if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
    const int reason = errno;
    ::unlink(temp.c_str());
    errno = reason;
    return Failure("cannot write", path);
  }
  FlushFolder(Folder(path));
  return Done{};
}

Result<Done> RemoveFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) return Failure("cannot remove", path);
  FlushFolder(Folder(path));
  return Done{};
}

}  // namespace zf::kernel
