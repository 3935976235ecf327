// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fair turns for processes writing one store. SQLite's write lock is not fair: a process that
// commits and begins its next transaction at once keeps the lock, while the others only poll
// for it and can starve past any time-out. So a waiting writer marks itself on a small lock
// file beside the store, and a writer about to begin lets marked writers go first.
#include <chrono>
#include <filesystem>

namespace zf {

class WriterTurns {
 public:
  // Inactive (every call does nothing) when the lock file cannot be opened or made.
  explicit WriterTurns(const std::filesystem::path& storeFile);
  WriterTurns() = default;
  ~WriterTurns();
  WriterTurns(const WriterTurns&) = delete;
  WriterTurns& operator=(const WriterTurns&) = delete;

  void MarkWaiting();
  void ClearWaiting();
  // Waits while another process is marked waiting, at most a few milliseconds.
  void LetWaitersGoFirst();

  static std::filesystem::path LockFile(const std::filesystem::path& storeFile);

 private:
  bool OthersWaiting() const;

  int m_fd = -1;
  bool m_waiting = false;
};

}  // namespace zf
