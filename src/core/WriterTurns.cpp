// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/WriterTurns.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

namespace zf {
namespace {

// Long enough for a polling waiter to notice the free lock, short enough not to matter.
constexpr auto kLongestCourtesy = std::chrono::milliseconds(20);
constexpr auto kCourtesyStep = std::chrono::microseconds(200);

// Open-file-description locks: tied to our descriptor, untouched by anything else this
// process opens or closes, released by the kernel when the process dies.
bool SetLock(int fd, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// Opened as if the folder were hostile: a planted link is not followed (root would create its
// target) and anything but a regular file is not used; without the file there are no turns.
int OpenTurnsFile(const std::filesystem::path& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  struct stat info {};
  if (fd < 0 || (fstat(fd, &info) == 0 && S_ISREG(info.st_mode))) return fd;
  close(fd);
  return -1;
}

}  // namespace

// A store that is never written (read-only) passes no file and takes part in no turns.
WriterTurns::WriterTurns(const std::filesystem::path& storeFile)
    : m_fd(storeFile.empty() ? -1 : OpenTurnsFile(LockFile(storeFile))) {}

WriterTurns::~WriterTurns() {
  if (m_fd >= 0) close(m_fd);
}

std::filesystem::path WriterTurns::LockFile(const std::filesystem::path& storeFile) {
  return storeFile.string() + "-turns";
}

void WriterTurns::MarkWaiting() {
  if (m_fd >= 0 && !m_waiting) m_waiting = SetLock(m_fd, F_RDLCK);
}

void WriterTurns::ClearWaiting() {
  if (!m_waiting) return;
  SetLock(m_fd, F_UNLCK);
  m_waiting = false;
}

bool WriterTurns::OthersWaiting() const {
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = 0;
  probe.l_len = 1;
  return fcntl(m_fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

void WriterTurns::LetWaitersGoFirst() {
  if (m_fd < 0) return;
  const auto giveUp = std::chrono::steady_clock::now() + kLongestCourtesy;
  while (OthersWaiting() && std::chrono::steady_clock::now() < giveUp) std::this_thread::sleep_for(kCourtesyStep);
}

}  // namespace zf
