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

// Renames without replacing; file systems without that rename get a hard link instead.
int RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

}  // namespace

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
    writeError = fdio::WriteAll(fd, bytes);
    return writeError == 0;
  };
  const bool produced = produce(write);
  if (produced) {
    writeError = sync.Sync(fd) != 0 ? errno : 0;
    const int closeError = fdio::Close(fd, sync);
    if (writeError == 0) writeError = closeError;
  } else {
    static_cast<void>(fdio::Close(fd, sync));  // the producer's failure is the one to report
  }
  if (produced && writeError == 0) return name;
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
  if (const int flushError = fdio::SyncFolder(to.parent_path().string(), sync); flushError != 0) {
    *error = Reason("Cannot flush the folder", to.parent_path(), flushError);
    ::unlink(to.c_str());
    return PublishResult::Failed;
  }
  return PublishResult::Published;
}

}  // namespace zf
