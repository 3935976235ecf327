// SPDX-License-Identifier: GPL-3.0-or-later
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
#include "core/Translatable.h"
#include "platform/files.h"

namespace zf {

inline constexpr int kHighestBackupNumber = 999;

// A file name of the store, or the reason there is none.
struct BackupPathResult {
  std::filesystem::path path;
  std::string error;  // English
  Phrase reason;      // the error as a phrase where it has one, for a translation
  bool ok() const { return error.empty(); }
  Phrase Reason() const { return reason.empty() ? Phrase(error) : reason; }
  void Refuse(Phrase why) {
    error = why.English();
    reason = std::move(why);
  }
};

// True for a plain backup name: three digits and ".BCK" (the extension in any letter case).
bool IsBackupFileName(std::string_view name);
// What a "*.BCK" file counts as when numbering: the leading number of the last three characters
// of its base name, so "1234.BCK" counts 234 and "abc.BCK" 0.
int BackupNumberOf(std::string_view fileName);

// Creates the folder when missing.
bool EnsureBackupsFolder(const std::filesystem::path& folder, std::string* error);

// Full path for the next backup: one above the highest number in use (and above notBelow).
// Creates the folder when missing. Every entry named "*.BCK" counts, whatever it is, since its
// name is taken; when only names that are no plain backup name ("copy of 999.BCK") hold 999,
// numbering goes on above the plain names. Fails once 999.BCK is there: a backup never gets a
// fourth digit nor an old number.
BackupPathResult NewBackupFilePath(const std::filesystem::path& folder, int notBelow = 0);

// Stores bytes as the next numbered backup. The file is complete on disk before it gets its
// number, and no existing file is ever replaced. Temporary files that a killed writer left
// behind more than a minute ago are removed first.
BackupPathResult StoreNewBackup(const std::filesystem::path& folder, std::string_view bytes,
                                FileSync& sync = SystemFileSync());

struct BackupListEntry {
  std::string fileName;              // the name in the folder: "001.BCK", or "001.bck"
  std::optional<BackupStamp> taken;  // empty when the file's header cannot be read
  std::string DateText() const { return taken ? taken->DateText() : std::string(); }
  std::string TimeText() const { return taken ? taken->TimeText() : std::string(); }
};

struct BackupList {
  std::vector<BackupListEntry> entries;  // by file name
  std::string error;                     // set when the folder exists but cannot be read
};

// The regular files of the folder with a plain NNN.BCK name (links, folders, FIFOs and the like
// are no backups); a missing folder lists nothing.
BackupList ListBackups(const std::filesystem::path& folder);

// The listed backup a name stands for: the one of exactly that name, else the only one whose
// name differs in letter case alone. Refuses names that are not a plain NNN.BCK.
BackupPathResult FindBackupFile(const std::filesystem::path& folder, std::string_view name);

// Opens a backup file for reading, refusing anything but a regular file.
OpenedRegularFile OpenBackupFile(const std::filesystem::path& file);

// The lines of an open backup file, read a block at a time.
class BackupFileLines final : public BackupLineSource {
 public:
  BackupFileLines(FileDescriptor fd, std::string name) : m_fd(std::move(fd)), m_name(std::move(name)) {}
  std::optional<std::string_view> NextLine() override;
  std::string error() const override { return m_error; }

 private:
  // Appends the next block; false at the end of the file or on a read error.
  bool Fill();

  FileDescriptor m_fd;
  std::string m_name;
  std::string m_buffer;
  std::size_t m_start = 0;  // where the next line begins in m_buffer
  bool m_ended = false;
  std::string m_error;
};

// Deletes the backup a listed name stands for; returns the reason when it could not.
Phrase DeleteBackup(const std::filesystem::path& folder, std::string_view name);

}  // namespace zf
