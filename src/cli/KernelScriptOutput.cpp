// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/KernelScriptOutput.h"

#include <charconv>
#include <ctime>
#include <iomanip>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>
#include <string_view>
#include <vector>

namespace zf::cli {
namespace {

using nlohmann::json;

std::optional<long long> WholeNumber(const std::string& word) {
  long long number = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
  if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return number;
}

// A setting's value: null when unknown, a number, an array of numbers ("4096 131072 6291456"), or
// the text as it is.
json ValueJson(const std::string& text) {
  if (text.empty()) return nullptr;
  std::istringstream words(text);
  json numbers = json::array();
  for (std::string word; words >> word;) {
    const auto number = WholeNumber(word);
    if (!number) return text;
    numbers.push_back(*number);
  }
  if (numbers.size() == 1) return numbers[0];
  return numbers;
}

const char* WarningKindName(kernel::WarningKind kind) {
  switch (kind) {
    case kernel::WarningKind::Ipv6Loss: return "ipv6_loss";
    case kernel::WarningKind::ThroughputCap: return "throughput_cap";
    case kernel::WarningKind::LinkBounce: return "link_bounce";
    case kernel::WarningKind::BootOverride: return "boot_override";
  }
  return "other";
}

json PersistenceJson(kernel::Persistence persistence) {
  switch (persistence) {
    case kernel::Persistence::Sysctl: return "sysctl_d";
    case kernel::Persistence::NetworkManager: return "network_manager";
    case kernel::Persistence::LinkFile: return "link_file";
    case kernel::Persistence::RuntimeOnly: return "runtime_only";
    case kernel::Persistence::None: break;
  }
  return nullptr;
}

json TextOrNull(const std::string& text) { return text.empty() ? json(nullptr) : json(text); }

// The ledger words a rollback that could not restore everything "reverted except KEY=VALUE, …";
// scripts get a fixed word and what stayed apart.
constexpr std::string_view kRevertedExcept = "reverted except ";

json OutcomeJson(const std::string& outcome) {
  if (outcome.starts_with(kRevertedExcept)) return "partly_reverted";
  if (outcome == "not reverted") return "not_reverted";
  return outcome;
}

json NotRestoredJson(const std::string& outcome) {
  if (!outcome.starts_with(kRevertedExcept)) return nullptr;
  return outcome.substr(kRevertedExcept.size());
}

json TimeOrNull(const std::string& id) {
  const auto time = TransactionTime(id);
  return time ? json(*time) : json(nullptr);
}

// The newest transaction that was kept: when the managed values were last set.
const kernel::Transaction* LastKept(const kernel::KernelStatus& status) {
  for (auto entry = status.history.rbegin(); entry != status.history.rend(); ++entry)
    if (entry->outcome == "kept") return &*entry;
  return nullptr;
}

std::string LabelValue(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '\\')
      escaped += "\\\\";
    else if (c == '"')
      escaped += "\\\"";
    else if (c == '\n')
      escaped += "\\n";
    else
      escaped += c;
  }
  return escaped;
}

}  // namespace

std::optional<long long> TransactionTime(const std::string& id) {
  std::tm parts{};
  std::istringstream stamp(id.substr(0, 16));
  stamp >> std::get_time(&parts, "%Y%m%dT%H%M%SZ");
  if (stamp.fail() || id.size() < 16) return std::nullopt;
  return static_cast<long long>(::timegm(&parts));
}

void PrintPlanJson(const kernel::KernelPlan& plan, std::ostream& out) {
  json changes = json::array();
  for (const auto& change : plan.changes)
    changes.push_back({{"key", change.key},
                       {"setting", change.setting},
                       {"now", ValueJson(change.now)},
                       {"after", ValueJson(change.after)},
                       {"changes", change.Changes()},
                       {"note", TextOrNull(change.note.English())}});
  json warnings = json::array();
  for (const auto& warning : plan.warnings)
    warnings.push_back({{"kind", WarningKindName(warning.kind)}, {"text", warning.text.English()}});
  json notes = json::array();
  for (const auto& note : plan.notes) notes.push_back(note.English());
  const json document{{"changes", changes},
                      {"changes_anything", plan.ChangesAnything()},
                      {"warnings", warnings},
                      {"notes", notes},
                      {"plan_hash", plan.hash}};
  out << document.dump(2) << "\n";
}

void PrintStatusJson(const kernel::KernelStatus& status, std::ostream& out) {
  json settings = json::array();
  for (const auto& setting : status.settings)
    settings.push_back({{"key", setting.key},
                        {"setting", setting.setting},
                        {"original", ValueJson(setting.original)},
                        {"managed", ValueJson(setting.managed)},
                        {"live", ValueJson(setting.live)},
                        {"drifted", setting.Drifted()},
                        {"persisted", PersistenceJson(setting.persistence)},
                        {"overridden_at_boot_by", TextOrNull(setting.overriddenAtBootBy)}});
  json history = json::array();
  for (const auto& entry : status.history)
    history.push_back({{"id", entry.id},
                       {"time", TimeOrNull(entry.id)},
                       {"user", entry.user},
                       {"backup", TextOrNull(entry.backupName)},
                       {"outcome", OutcomeJson(entry.outcome)},
                       {"not_restored", NotRestoredJson(entry.outcome)}});
  const kernel::Transaction* kept = LastKept(status);
  const json document{
      {"settings", settings}, {"history", history}, {"last_apply_time", kept ? TimeOrNull(kept->id) : json(nullptr)}};
  out << document.dump(2) << "\n";
}

void PrintStatusPrometheus(const kernel::KernelStatus& status, std::ostream& out) {
  out << "# HELP zentrofast_kernel_setting_drifted 1 when the live value differs from the one Zentrofast keeps.\n"
         "# TYPE zentrofast_kernel_setting_drifted gauge\n";
  for (const auto& setting : status.settings)
    out << "zentrofast_kernel_setting_drifted{setting=\"" << LabelValue(setting.setting) << "\"} "
        << (setting.Drifted() ? 1 : 0) << "\n";
  out << "# HELP zentrofast_kernel_managed_settings How many settings Zentrofast keeps.\n"
         "# TYPE zentrofast_kernel_managed_settings gauge\n"
         "zentrofast_kernel_managed_settings "
      << status.settings.size() << "\n";
  const kernel::Transaction* kept = LastKept(status);
  const auto time = kept ? TransactionTime(kept->id) : std::nullopt;
  if (!time) return;
  out << "# HELP zentrofast_kernel_last_apply_timestamp_seconds When the kept settings were applied.\n"
         "# TYPE zentrofast_kernel_last_apply_timestamp_seconds gauge\n"
         "zentrofast_kernel_last_apply_timestamp_seconds "
      << *time << "\n";
}

}  // namespace zf::cli
