// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// /run/zentrofast/journal: what a transaction changed and the values before, on disk before the
// first change, so a helper that was killed is undone by the next one.
#include <string>
#include <vector>

#include "core/Result.h"

namespace zf::kernel {

struct JournalEntry {
  std::string key;
  std::string prior;
  std::string next;
};

struct Journal {
  std::string transactionId;
  std::string user;
  std::string backupName;
  std::vector<JournalEntry> entries;
};

std::string FormatJournal(const Journal& journal);
Result<Journal> ParseJournal(const std::string& text);

}  // namespace zf::kernel
