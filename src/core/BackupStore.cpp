// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/BackupStore.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <system_error>

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
// A writer that was killed leaves its temporary file; one still being written is younger.
constexpr auto kAbandonedAfter = std::chrono::minutes(1);
constexpr std::size_t kReadBlock = 64 * 1024;

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

struct FolderEntry {
  std::string name;
  bool regular = false;  // the entry itself, never what a link points to
};

// Every entry of a folder whose name ends in ".BCK" in any letter case, by name.
std::vector<FolderEntry> BckEntries(const fs::path& folder, std::error_code& error) {
  std::vector<FolderEntry> entries;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (HasBackupExtension(name)) entries.push_back({name, IsRegularEntry(it->path())});
  }
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return entries;
}

// The names ListBackups shows, by name.
std::vector<std::string> ListedNames(const fs::path& folder, std::error_code& error) {
  std::vector<std::string> names;
  for (const FolderEntry& entry : BckEntries(folder, error))
    if (entry.regular && IsBackupFileName(entry.name)) names.push_back(entry.name);
  return names;
}

std::optional<BackupStamp> ReadStamp(const fs::path& file) {
  OpenedRegularFile opened = OpenBackupFile(file);
  if (!opened.ok()) return std::nullopt;
  BackupFileLines lines(std::move(opened.fd), file.filename().string());
  BackupHeader header;
  if (BackupTextReader(lines).ReadHeader(&header) != BackupTextReader::Status::Ok) return std::nullopt;
  return header.taken;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

// The highest number the entries count as, and the entry holding it.
struct Highest {
  int number = 0;
  const FolderEntry* holder = nullptr;
};

Highest HighestNumber(const std::vector<FolderEntry>& entries, bool plainNamesOnly) {
  Highest highest;
  for (const FolderEntry& entry : entries) {
    if (plainNamesOnly && !IsBackupFileName(entry.name)) continue;
    if (const int number = BackupNumberOf(entry.name); number > highest.number) highest = {number, &entry};
  }
  return highest;
}

void RemoveAbandonedTempFiles(const fs::path& folder) {
  std::error_code error;
  const auto now = fs::file_time_type::clock::now();
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (!it->path().filename().string().starts_with(kTempPrefix) || !IsRegularEntry(it->path())) continue;
    std::error_code ignored;
    const auto written = fs::last_write_time(it->path(), ignored);
    if (!ignored && now - written > kAbandonedAfter) fs::remove(it->path(), ignored);
  }
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

namespace {

// The next number's path in a folder that exists.
BackupPathResult NextBackupPath(const fs::path& folder, int notBelow) {
  BackupPathResult result;
  std::error_code error;
  const std::vector<FolderEntry> entries = BckEntries(folder, error);
  if (error) {
    result.error = FolderError("Cannot read the backup folder", folder, error);
    return result;
  }
  Highest highest = HighestNumber(entries, false);
  if (highest.number >= kHighestBackupNumber) highest = HighestNumber(entries, true);
  if (highest.number >= kHighestBackupNumber) {
    result.error = "No backup number is free: backup numbers end at 999 and " + highest.holder->name + " in " +
                   folder.string() + " holds it" +
                   (highest.holder->regular ? "" : " (it is not a backup file: remove or rename it)") +
                   ". Delete the highest-numbered backups to free numbers.";
  } else if (notBelow >= kHighestBackupNumber) {
    result.error = "No backup number is free in " + folder.string() + ": numbers up to 999 are taken.";
  } else {
    result.path = folder / NumberedName(std::max(highest.number, notBelow) + 1);
  }
  return result;
}

}  // namespace

BackupPathResult NewBackupFilePath(const fs::path& folder, int notBelow) {
  BackupPathResult result;
  if (!EnsureBackupsFolder(folder, &result.error)) return result;
  return NextBackupPath(folder, notBelow);
}

BackupPathResult StoreNewBackup(const fs::path& folder, std::string_view bytes, FileSync& sync) {
  BackupPathResult result;
  if (!EnsureBackupsFolder(folder, &result.error)) return result;
  RemoveAbandonedTempFiles(folder);
  const fs::path temp = WriteDurableTempFile(folder, kTempPrefix, bytes, &result.error, sync);
  if (temp.empty()) return result;
  int taken = 0;
  for (int attempt = 0; attempt < kPublishAttempts; ++attempt) {
    BackupPathResult next = NextBackupPath(folder, taken);
    if (!next.ok()) {
      result.error = next.error;
      break;
    }
    const PublishResult published = PublishDurably(temp, next.path, &result.error, sync);
    if (published == PublishResult::Published) return next;
    if (published == PublishResult::Failed) break;
    taken = BackupNumberOf(next.path.filename().string());
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
  for (const std::string& name : ListedNames(folder, error)) list.entries.push_back({name, ReadStamp(folder / name)});
  if (error) list.error = FolderError("Cannot read the backup folder", folder, error);
  return list;
}

BackupPathResult FindBackupFile(const fs::path& folder, std::string_view name) {
  BackupPathResult result;
  if (!IsBackupFileName(name)) {
    result.Refuse(Phrase::Format(
        ZF_SHARED_TRANSLATABLE("zf::BackupStore", "%1 is not a backup name (three digits and .BCK, like 001.BCK)."),
        {QuotedExcerpt(name)}));
    return result;
  }
  std::error_code error;
  std::vector<std::string> alike;
  for (const std::string& candidate : ListedNames(folder, error)) {
    if (candidate == name) {
      result.path = folder / candidate;
      return result;
    }
    if (SameIgnoringCase(candidate, name)) alike.push_back(candidate);
  }
  if (alike.size() == 1) {
    result.path = folder / alike.front();
  } else if (alike.empty()) {
    result.Refuse(Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::BackupStore", "There is no backup %1 in %2."),
                                 {std::string(name), folder.string()}));
  } else {
    result.Refuse(
        Phrase::Format(ZF_SHARED_TRANSLATABLE(
                           "zf::BackupStore",
                           "Several backups in %1 are named %2 in other letter cases (%3, %4): give the exact name."),
                       {folder.string(), std::string(name), alike.front(), alike.back()}));
  }
  return result;
}

OpenedRegularFile OpenBackupFile(const fs::path& file) { return OpenRegularFile(file); }

std::optional<std::string_view> BackupFileLines::NextLine() {
  for (;;) {
    const std::size_t end = m_buffer.find('\n', m_start);
    if (end != std::string::npos || m_buffer.size() - m_start > kLongestBackupLine ||
        (m_ended && m_start < m_buffer.size())) {
      const std::size_t stop =
          end != std::string::npos ? end : std::min(m_buffer.size(), m_start + kLongestBackupLine + 1);
      std::string_view line(m_buffer.data() + m_start, stop - m_start);
      m_start = end != std::string::npos ? end + 1 : stop;
      if (line.ends_with('\r')) line.remove_suffix(1);
      return line;
    }
    if (m_ended || !Fill()) return std::nullopt;
  }
}

bool BackupFileLines::Fill() {
  m_buffer.erase(0, m_start);
  m_start = 0;
  const std::size_t filled = m_buffer.size();
  m_buffer.resize(filled + kReadBlock);
  ssize_t got = 0;
  do {
    got = ::read(m_fd.get(), m_buffer.data() + filled, kReadBlock);
  } while (got < 0 && errno == EINTR);
  const int readError = errno;
  m_buffer.resize(filled + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
  if (got < 0) m_error = "Cannot read " + m_name + ": " + std::strerror(readError) + ".";
  if (got <= 0) m_ended = true;
  return got >= 0;
}

Phrase DeleteBackup(const fs::path& folder, std::string_view name) {
  const BackupPathResult found = FindBackupFile(folder, name);
  if (!found.ok()) return found.Reason();
  std::error_code error;
  fs::remove(found.path, error);
  return error ? Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::BackupStore", "Cannot delete %1: %2."),
                                {found.path.string(), error.message()})
               : Phrase();
}

}  // namespace zf
