// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/InterruptedApply.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "core/SettingsBackup.h"
#include "kernel/Ledger.h"

namespace zf {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kHeader = "zentrofast-pending-apply 1";

// Header, the backup's name, then "file PATH" or "snapshot" followed by the backup's bytes.
std::string RecordText(const RegistryWayBack& wayBack) {
  std::string text = std::string(kHeader) + "\n" + wayBack.name + "\n";
  return wayBack.file.empty() ? text + "snapshot\n" + wayBack.snapshot : text + "file " + wayBack.file.string() + "\n";
}

Result<RegistryWayBack> ParseRecord(const std::string& text) {
  std::istringstream lines(text);
  std::string header, name, how;
  if (!std::getline(lines, header) || header != kHeader || !std::getline(lines, name) || !std::getline(lines, how))
    return Error{"it is damaged"};
  RegistryWayBack wayBack{name, {}, {}};
  if (how.starts_with("file ")) {
    wayBack.file = how.substr(5);
  } else if (how == "snapshot") {
    wayBack.snapshot = text.substr(static_cast<std::size_t>(lines.tellg()));
  }
  if (!wayBack.Exists()) return Error{"it is damaged"};
  return wayBack;
}

// Whether the helper kept the run's values: its ledger names the run's backup in a kept
// transaction (a restore's snapshot names none: then the last transaction is the run's).
Result<bool> KeptByTheComputer(const std::string& ledgerPath, const RegistryWayBack& wayBack) {
  auto ledger = kernel::LoadLedger(ledgerPath);
  if (!ledger) return ledger.error();
  const std::string named = wayBack.file.empty() ? std::string() : wayBack.name;
  const auto& history = ledger->history;
  const auto run = std::find_if(history.rbegin(), history.rend(), [&](const kernel::Transaction& transaction) {
    return named.empty() || transaction.backupName == named;
  });
  return run != history.rend() && run->outcome == "kept" && (!named.empty() || run->backupName.empty());
}

}  // namespace

fs::path PendingApplyFile(const fs::path& registryFile) {
  if (registryFile.empty()) return {};  // a store of no file: nothing outlives the program
  return registryFile.parent_path() / (registryFile.filename().string() + ".kernel-apply");
}

Result<Done> RecordPendingApply(const fs::path& record, const RegistryWayBack& wayBack) {
  if (record.empty()) return Done{};
  std::ofstream file(record, std::ios::binary | std::ios::trunc);
  file << RecordText(wayBack);
  file.flush();
  if (!file) return Error{"cannot write " + record.string()};
  return Done{};
}

void ForgetPendingApply(const fs::path& record) {
  if (record.empty()) return;
  std::error_code ignored;
  fs::remove(record, ignored);
}

std::string ReconcileInterruptedApply(IRegistry& registry, std::int16_t osFamilyCode, const fs::path& record,
                                      const std::string& ledgerPath) {
  if (record.empty()) return {};
  std::ifstream file(record, std::ios::binary);
  if (!file) return {};
  std::stringstream bytes;
  bytes << file.rdbuf();
  const std::string interrupted = "Zentrofast ended while this computer was trying new network settings";
  auto wayBack = ParseRecord(bytes.str());
  if (!wayBack) {
    ForgetPendingApply(record);
    return interrupted + ", and its note of them (" + record.string() + ") " + wayBack.error().text +
           ". Compare Zentrofast's settings with this computer's in This Computer's Network.";
  }
  auto kept = KeptByTheComputer(ledgerPath, wayBack.value());
  if (!kept)
    return interrupted + ", and whether it kept them cannot be told (" + kept.error().text +
           "). Compare Zentrofast's settings with this computer's in This Computer's Network.";
  ForgetPendingApply(record);
  if (kept.value()) return {};
  const RestoreResult restored = wayBack->file.empty()
                                     ? RestoreBackupBytes(registry, osFamilyCode, wayBack->name, wayBack->snapshot)
                                     : RestoreSettingsBackup(registry, osFamilyCode, wayBack->file);
  if (restored.outcome == RestoreOutcome::Completed && restored.failedWrites.empty())
    return interrupted + "; the computer went back to its previous settings, so Zentrofast's settings went back to " +
           wayBack->name + " too.";
  const std::string why = !restored.description.empty()
                              ? restored.description
                              : std::to_string(restored.failedWrites.size()) + " values were refused by the store.";
  return interrupted +
         "; the computer went back to its previous settings, but Zentrofast's settings could not be "
         "put back to " +
         wayBack->name + " (" + why +
         "), so they differ from this computer's: This Computer's Network shows each difference.";
}

std::string ReconcileInterruptedApply(IRegistry& registry, const Config& config) {
  return ReconcileInterruptedApply(registry, DetectOSFamily(config.osVersion).code,
                                   PendingApplyFile(config.registryFile), kernel::kLedgerPath);
}

}  // namespace zf
