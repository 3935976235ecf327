// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The few descriptor chores that must be right everywhere: writing every byte (again after a
// signal, on after a short write), making a file and its folder durable, and hearing close()'s
// error. Shared by the platform and the private programs, so it is plain C++ with no allocation
// it does not need. Each call answers 0, or the errno of the first step that failed.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace zf::fdio {

// The calls that make bytes durable and let a descriptor go; tests override them to count or fail.
class DurableCalls {
 public:
  virtual ~DurableCalls() = default;
  // fsync(2): 0, or -1 with errno set.
  virtual int Sync(int fd);
  // close(2): 0, or -1 with errno set; the descriptor is gone either way.
  virtual int Close(int fd);
};

// The real calls.
DurableCalls& SystemCalls();

// One attempt to hand over bytes: a count, or -1 with errno set, as write(2) answers.
using PutOnce = std::function<ssize_t(const char* data, std::size_t size)>;

// Hands over all of data through put: again after EINTR, on after a short count. A put that
// takes nothing counts as EIO, so a full device or a dead peer cannot spin the loop.
[[nodiscard]] int PutAll(const PutOnce& put, std::string_view data);
[[nodiscard]] int WriteAll(int fd, std::string_view data);
// Over a socket: a peer that went away is EPIPE, never a SIGPIPE for the whole process.
[[nodiscard]] int SendAll(int fd, std::string_view data);

inline std::string_view Bytes(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Fills bytes: again after EINTR; ENODATA when the input ends first.
[[nodiscard]] int ReadExactly(int fd, std::span<std::uint8_t> bytes);

// close(2), reporting its error (a late write error of a network or FUSE file system). EINTR
// counts as closed: on Linux the descriptor is released before the call is interrupted.
[[nodiscard]] int Close(int fd, DurableCalls& calls = SystemCalls());

// Writes all of data to fd, flushes it to the device and closes fd, which is closed whatever
// happened; the first failure wins.
[[nodiscard]] int FinishFile(int fd, std::string_view data, DurableCalls& calls = SystemCalls());

// Flushes a folder so the names just made or removed in it survive a crash. A file system that
// cannot flush a folder (EINVAL) makes the rename as durable as it gets, so that counts as done.
[[nodiscard]] int SyncFolder(const std::string& folder, DurableCalls& calls = SystemCalls());

// The folder a path lies in: "." for a bare name, "/" for a name in the root.
std::string FolderOf(const std::string& path);

}  // namespace zf::fdio
