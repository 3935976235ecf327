#pragma once
// The Backups folder of the program folder and its numbered files 001.BCK to 999.BCK: choosing
// the next number, storing a new backup whole or not at all, and what the backup manager needs
// (listing with the date and time each file records, finding and deleting one by name).
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/BackupFormat.h"

namespace zf {

inline constexpr int kHighestBackupNumber = 999;

// A file name of the store, or the reason there is none.
struct BackupPathResult {
  std::filesystem::path path;
  std::string error;
  bool ok() const { return error.empty(); }
};

// True for a plain backup name: three digits and ".BCK" (the extension in any letter case).
bool IsBackupFileName(std::string_view name);
// What a "*.BCK" file counts as when numbering: the leading number of the last three characters
// of its base name, so "1234.BCK" counts 234 and "abc.BCK" 0.
int BackupNumberOf(std::string_view fileName);

// Creates the folder when missing.
bool EnsureBackupsFolder(const std::filesystem::path& folder, std::string* error);

// Full path for the next backup: one above the highest number in use. Creates the folder when
// missing. Fails once 999 is in use: a backup never gets a fourth digit nor an old number.
BackupPathResult NewBackupFilePath(const std::filesystem::path& folder);

// Stores bytes as the next numbered backup. The file is complete on disk before it gets its
// number, and no existing file is ever replaced.
BackupPathResult StoreNewBackup(const std::filesystem::path& folder, std::string_view bytes);

struct BackupListEntry {
  std::string fileName;              // base name and ".BCK": "001.BCK"
  std::optional<BackupStamp> taken;  // empty when the file's header cannot be read
  std::string DateText() const { return taken ? taken->DateText() : std::string(); }
  std::string TimeText() const { return taken ? taken->TimeText() : std::string(); }
};

struct BackupList {
  std::vector<BackupListEntry> entries;  // by file name
  std::string error;                     // set when the folder exists but cannot be read
};

// The plain NNN.BCK files of the folder; a missing folder lists nothing.
BackupList ListBackups(const std::filesystem::path& folder);

// The file a listed name stands for. Refuses names that are not a plain NNN.BCK and names
// with no regular file in the folder.
BackupPathResult FindBackupFile(const std::filesystem::path& folder, std::string_view name);

// Deletes the backup a listed name stands for; returns the reason when it could not.
std::string DeleteBackup(const std::filesystem::path& folder, std::string_view name);

}  // namespace zf
