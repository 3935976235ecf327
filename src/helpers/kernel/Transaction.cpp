// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/kernel/Transaction.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>

#include "helpers/kernel/AtomicFile.h"
#include "helpers/kernel/HelperPaths.h"
#include "helpers/kernel/LiveWriter.h"
#include "helpers/kernel/Persist.h"
#include "kernel/KernelPlan.h"
#include "kernel/NetlinkLinks.h"
#include "kernel/SettingTable.h"

namespace zf::kernel {
namespace {

ProcLiveSystem LiveKernel() {
  return ProcLiveSystem(paths::kProcSys, [] { return ListLinks(); });
}

std::string NewTransactionId() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  ::gmtime_r(&now, &parts);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &parts);
  return std::string(stamp) + "-" + std::to_string(::getpid());
}

// Sysctls first, then MTUs: an MTU change may bounce the link, so it comes last and is undone first.
// Unchanged settings are journalled too: their value now is the original a keep records.
std::vector<JournalEntry> OrderedEntries(const KernelPlan& plan) {
  std::vector<JournalEntry> entries;
  // A managed interface that has gone away has nothing to return to its original.
  for (const auto& change : plan.changes)
    if (!change.now.empty()) entries.push_back({change.key, change.now, change.after});
  std::stable_partition(entries.begin(), entries.end(), [](const JournalEntry& e) { return !IsMtuKey(e.key); });
  return entries;
}

// Puts every prior value back, last change first; the text lists what could not be restored. A
// value that already holds its prior is left alone: the write that failed may be one the kernel
// refuses again.
std::string Rollback(const std::vector<JournalEntry>& entries, std::size_t applied) {
  const ProcLiveSystem live = LiveKernel();
  const LiveWriter writer(live);
  std::string problems;
  for (std::size_t i = applied; i-- > 0;) {
    if (entries[i].prior == entries[i].next || live.Read(entries[i].key) == entries[i].prior) continue;
    if (auto restored = writer.Write(entries[i].key, entries[i].prior); !restored)
      problems += (problems.empty() ? "" : "; ") + restored.error().text;
  }
  return problems;
}

Result<Ledger> WriteLedger(Ledger ledger) {
  if (auto written = ReplaceFileAtomically(kLedgerPath, FormatLedger(ledger)); !written) return written.error();
  return ledger;
}

void Record(Ledger& ledger, const Journal& journal, const char* outcome) {
  ledger.history.push_back({journal.transactionId, journal.user, journal.backupName, outcome});
}

// The ledger after a kept transaction: first-touch originals, the new managed set.
Ledger Committed(Ledger ledger, const Journal& journal, const SettingMap& desired) {
  for (const auto& entry : journal.entries) ledger.originals.emplace(entry.key, entry.prior);
  for (auto it = ledger.managed.begin(); it != ledger.managed.end();)
    it = desired.count(it->first) ? std::next(it) : ledger.managed.erase(it);
  for (const auto& [key, value] : desired) ledger.managed[key] = value;
  for (auto it = ledger.originals.begin(); it != ledger.originals.end();)
    it = ledger.managed.count(it->first) ? std::next(it) : ledger.originals.erase(it);
  Record(ledger, journal, "kept");
  return ledger;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += (text.empty() ? "" : "; ") + line;
  return text;
}

// Persisted files first, then the ledger (the commit point), then the journal goes.
Result<std::string> Keep(const Journal& journal, const SettingMap& desired) {
  auto ledger = LoadLedger(kLedgerPath);
  if (!ledger) return ledger.error();
  Ledger next = Committed(ledger.value(), journal, desired);
  auto report = PersistManaged(next, LiveKernel().Links());
  if (!report) return report.error();
  if (auto written = WriteLedger(next); !written) return written.error();
  // The ledger already records this transaction as kept, so a journal left behind is removed at the next start.
  static_cast<void>(RemoveFile(paths::kJournal));
  return report->empty() ? std::string("nothing to persist") : Joined(report.value());
}

// Undoes an applied journal and brings the files back in line with the ledger.
std::string Undo(const Journal& journal, const char* why) {
  std::string problems = Rollback(journal.entries, journal.entries.size());
  auto ledger = LoadLedger(kLedgerPath);
  if (ledger) {
    if (auto persisted = PersistManaged(ledger.value(), LiveKernel().Links()); !persisted)
      problems += (problems.empty() ? "" : "; ") + persisted.error().text;
    Record(ledger.value(), journal, "reverted");
    if (auto written = WriteLedger(ledger.value()); !written) problems += "; " + written.error().text;
  } else {
    problems += (problems.empty() ? "" : "; ") + ledger.error().text;
  }
  // The values are back; a journal left behind rolls back to the same originals at the next start.
  if (problems.empty()) static_cast<void>(RemoveFile(paths::kJournal));
  return problems.empty() ? std::string(why) : std::string(why) + ", but " + problems;
}

std::string Refusal(const HelperRequest& request, const KernelPlan& plan, const std::vector<LinkInfo>& links) {
  for (const auto& [key, value] : request.settings)
    if (auto problem = CheckSetting(key, value, FindLink(links, InterfaceOfKey(key))); !problem.empty())
      return DisplayName(key) + " = " + value + ": " + problem;
  if (plan.hash != request.planHash)
    return "the live values changed since the plan was made; make a new plan and try again";
  if (plan.NeedsIpv6Acceptance() && !request.allowIpv6Loss)
    return "an MTU below 1280 removes IPv6 addresses; it needs explicit acceptance";
  for (const auto& change : plan.changes)
    if (change.now.empty() && request.settings.count(change.key)) return DisplayName(change.key) + " cannot be read";
  return {};
}

