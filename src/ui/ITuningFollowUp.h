// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What follows once a tuning run or a restore has written the store: making the values true on
// this computer. The tuning screens and the backup manager call it; the kernel bridge's screens
// implement it.
#include <filesystem>
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
};

}  // namespace zf
