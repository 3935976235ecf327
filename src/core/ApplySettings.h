// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing the current settings record into the registry layout of the running OS family, after
// a backup of the values it replaces.
#include <filesystem>
#include <string>
#include <vector>

#include "core/SettingsBackup.h"
#include "core/TcpSettings.h"

namespace zf {

enum class ApplyOutcome {
  Applied,  // backup taken, every value written
  Skipped,  // the family code has no layout: no backup, no write
  Refused,  // no backup could be taken, so nothing was written
  Failed,   // the store could not save the writes; the backup exists, nothing was written
};

struct ApplyResult {
  ApplyOutcome outcome = ApplyOutcome::Failed;
  std::string reason;                     // for Skipped, Refused and Failed: a sentence to show as it stands
  std::filesystem::path backupFile;       // the backup taken, when one was
  std::vector<std::string> failedWrites;  // values the store refused while the rest went in
  std::vector<std::string> unkeptValues;  // values the backup could not keep (it recorded 0)
  bool ok() const { return outcome == ApplyOutcome::Applied; }
};

// Takes the backup, then writes every value of the layout, all as one store batch committed
// only once the backup file is safely on disk. The settings record itself never changes.
ApplyResult ApplySettings(const TuningContext& context, const TcpSettings& settings);

}  // namespace zf