// Writes the journal, then each change reading it back; on a failure everything goes back.
Result<Done> ApplyEntries(const Journal& journal) {
  if (auto written = ReplaceFileAtomically(paths::kJournal, FormatJournal(journal)); !written) return written.error();
  const ProcLiveSystem live = LiveKernel();
  const LiveWriter writer(live);
  for (std::size_t i = 0; i < journal.entries.size(); ++i) {
    if (journal.entries[i].prior == journal.entries[i].next) continue;
    auto done = writer.Write(journal.entries[i].key, journal.entries[i].next);
    if (done) continue;
    const std::string problems = Rollback(journal.entries, i + 1);
    // Everything was rolled back; a journal left behind rolls back to the same originals at the next start.
    if (problems.empty()) static_cast<void>(RemoveFile(paths::kJournal));
    return Error{done.error().text +
                 (problems.empty() ? "; everything was rolled back" : "; rolling back failed: " + problems)};
  }
  return Done{};
}

int WaitForKeep(const Journal& journal, const HelperRequest& request, Channel& channel) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(request.keepWithinSeconds);
  channel.Answer("applied " + journal.transactionId + " " +
                 std::to_string(std::time(nullptr) + request.keepWithinSeconds));
  std::string line;
  const ChannelEvent event = channel.Next(deadline, line);
  if (event == ChannelEvent::Line && line == "keep") {
    auto kept = Keep(journal, request.settings);
    if (kept) {
      channel.Answer("kept " + kept.value());
      return 0;
    }
    channel.Answer("reverted " + Undo(journal, ("keeping failed: " + kept.error().text).c_str()));
    return 1;
  }
  const char* why = event == ChannelEvent::Deadline     ? "not kept in time"
                    : event == ChannelEvent::Signal     ? "stopped by a signal"
                    : event == ChannelEvent::EndOfInput ? "the caller went away"
                    : line == "revert"                  ? "reverted as asked"
                                                        : "an unknown answer";
  channel.Answer("reverted " + Undo(journal, why));
  return 3;
}

int RunApply(const HelperRequest& request, const std::string& user, Channel& channel) {
  auto ledger = LoadLedger(kLedgerPath);
  if (!ledger) {
    channel.Answer("refused " + ledger.error().text);
    return 1;
  }
  const ProcLiveSystem live = LiveKernel();
  const auto links = live.Links();
  const KernelPlan plan = MakePlan(request.settings, live, ledger.value());
  if (auto refusal = Refusal(request, plan, links); !refusal.empty()) {
    channel.Answer("refused " + refusal);
    return 1;
  }
  const Journal journal{NewTransactionId(), user, request.backupName, OrderedEntries(plan)};
  if (auto applied = ApplyEntries(journal); !applied) {
    channel.Answer("failed " + applied.error().text);
    return 1;
  }
  return WaitForKeep(journal, request, channel);
}

// Every managed setting back to its original, then the files and the managed set go.
int RunRevert(const HelperRequest& request, const std::string& user, Channel& channel) {
  auto ledger = LoadLedger(kLedgerPath);
  if (!ledger) {
    channel.Answer("failed " + ledger.error().text);
    return 1;
  }
  const ProcLiveSystem live = LiveKernel();
  const KernelPlan plan = MakePlan(SettingMap{}, live, ledger.value());
  std::vector<JournalEntry> entries;
  for (const auto& change : plan.changes)
    if (change.Changes() && !change.now.empty()) entries.push_back({change.key, change.now, change.after});
  const Journal journal{NewTransactionId(), user, request.backupName, entries};
  if (auto applied = ApplyEntries(journal); !applied) {
    channel.Answer("failed " + applied.error().text);
    return 1;
  }
  Ledger next = ledger.value();
  next.managed.clear();
  next.originals.clear();
  Record(next, journal, "reverted");
  auto persisted = PersistManaged(next, live.Links());
  if (auto written = WriteLedger(next); !persisted || !written) {
    channel.Answer("failed " + (persisted ? written.error().text : persisted.error().text));
    return 1;
  }
  // The originals are back; a journal left behind rolls back to the same originals at the next start.
  static_cast<void>(RemoveFile(paths::kJournal));
  channel.Answer("reverted " + std::to_string(entries.size()) + " setting(s) back to their originals; files removed");
  return 0;
}

}  // namespace

Result<std::string> RecoverJournal() {
  const auto text = ReadSmallFile(paths::kJournal);
  if (!text) return std::string();
  auto journal = ParseJournal(*text);
  if (!journal) return Error{std::string(paths::kJournal) + ": " + journal.error().text + "; check it and remove it"};
  auto ledger = LoadLedger(kLedgerPath);
  if (ledger && ledger->Kept(journal->transactionId)) {
    // The ledger records this transaction as kept; the next start tries the removal again.
    static_cast<void>(RemoveFile(paths::kJournal));
    return std::string();
  }
  return "rolled back transaction " + journal->transactionId + ": " + Undo(journal.value(), "its helper was stopped");
}

int RunRequest(const HelperRequest& request, const std::string& user, Channel& channel) {
  return request.kind == RequestKind::Apply ? RunApply(request, user, channel) : RunRevert(request, user, channel);
}

}  // namespace zf::kernel
