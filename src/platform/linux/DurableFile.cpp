// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

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

// A new file prefix plus six random characters in folder, made exclusively (O_EXCL: never a
// name someone planted, never through a link). The path is empty when none could be made.
std::filesystem::path CreateTempFile(const std::filesystem::path& folder, std::string_view prefix, FileDescriptor* fd,
                                     std::string* error) {
  std::string name = (folder / (std::string(prefix) + "XXXXXX")).string();
  *fd = FileDescriptor(::mkostemp(name.data(), O_CLOEXEC));
  if (fd->isOpen()) return name;
  *error = Reason("Cannot create a file in", folder, errno);
  return {};
}

// Read from /proc/self/status where it can be: setting the mask to read it, the only other way,
// would open a moment in which files other threads make get no mask at all.
mode_t CurrentUmask() {
  if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, status) != nullptr)
      found = std::sscanf(line, "Umask: %o", &mask) == 1;
    std::fclose(status);
    if (found) return static_cast<mode_t>(mask);
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Buffers a stream's bytes and writes them to a descriptor; the first failure is kept.
class DescriptorBuffer : public std::streambuf {
 public:
  explicit DescriptorBuffer(int fd) : m_fd(fd) { setp(m_bytes.data(), m_bytes.data() + m_bytes.size()); }
  int failure() const { return m_failure; }

 protected:
  int overflow(int c) override {
    if (!Drain()) return traits_type::eof();
    if (c != traits_type::eof()) sputc(static_cast<char>(c));
    return traits_type::not_eof(c);
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool Drain() {
    if (m_failure == 0)
      m_failure = fdio::WriteAll(m_fd, std::string_view(pbase(), static_cast<std::size_t>(pptr() - pbase())));
    setp(m_bytes.data(), m_bytes.data() + m_bytes.size());
    return m_failure == 0;
  }

  int m_fd;
  int m_failure = 0;
  std::array<char, 64 * 1024> m_bytes;
};

std::filesystem::path FolderOf(const std::filesystem::path& path) {
  return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

// Puts from in the place of to, which was the regular file replaced when the output was opened:
// exchanged in one step and exchanged back when what came out is not that file (someone swapped
// the name meanwhile). File systems without the exchange get a check just before a rename.
std::string ReplaceRegularFile(const std::filesystem::path& from, const std::filesystem::path& to,
                               const struct stat& replaced) {
  const std::string swapped =
      to.string() + " was replaced by something else while it was written; it was left as it is.";
  struct stat found {};
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) == 0) {
    if (::lstat(from.c_str(), &found) == 0 && S_ISREG(found.st_mode) && SameFile(found, replaced)) {
      ::unlink(from.c_str());
      return {};
    }
    ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE);
    return swapped;
  }
  if (errno != EINVAL && errno != ENOSYS) return errno == ENOENT ? swapped : Reason("Cannot rename to", to, errno);
  if (::lstat(to.c_str(), &found) != 0 || !S_ISREG(found.st_mode) || !SameFile(found, replaced)) return swapped;
  return ::rename(from.c_str(), to.c_str()) == 0 ? std::string() : Reason("Cannot rename to", to, errno);
}

std::string RefusedOutput(const std::filesystem::path& path, const struct stat& entry) {
  const std::string name = path.string();
  if (S_ISLNK(entry.st_mode))
    return name +
           " is a symbolic link that leads to no device or FIFO; name the file itself (a link is never "
           "followed to a file nor replaced).";
  if (S_ISDIR(entry.st_mode)) return name + " is a folder.";
  return name + " is not a regular file, a character device or a FIFO; it was left as it is.";
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

std::unique_ptr<OutputFile> OutputFile::Open(const std::filesystem::path& path, std::string* error) {
  struct stat entry {};
  const bool exists = ::lstat(path.c_str(), &entry) == 0;
  if (!exists && errno != ENOENT) {
    *error = Reason("Cannot examine", path, errno);
    return nullptr;
  }
  if (!exists || S_ISREG(entry.st_mode)) {
    FileDescriptor fd;
    const std::string prefix = "." + path.filename().string().substr(0, 200) + ".part-";
    std::filesystem::path temp = CreateTempFile(FolderOf(path), prefix, &fd, error);
    if (temp.empty()) return nullptr;
    // mkostemp makes the file 0600; a new one gets what creat(2) would have given it, as cp and
    // shells do, and a replaced one keeps its own bits.
    ::fchmod(fd.get(), exists ? entry.st_mode & 0777 : 0666 & ~CurrentUmask());
    return std::unique_ptr<OutputFile>(
        new OutputFile(exists ? Kind::Replace : Kind::New, path, std::move(fd), std::move(temp), entry));
  }
  struct stat node = entry;
  if (S_ISLNK(entry.st_mode) && ::stat(path.c_str(), &node) != 0) node = entry;
  if (!S_ISCHR(node.st_mode) && !S_ISFIFO(node.st_mode)) {
    *error = RefusedOutput(path, entry);
    return nullptr;
  }
  // No O_CREAT and no O_TRUNC: only what is there is written to; checked again once open, in
  // case the name changed in between.
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
  if (!fd.isOpen()) {
    *error = Reason("Cannot open", path, errno);
    return nullptr;
  }
  if (::fstat(fd.get(), &node) != 0 || (!S_ISCHR(node.st_mode) && !S_ISFIFO(node.st_mode))) {
    *error = path.string() + " changed while it was opened; it was left as it is.";
    return nullptr;
  }
  return std::unique_ptr<OutputFile>(new OutputFile(Kind::Through, path, std::move(fd), {}, entry));
}

OutputFile::OutputFile(Kind kind, std::filesystem::path path, FileDescriptor fd, std::filesystem::path temp,
                       const struct stat& replaced)
    : m_kind(kind),
      m_path(std::move(path)),
      m_fd(std::move(fd)),
      m_temp(std::move(temp)),
      m_replaced(replaced),
      m_buffer(std::make_unique<DescriptorBuffer>(m_fd.get())),
      m_stream(m_buffer.get()) {}

OutputFile::~OutputFile() {
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
}

bool OutputFile::Finish(std::string* error) {
  m_stream.flush();
  const auto& buffer = static_cast<const DescriptorBuffer&>(*m_buffer);
  int failure = buffer.failure();
  if (failure == 0 && m_kind != Kind::Through && SystemFileSync().Sync(m_fd.get()) != 0) failure = errno;
  if (::close(m_fd.release()) != 0 && failure == 0) failure = errno;
  if (failure != 0) {
    *error = Reason("Cannot write", m_path, failure);
    return false;
  }
  return m_kind == Kind::Through || PutInPlace(error);
}

bool OutputFile::PutInPlace(std::string* error) {
  const std::filesystem::path temp = std::exchange(m_temp, {});
  if (m_kind == Kind::New) {
    const PublishResult published = PublishDurably(temp, m_path, error);
    if (published == PublishResult::Published) return true;
    ::unlink(temp.c_str());
    if (published == PublishResult::TargetExists)
      *error = m_path.string() + " appeared while the output was written; it was left as it is.";
    return false;
  }
  *error = ReplaceRegularFile(temp, m_path, m_replaced);
  if (!error->empty()) {
    ::unlink(temp.c_str());
    return false;
  }
  if (const int flushError = fdio::SyncFolder(FolderOf(m_path).string(), SystemFileSync()); flushError != 0) {
    *error = Reason("Cannot flush the folder", FolderOf(m_path), flushError);
    return false;
  }
  return true;
}

}  // namespace zf
