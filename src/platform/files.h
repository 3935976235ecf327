// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files that appear whole or not at all: written and flushed under a temporary name, then given
// their final name in one step that never replaces another file. And reading a file that lies in
// a folder others may write: never through a link, never waiting on a FIFO or a device, and only
// when it is a regular file.
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "platform/fdio.h"

namespace zf {

// Makes written bytes, or a folder's new names, durable (fsync(2)) and closes descriptors. Tests
// count or fail the calls through a subclass of their own.
using FileSync = fdio::DurableCalls;

// The one the program uses.
inline FileSync& SystemFileSync() { return fdio::SystemCalls(); }

// Writes data to a new file named prefix plus six random characters in folder and flushes it to
// disk. The file is made exclusively, so nothing planted under any name is written through.
// Returns its path, or an empty path with the reason in error.
std::filesystem::path WriteDurableTempFile(const std::filesystem::path& folder, std::string_view prefix,
                                           std::string_view data, std::string* error,
                                           FileSync& sync = SystemFileSync());

// Takes bytes piece by piece; false when they could not be written.
using ByteSink = std::function<bool(std::string_view bytes)>;

// As above, with the bytes handed piece by piece by produce to the sink it is given, so that they
// never need to be held whole. When produce answers false the file goes again; a failed write or
// flush is told in error, anything else produce tells itself.
std::filesystem::path WriteDurableTempFileFrom(const std::filesystem::path& folder, std::string_view prefix,
                                               const std::function<bool(const ByteSink&)>& produce, std::string* error,
                                               FileSync& sync = SystemFileSync());

enum class PublishResult { Published, TargetExists, Failed };

// Renames the flushed file from to to (same folder) unless to exists, then flushes the folder so
// the new name survives a crash. On Failed neither name is left behind under to.
PublishResult PublishDurably(const std::filesystem::path& from, const std::filesystem::path& to, std::string* error,
                             FileSync& sync = SystemFileSync());

// An open descriptor, closed with the object.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor();

  int get() const { return m_fd; }
  int release() { return std::exchange(m_fd, -1); }
  bool isOpen() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
};

// A file a user named for a command's output, treated the way cp and tee treat what they write
// to, without ever replacing what is not a regular file:
// - no such name, or a regular file: written under a temporary name beside it and put in its
//   place by Finish (a new file's permission bits follow the umask, a replaced file keeps its
//   own), so it is whole or as it was;
// - a character device or a FIFO, named directly or through a link (/dev/null, /dev/stdout):
//   opened without creating or truncating and written through;
// - anything else is refused untouched: a link to a regular file or a folder (neither followed
//   nor replaced), a folder, a block device, a socket.
class OutputFile {
 public:
  // Null with the reason in error.
  static std::unique_ptr<OutputFile> Open(const std::filesystem::path& path, std::string* error);
  ~OutputFile();  // an unfinished temporary file is removed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  std::ostream& stream() { return m_stream; }
  // Flushes what was written and puts a file in place; false with the reason in error, and then
  // whatever stood at the path stays as it was.
  bool Finish(std::string* error);

 private:
  enum class Kind { New, Replace, Through };
  OutputFile(Kind kind, std::filesystem::path path, FileDescriptor fd, std::filesystem::path temp,
             const struct stat& replaced);
  bool PutInPlace(std::string* error);

  Kind m_kind;
  std::filesystem::path m_path;
  FileDescriptor m_fd;
  std::filesystem::path m_temp;  // New and Replace: written here until Finish
  struct stat m_replaced {};     // Replace: the file found at the path
  std::unique_ptr<std::streambuf> m_buffer;
  std::ostream m_stream;
};

struct OpenedRegularFile {
  FileDescriptor fd;  // open for reading, blocking reads again; closed when error is set
  std::uintmax_t size = 0;
  std::string error;  // names the file and why it was refused
  bool ok() const { return error.empty(); }
};

// Opens path for reading without following a final symbolic link and without blocking, then
// checks the open descriptor: anything but a regular file is refused.
OpenedRegularFile OpenRegularFile(const std::filesystem::path& path);

// Whether the folder entry itself (not what a link points to) is a regular file.
bool IsRegularEntry(const std::filesystem::path& path);

}  // namespace zf
