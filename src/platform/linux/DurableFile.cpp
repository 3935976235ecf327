// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/files.h"

namespace zf {
namespace {

std::string Reason(const std::string& what, const std::filesystem::path& path, int errorNumber) {
  return what + " " + path.string() + ": " + std::strerror(errorNumber) + ".";
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(fd, data.data(), data.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Some file systems cannot flush a folder (EINVAL); there the rename is as durable as it gets.
int FlushFolder(const std::filesystem::path& folder, FileSync& sync) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int result = sync.Sync(fd) == 0 || errno == EINVAL ? 0 : errno;
  ::close(fd);
  return result;
}

// Renames without replacing; file systems without that rename get a hard link instead.
int RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

}  // namespace

int FileSync::Sync(int fd) { return ::fsync(fd); }

FileSync& SystemFileSync() {
  static FileSync system;
  return system;
}

std::filesystem::path WriteDurableTempFile(const std::filesystem::path& folder, std::string_view prefix,
                                           std::string_view data, std::string* error, FileSync& sync) {
  return WriteDurableTempFileFrom(
      folder, prefix, [data](const ByteSink& write) { return write(data); }, error, sync);
}

std::filesystem::path WriteDurableTempFileFrom(const std::filesystem::path& folder, std::string_view prefix,
                                               const std::function<bool(const ByteSink&)>& produce, std::string* error,
                                               FileSync& sync) {
  std::string name = (folder / (std::string(prefix) + "XXXXXX")).string();
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) {
    *error = Reason("Cannot create a file in", folder, errno);
    return {};
  }
  int writeError = 0;
  const ByteSink write = [fd, &writeError](std::string_view bytes) {
    errno = 0;
    if (WriteAll(fd, bytes)) return true;
    writeError = errno != 0 ? errno : EIO;
    return false;
  };
  bool written = produce(write);
  if (written && sync.Sync(fd) != 0) {
    writeError = errno;
    written = false;
  }
  if (::close(fd) != 0 && written) {
    writeError = errno;
    written = false;
  }
  if (written) return name;
  if (writeError != 0) *error = Reason("Cannot write", name, writeError);
  ::unlink(name.c_str());
  return {};
}

PublishResult PublishDurably(const std::filesystem::path& from, const std::filesystem::path& to, std::string* error,
                             FileSync& sync) {
  if (const int renameError = RenameNoReplace(from, to); renameError != 0) {
    if (renameError == EEXIST) return PublishResult::TargetExists;
    *error = Reason("Cannot rename to", to, renameError);
    return PublishResult::Failed;
  }
  if (const int flushError = FlushFolder(to.parent_path(), sync); flushError != 0) {
    *error = Reason("Cannot flush the folder", to.parent_path(), flushError);
    ::unlink(to.c_str());
    return PublishResult::Failed;
  }
  return PublishResult::Published;
}

}  // namespace zf
