// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/kernel/Journal.h"

#include <sstream>

#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

constexpr const char* kHeader = "zentrofast-journal 1";

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream stream(line);
  for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
  if (!line.empty() && line.back() == '\t') fields.emplace_back();
  return fields;
}

}  // namespace

std::string FormatJournal(const Journal& journal) {
  std::string text = std::string(kHeader) + "\n";
  text += "transaction\t" + journal.transactionId + "\t" + journal.user + "\t" + journal.backupName + "\n";
  for (const auto& entry : journal.entries)
    text += "change\t" + entry.key + "\t" + entry.prior + "\t" + entry.next + "\n";
  return text + "end\n";
}

Result<Journal> ParseJournal(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  if (!std::getline(lines, line) || line != kHeader) return Error{"the journal has no header", ErrorKind::Damaged};
  Journal journal;
  bool ended = false;
  for (int number = 2; std::getline(lines, line); ++number) {
    const auto fields = Fields(line);
    const auto damaged = [number] {
      return Error{"line " + std::to_string(number) + " is damaged", ErrorKind::Damaged};
    };
    if (ended) return damaged();
    if (fields.size() == 4 && fields[0] == "transaction") {
      journal.transactionId = fields[1];
      journal.user = fields[2];
      journal.backupName = fields[3];
    } else if (fields.size() == 4 && fields[0] == "change") {
      // Only what the table governs, as numbers: the helper never writes a key its own file smuggles in.
      if (!IsWellFormedValue(fields[1], fields[2]) || !IsWellFormedValue(fields[1], fields[3])) return damaged();
      journal.entries.push_back({fields[1], fields[2], fields[3]});
    } else if (line == "end") {
      ended = true;
    } else {
      return damaged();
    }
  }
  // A journal cut short was written before any change was made.
  if (!ended) return Error{"the journal is incomplete"};
  return journal;
}

}  // namespace zf::kernel
