// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The helper's record in /var/lib/zentrofast/ledger: each setting's value before the bridge first
// touched it, what the bridge manages now, and every transaction.
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "kernel/KernelTypes.h"

namespace zf::kernel {

inline constexpr const char* kLedgerPath = "/var/lib/zentrofast/ledger";
// Transactions the history keeps; older ones are dropped, the originals and managed lines never.
inline constexpr std::size_t kMaxLedgerHistory = 1000;

struct Ledger {
  SettingMap originals;
  SettingMap managed;
  std::map<std::string, std::string> persistence;  // key → "sysctl", "nm", "link", "runtime"
  std::vector<Transaction> history;

  bool Kept(const std::string& transactionId) const;
  // The history names the transaction's outcome, whatever it was: its journal has nothing left to undo.
  bool Concluded(const std::string& transactionId) const;
  // Adds a transaction's outcome, dropping the oldest beyond kMaxLedgerHistory.
  void Record(Transaction transaction);
};

std::string FormatLedger(const Ledger& ledger);
Result<Ledger> ParseLedger(std::string_view text);
// An absent file is an empty ledger; an unreadable or damaged one is an error.
Result<Ledger> LoadLedger(const std::string& path);

Persistence PersistenceFromWord(std::string_view word);
std::string_view PersistenceWord(Persistence persistence);

// Text a ledger field may hold: no tabs, line breaks or other control characters.
bool IsPlainField(std::string_view text);

}  // namespace zf::kernel
