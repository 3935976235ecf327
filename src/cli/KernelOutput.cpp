// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/KernelOutput.h"

#include <algorithm>
#include <ostream>
#include <vector>

#include "kernel/Ledger.h"

namespace zf::cli {
namespace {

using Row = std::vector<std::string>;

void PrintTable(const std::vector<Row>& rows, std::ostream& out) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows)
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (widths.size() <= i) widths.push_back(0);
      widths[i] = std::max(widths[i], row[i].size());
    }
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i)
      line += i + 1 == row.size() ? row[i] : row[i] + std::string(widths[i] - row[i].size() + 2, ' ');
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << "\n";
  }
}

std::string PersistenceText(kernel::Persistence persistence) {
  switch (persistence) {
    case kernel::Persistence::Sysctl: return "sysctl.d";
    case kernel::Persistence::NetworkManager: return "NetworkManager";
    case kernel::Persistence::LinkFile: return ".link file";
    case kernel::Persistence::RuntimeOnly: return "runtime only";
    case kernel::Persistence::None: break;
  }
  return "-";
}

}  // namespace

void PrintPlan(const kernel::KernelPlan& plan, std::ostream& out) {
  if (plan.changes.empty()) {
    out << "The store holds no tuning value that Linux can take.\n";
  } else {
    std::vector<Row> rows{{"SETTING", "NOW", "AFTER", "NOTE"}};
    for (const auto& change : plan.changes) {
      const std::string note = change.note.English();
      rows.push_back({change.setting, change.now.empty() ? "?" : change.now, change.after,
                      change.Changes() ? note : note + (note.empty() ? "" : "; ") + "unchanged"});
    }
    PrintTable(rows, out);
  }
  for (const auto& warning : plan.warnings) out << "warning: " << warning.text.English() << "\n";
  for (const auto& note : plan.notes) out << "note: " << note.English() << "\n";
}

void PrintStatus(const kernel::KernelStatus& status, std::ostream& out) {
  if (status.settings.empty()) {
    out << "The bridge manages no setting.\n";
  } else {
    std::vector<Row> rows{{"SETTING", "ORIGINAL", "MANAGED", "LIVE", "PERSISTED"}};
    for (const auto& setting : status.settings)
      rows.push_back(
          {setting.setting, setting.original, setting.managed, setting.live + (setting.Drifted() ? " (drifted)" : ""),
           PersistenceText(setting.persistence) + (setting.overriddenAtBootBy.empty()
                                                       ? std::string()
                                                       : ", overridden at boot by " + setting.overriddenAtBootBy)});
    PrintTable(rows, out);
  }
  for (const auto& entry : status.history)
    out << "transaction " << entry.id << " by " << entry.user << (entry.backupName.empty() ? "" : " from ")
        << entry.backupName << ": " << entry.outcome << "\n";
}

}  // namespace zf::cli
