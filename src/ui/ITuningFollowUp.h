// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What follows once a tuning run or a restore has written the store: making the values true on
// this computer. The tuning screens and the backup manager call it; the kernel feature implements
// it, and the shell hands it to the screens that use it.
#include <filesystem>
#include <functional>
#include <string>

namespace zf {

// How the store goes back to what it held before the run, should the computer not keep the
// new values: the backup the run took, or a snapshot in backup format taken before a restore.
struct RegistryWayBack {
  std::string name;            // what the user is told: "008.BCK"
  std::filesystem::path file;  // a backup file, or
  std::string snapshot;        // the bytes of one
  bool Exists() const { return !file.empty() || !snapshot.empty(); }
};

class ITuningFollowUp {
 public:
  virtual ~ITuningFollowUp() = default;
  virtual void AfterStoreWritten(RegistryWayBack wayBack) = 0;
  // Calls listener whenever an offer has ended (the computer kept the values or went back), so
  // that views of the computer's settings can refresh, until owner's listeners are removed.
  virtual void AddEndedListener(const void* owner, std::function<void()> listener) = 0;
  virtual void RemoveEndedListeners(const void* owner) = 0;
};

}  // namespace zf
