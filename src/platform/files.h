// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files that appear whole or not at all: written and flushed under a temporary name, then given
// their final name in one step that never replaces another file. And reading a file that lies in
// a folder others may write: never through a link, never waiting on a FIFO or a device, and only
// when it is a regular file.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "platform/fdio.h"

namespace zf {

// Makes written bytes, or a folder's new names, durable (fsync(2)) and closes descriptors. Tests
// count or fail the calls through a subclass of their own.
using FileSync = fdio::DurableCalls;

// The one the program uses.
inline FileSync& SystemFileSync() { return fdio::SystemCalls(); }

// Writes data to a new file named prefix plus six random characters in folder and flushes it to
// disk. Returns its path, or an empty path with the reason in error.
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
  bool isOpen() const { return m_fd >= 0; }

 private:
  int m_fd = -1;
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
