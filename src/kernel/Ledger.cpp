// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/Ledger.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "kernel/LiveSystem.h"
#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

constexpr std::string_view kHeader = "zentrofast-ledger 1";

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

// A line naming a key outside the table or a value that is no number is damage, never something to act on.
bool AddLine(Ledger& ledger, const std::vector<std::string_view>& f) {
  if (f.size() >= 3 && (f[0] == "original" || f[0] == "managed") && !IsWellFormedValue(f[1], f[2])) return false;
  if (f[0] == "original" && f.size() == 3) return ledger.originals.emplace(f[1], f[2]).second;
  if (f[0] == "managed" && f.size() == 4) {
    ledger.persistence[std::string(f[1])] = f[3];
    return ledger.managed.emplace(f[1], f[2]).second;
  }
  if (f[0] == "history" && f.size() == 5) {
    ledger.history.push_back({std::string(f[1]), std::string(f[2]), std::string(f[3]), std::string(f[4])});
    return true;
  }
  return false;
}

}  // namespace

bool Ledger::Kept(const std::string& transactionId) const {
  for (const auto& entry : history)
    if (entry.id == transactionId && entry.outcome == "kept") return true;
  return false;
}

bool Ledger::Concluded(const std::string& transactionId) const {
  for (const auto& entry : history)
    if (entry.id == transactionId) return true;
  return false;
}

void Ledger::Record(Transaction transaction) {
  history.push_back(std::move(transaction));
  if (history.size() > kMaxLedgerHistory)
    history.erase(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(history.size() - kMaxLedgerHistory));
}

std::string FormatLedger(const Ledger& ledger) {
  std::string text = std::string(kHeader) + "\n";
  for (const auto& [key, value] : ledger.originals) text += "original\t" + key + "\t" + value + "\n";
  for (const auto& [key, value] : ledger.managed) {
    const auto how = ledger.persistence.find(key);
    text +=
        "managed\t" + key + "\t" + value + "\t" + (how == ledger.persistence.end() ? "runtime" : how->second) + "\n";
  }
  for (const auto& entry : ledger.history)
    text += "history\t" + entry.id + "\t" + entry.user + "\t" + entry.backupName + "\t" + entry.outcome + "\n";
  return text;
}

Result<Ledger> ParseLedger(std::string_view text) {
  Ledger ledger;
  std::size_t number = 0;
  for (std::size_t start = 0; start < text.size(); ++number) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) return Error{"the ledger ends in the middle of a line"};
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (number == 0) {
      if (line != kHeader) return Error{"the ledger does not start with its header"};
    } else if (!AddLine(ledger, Fields(line))) {
      return Error{"the ledger's line " + std::to_string(number + 1) + " is damaged"};
    }
  }
  if (number == 0 && !text.empty()) return Error{"the ledger is damaged"};
  return ledger;
}

Result<Ledger> LoadLedger(const std::string& path) {
  if (::access(path.c_str(), F_OK) != 0 && errno == ENOENT) return Ledger{};
  // Larger than any ledger this helper writes, so one grown by an older one is still read (and trimmed).
  const auto text = ReadSmallFile(path, 64u << 20);
  if (!text) return Error{"cannot read " + path + ": " + std::strerror(errno)};
  auto ledger = ParseLedger(*text);
  if (!ledger)
    return Error{path + ": " + ledger.error().text +
                     "; repair it or move the file aside (its \"original\" lines hold the values the settings go "
                     "back to) and try again",
                 ErrorKind::Damaged};
  return ledger;
}

Persistence PersistenceFromWord(std::string_view word) {
  if (word == "sysctl") return Persistence::Sysctl;
  if (word == "nm") return Persistence::NetworkManager;
  if (word == "link") return Persistence::LinkFile;
  if (word == "runtime") return Persistence::RuntimeOnly;
  return Persistence::None;
}

std::string_view PersistenceWord(Persistence persistence) {
  switch (persistence) {
    case Persistence::Sysctl: return "sysctl";
    case Persistence::NetworkManager: return "nm";
    case Persistence::LinkFile: return "link";
    case Persistence::RuntimeOnly: return "runtime";
    case Persistence::None: break;
  }
  return "none";
}

bool IsPlainField(std::string_view text) {
  for (unsigned char c : text)
    if (c < ' ' || c == 0x7F) return false;
  return true;
}

}  // namespace zf::kernel
