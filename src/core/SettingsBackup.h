// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Taking a backup of the tuning values a layout is about to change, and putting one back.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/BackupStore.h"
#include "platform/clock.h"
#include "platform/registry.h"

namespace zf {

// What a tuning run and its backup work on.
struct TuningContext {
  IRegistry& registry;
  IClock& clock;
  std::filesystem::path backupsFolder;  // BackupsFolder(config)
  std::int16_t familyCode = 0;          // the running OS family
};

struct TakenBackup {
  std::filesystem::path path;
  std::string error;  // why no file was written
  // Values the backup could not keep as they are: texts that spell no number it can record
  // (recorded as 0), one sentence each.
  std::vector<std::string> unkeptValues;
  bool ok() const { return error.empty(); }
};

// Records the current values of the family's layout as the next numbered backup, dated by one
// clock reading. A text value counts as the number it spells, blanks around it ignored. Fails,
// writing no file, when the folder or the file cannot be written or no number is free.
TakenBackup WriteSettingsBackup(const TuningContext& context);
// The bytes such a backup would hold now, written nowhere.
std::string SettingsBackupBytes(const TuningContext& context, std::vector<std::string>* unkeptValues = nullptr);

enum class RestoreOutcome { Completed, Refused, Failed };

inline constexpr std::string_view kOtherOSBackupMessage = "This backup file was taken from another operating system!!";

struct RestoreResult {
  RestoreOutcome outcome = RestoreOutcome::Failed;
  // Refused: kOtherOSBackupMessage. Failed: what went wrong and what was restored before it.
  std::string description;
  std::int16_t fileFamilyCode = 0;  // as the file records it, once its header was read
  int valuesWritten = 0;
  std::vector<std::string> failedWrites;  // values the store refused
};

// Writes a backup's values back. A file of another OS family writes nothing. A read error, or a
// file that ends before its three fixed groups are whole or inside a later group, ends the
// restore as failed, with the values before it written. The file is read line by line into one
// store batch, committed at the end, so a crash leaves all of the values or none.
RestoreResult RestoreSettingsBackup(IRegistry& registry, std::int16_t runningFamily, const std::filesystem::path& file);
// The same for a backup's bytes already read; name is the file name the descriptions show.
RestoreResult RestoreBackupBytes(IRegistry& registry, std::int16_t runningFamily, const std::string& name,
                                 std::string_view bytes);

}  // namespace zf
