#include "core/BackupStore.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <system_error>

#include "platform/files.h"

namespace zf {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kExtension = ".BCK";
// Never ends in ".BCK", so a file left by a crash is neither numbered nor listed.
constexpr std::string_view kTempPrefix = ".incomplete-";
// A valid header (date, time, family code) fits well inside this.
constexpr std::size_t kHeaderBytes = 256;
// Another process may take the number we chose between choosing and renaming.
constexpr int kPublishAttempts = 16;

bool HasBackupExtension(std::string_view name) {
  if (name.size() < kExtension.size()) return false;
  return std::equal(kExtension.begin(), kExtension.end(), name.end() - static_cast<long>(kExtension.size()),
                    [](char a, char b) { return a == std::toupper(static_cast<unsigned char>(b)); });
}

std::string BaseName(std::string_view name) { return std::string(name.substr(0, name.size() - kExtension.size())); }

std::string NumberedName(int number) {
  char name[16];
  std::snprintf(name, sizeof name, "%03d", number);
  return name + std::string(kExtension);
}

// The regular "*.BCK" files of a folder, by name.
std::vector<std::string> BackupNames(const fs::path& folder, std::error_code& error) {
  std::vector<std::string> names;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    const std::string name = it->path().filename().string();
    if (HasBackupExtension(name) && it->is_regular_file(typeError)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<BackupStamp> ReadStamp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string bytes(kHeaderBytes, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  BackupHeader header;
  if (BackupTextReader(bytes).ReadHeader(&header) != BackupTextReader::Status::Ok) return std::nullopt;
  return header.taken;
}

std::string FolderError(const std::string& what, const fs::path& folder, const std::error_code& error) {
  return what + " " + folder.string() + ": " + error.message() + ".";
}

}  // namespace

bool IsBackupFileName(std::string_view name) {
  return name.size() == 3 + kExtension.size() && HasBackupExtension(name) &&
         std::all_of(name.begin(), name.begin() + 3, [](char c) { return c >= '0' && c <= '9'; });
}

int BackupNumberOf(std::string_view fileName) {
  const std::string base = BaseName(fileName);
  std::string_view tail = base;
  if (tail.size() > 3) tail.remove_prefix(tail.size() - 3);
  while (!tail.empty() && (tail.front() == ' ' || tail.front() == '\t')) tail.remove_prefix(1);
  int number = 0;
  for (char c : tail) {
    if (c < '0' || c > '9') break;
    number = number * 10 + (c - '0');
  }
  return number;
}

bool EnsureBackupsFolder(const fs::path& folder, std::string* error) {
  std::error_code code;
  if (fs::is_directory(folder, code)) return true;
  fs::create_directories(folder, code);
  if (!code && fs::is_directory(folder, code)) return true;
  *error = FolderError("Cannot create the backup folder", folder,
                       code ? code : std::make_error_code(std::errc::not_a_directory));
  return false;
}

BackupPathResult NewBackupFilePath(const fs::path& folder) {
  BackupPathResult result;
  if (!EnsureBackupsFolder(folder, &result.error)) return result;
  std::error_code error;
  int highest = 0;
  std::string highestName;
  for (const std::string& name : BackupNames(folder, error)) {
    if (const int number = BackupNumberOf(name); number > highest) {
      highest = number;
      highestName = name;
    }
  }
  if (error) {
    result.error = FolderError("Cannot read the backup folder", folder, error);
  } else if (highest >= kHighestBackupNumber) {
    result.error = "No backup number is free: backup numbers end at 999 and " + highestName + " in " + folder.string() +
                   " holds it. Delete the highest-numbered backups to free numbers.";
  } else {
    result.path = folder / NumberedName(highest + 1);
  }
  return result;
}

BackupPathResult StoreNewBackup(const fs::path& folder, std::string_view bytes) {
  BackupPathResult result;
  if (!EnsureBackupsFolder(folder, &result.error)) return result;
  const fs::path temp = WriteDurableTempFile(folder, kTempPrefix, bytes, &result.error);
  if (temp.empty()) return result;
  for (int attempt = 0; attempt < kPublishAttempts; ++attempt) {
    BackupPathResult next = NewBackupFilePath(folder);
    if (!next.ok()) {
      result.error = next.error;
      break;
    }
    const PublishResult published = PublishDurably(temp, next.path, &result.error);
    if (published == PublishResult::Published) return next;
    if (published == PublishResult::Failed) break;
  }
  if (result.error.empty())
    result.error = "Other programs kept taking the next backup number in " + folder.string() + ".";
  std::error_code ignored;
  fs::remove(temp, ignored);
  return result;
}

BackupList ListBackups(const fs::path& folder) {
  BackupList list;
  std::error_code error;
  if (!fs::exists(folder, error)) return list;
  for (const std::string& name : BackupNames(folder, error)) {
    if (IsBackupFileName(name))
      list.entries.push_back({BaseName(name) + std::string(kExtension), ReadStamp(folder / name)});
  }
  if (error) list.error = FolderError("Cannot read the backup folder", folder, error);
  return list;
}

BackupPathResult FindBackupFile(const fs::path& folder, std::string_view name) {
  BackupPathResult result;
  if (!IsBackupFileName(name)) {
    result.error = "\"" + std::string(name) + "\" is not a backup name (three digits and .BCK, like 001.BCK).";
    return result;
  }
  std::error_code error;
  for (const std::string& candidate : BackupNames(folder, error)) {
    if (BaseName(candidate) == BaseName(name)) {
      result.path = folder / candidate;
      return result;
    }
  }
  result.error = "There is no backup " + BaseName(name) + std::string(kExtension) + " in " + folder.string() + ".";
  return result;
}

std::string DeleteBackup(const fs::path& folder, std::string_view name) {
  const BackupPathResult found = FindBackupFile(folder, name);
  if (!found.ok()) return found.error;
  std::error_code error;
  fs::remove(found.path, error);
  return error ? "Cannot delete " + found.path.string() + ": " + error.message() + "." : std::string();
}

}  // namespace zf
