#pragma once
// Reading a file that lies in a folder others may write: never through a link, never waiting on
// a FIFO or a device, and only when it is a regular file.
#include <cstdint>
#include <filesystem>
#include <string>

namespace zf {

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
