// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files.h"

namespace zf {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = other.m_fd;
    other.m_fd = -1;
  }
  return *this;
}

FileDescriptor::~FileDescriptor() {
  if (m_fd >= 0) ::close(m_fd);
}

OpenedRegularFile OpenRegularFile(const std::filesystem::path& path) {
  OpenedRegularFile opened;
  opened.fd = FileDescriptor(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!opened.fd.isOpen()) {
    opened.error = errno == ELOOP ? path.string() + " is a symbolic link, not a file."
                                  : "Cannot open " + path.string() + ": " + std::strerror(errno) + ".";
    return opened;
  }
  struct stat info {};
  if (::fstat(opened.fd.get(), &info) != 0) {
    opened.error = "Cannot examine " + path.string() + ": " + std::strerror(errno) + ".";
  } else if (!S_ISREG(info.st_mode)) {
    opened.error = path.string() + " is not a regular file.";
  } else {
    opened.size = static_cast<std::uintmax_t>(info.st_size);
    const int flags = ::fcntl(opened.fd.get(), F_GETFL);
    if (flags >= 0) ::fcntl(opened.fd.get(), F_SETFL, flags & ~O_NONBLOCK);
  }
  if (!opened.ok()) opened.fd = FileDescriptor();
  return opened;
}

bool IsRegularEntry(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace zf
