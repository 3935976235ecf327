// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/RestoredBackup.h"

#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>

#include "core/BackupStore.h"
#include "core/SettingsBackup.h"
#include "core/Translatable.h"
#include "platform/clock.h"

namespace zf::kernel {
namespace {

constexpr std::uintmax_t kLargestBackup = 1 << 20;

// The number of "001.BCK".
std::optional<int> BackupNumber(const std::string& name) {
  int number = 0;
  const auto [end, ec] = std::from_chars(name.data(), name.data() + std::min<std::size_t>(name.size(), 3), number);
  if (ec != std::errc() || end != name.data() + 3) return std::nullopt;
  return number;
}

// A backup without its first two lines, the date and time it was taken.
std::string Undated(const std::string& bytes) {
  std::size_t start = 0;
  for (int line = 0; line < 2 && start != std::string::npos; ++line) {
    start = bytes.find('\n', start);
    if (start != std::string::npos) ++start;
  }
  return start == std::string::npos ? std::string() : bytes.substr(start);
}

std::string ReadBackup(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::file_size(path, error) > kLargestBackup || error) return {};
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::optional<int> FirstKeptBackup(const Ledger& ledger) {
  for (const Transaction& entry : ledger.history)
    if (entry.outcome == "kept" && !entry.backupName.empty()) return BackupNumber(entry.backupName);
  return std::nullopt;
}

}  // namespace

std::string PreBridgeBackupInStore(IRegistry& registry, std::int16_t familyCode, const std::filesystem::path& folder,
                                   const Ledger& ledger) {
  const auto first = FirstKeptBackup(ledger);
  if (!first || folder.empty()) return {};
  SystemClock clock;
  const std::string store = Undated(SettingsBackupBytes({registry, clock, folder, familyCode}));
  for (const BackupListEntry& entry : ListBackups(folder).entries) {
    const auto number = BackupNumber(entry.fileName);
    if (!number || *number > *first) continue;
    const std::string recorded = Undated(ReadBackup(folder / entry.fileName));
    if (!recorded.empty() && recorded == store) return entry.fileName;
  }
  return {};
}

void ReturnToOriginals(DesiredState& desired, const Ledger& ledger, const std::string& backupName) {
  bool any = false;
  for (const auto& [key, managed] : ledger.managed) {
    if (!ledger.originals.count(key)) continue;
    desired.values.erase(key);
    desired.sources[key] = Phrase::Format(
        ZF_TRANSLATABLE("zf::kernel::Plan", "back to its original: %1 is from before Zentrofast first changed it"),
        {backupName});
    any = true;
  }
  if (any)
    desired.notes.push_back(
        Phrase::Format(ZF_TRANSLATABLE("zf::kernel::Plan",
                                       "the tuned values are those of %1, taken before Zentrofast first changed this "
                                       "computer: the settings it changed go back to their originals"),
                       {backupName}));
}

}  // namespace zf::kernel
