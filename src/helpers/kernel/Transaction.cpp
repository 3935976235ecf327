// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpers/kernel/Transaction.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <optional>

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

struct RollbackReport {
  std::vector<std::string> failed;  // writes the kernel refused; the journal keeps them for the next start
  std::vector<JournalEntry> gone;   // values that cannot be read any more: their interface went away
};

// Puts prior values back, last change first. A value goes back only while it still holds what the
// transaction wrote (the write that failed: while it is not its prior), so a value someone set
// since is left alone, and a write the kernel refused is not tried again.
RollbackReport Rollback(const std::vector<JournalEntry>& entries, std::size_t count, bool lastFailed) {
  const ProcLiveSystem live = LiveKernel();
  const LiveWriter writer(live);
  RollbackReport report;
  for (std::size_t i = count; i-- > 0;) {
    const JournalEntry& entry = entries[i];
    if (entry.prior == entry.next) continue;
    const auto now = live.Read(entry.key);
    if (!now) {
      report.gone.push_back(entry);
      continue;
    }
    const bool ours = lastFailed && i + 1 == count ? *now != entry.prior : *now == entry.next;
    if (!ours) continue;
    if (auto restored = writer.Write(entry.key, entry.prior); !restored) report.failed.push_back(restored.error().text);
  }
  return report;
}

std::string NotPutBack(const JournalEntry& entry) {
  return DisplayName(entry.key) + " could not be put back to " + entry.prior +
         (InterfaceOfKey(entry.key).empty() ? ": it cannot be read any more" : ": its interface is gone");
}

std::vector<std::string> Problems(const RollbackReport& report) {
  std::vector<std::string> problems = report.failed;
  for (const auto& entry : report.gone) problems.push_back(NotPutBack(entry));
  return problems;
}

// "reverted", or "reverted except link/usb0/mtu=1500" naming the priors nobody can put back now.
std::string Outcome(const char* outcome, const RollbackReport& report) {
  std::string text = outcome;
  for (const auto& entry : report.gone)
    text += (&entry == &report.gone.front() ? " except " : ", ") + entry.key + "=" + entry.prior;
  return text;
}

Result<Ledger> WriteLedger(Ledger ledger) {
  if (auto written = ReplaceFileAtomically(kLedgerPath, FormatLedger(ledger)); !written) return written.error();
  return ledger;
}

void Record(Ledger& ledger, const Journal& journal, std::string outcome) {
  ledger.Record({journal.transactionId, journal.user, journal.backupName, std::move(outcome)});
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

// Persisted files first, then the ledger (the commit point: it names the outcome), then the journal goes.
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

struct Undone {
  std::string text;
  bool clean = true;  // every value the transaction wrote is back or was changed by someone since
};

// Undoes an applied journal, brings the files back in line with the ledger and records the outcome
// there before the journal goes. The journal stays only for a write the kernel refused, which the
// next start tries again; a value whose interface is gone is reported now and named in the ledger.
Undone Undo(const Journal& journal, const std::string& why, const char* outcome = "reverted") {
  const RollbackReport rolled = Rollback(journal.entries, journal.entries.size(), false);
  std::vector<std::string> problems = Problems(rolled);
  auto ledger = LoadLedger(kLedgerPath);
  if (ledger) {
    if (auto persisted = PersistManaged(ledger.value(), LiveKernel().Links()); !persisted)
      problems.push_back(persisted.error().text);
    Record(ledger.value(), journal, Outcome(outcome, rolled));
    // A full disk already named in why need not be named twice.
    if (auto written = WriteLedger(ledger.value()); !written && why.find(written.error().text) == std::string::npos)
      problems.push_back("the ledger does not record it: " + written.error().text);
  } else {
    problems.push_back(ledger.error().text);
  }
  if (rolled.failed.empty()) static_cast<void>(RemoveFile(paths::kJournal));
  return {problems.empty() ? why : why + ", but " + Joined(problems), rolled.failed.empty() && rolled.gone.empty()};
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
    const RollbackReport rolled = Rollback(journal.entries, i + 1, true);
    if (rolled.failed.empty()) static_cast<void>(RemoveFile(paths::kJournal));
    const std::string problems = Joined(Problems(rolled));
    return Error{done.error().text +
                 (problems.empty() ? "; everything was rolled back" : "; rolling back failed: " + problems)};
  }
  return Done{};
}

int WaitForKeep(const Journal& journal, const HelperRequest& request, Channel& channel) {
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + seconds(request.keepWithinSeconds);
  // The window left, in milliseconds: the caller counts it down on its own monotonic clock.
  channel.Answer("applied " + journal.transactionId + " " +
                 std::to_string(duration_cast<milliseconds>(deadline - steady_clock::now()).count()));
  std::string line;
  const ChannelEvent event = channel.Next(deadline, line);
  if (event == ChannelEvent::Line && line == "keep") {
    auto kept = Keep(journal, request.settings);
    if (kept) {
      channel.Answer("kept " + kept.value());
      return 0;
    }
    channel.Answer("reverted " + Undo(journal, "keeping failed: " + kept.error().text).text);
    return 1;
  }
  const char* why = event == ChannelEvent::Deadline     ? "not kept in time"
                    : event == ChannelEvent::Signal     ? "stopped by a signal"
                    : event == ChannelEvent::EndOfInput ? "the caller went away"
                    : line == "revert"                  ? "reverted as asked"
                                                        : "an unknown answer";
  channel.Answer("reverted " + Undo(journal, why).text);
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
  std::optional<Error> failure;
  if (auto persisted = PersistManaged(next, live.Links()); !persisted)
    failure = persisted.error();
  else if (auto written = WriteLedger(next); !written)
    failure = written.error();
  if (failure) {
    // Back to the managed values, so that the kernel, the files and the ledger agree again.
    const Undone undone = Undo(journal, "reverting failed: " + failure->text, "not reverted");
    channel.Answer("failed " + undone.text + "; the managed values stay");
    return 1;
  }
  // The ledger names this transaction, so a journal left behind is removed at the next start.
  static_cast<void>(RemoveFile(paths::kJournal));
  channel.Answer("reverted " + std::to_string(entries.size()) + " setting(s) back to their originals; files removed");
  return 0;
}

}  // namespace

Result<Recovery> RecoverJournal() {
  const auto text = ReadSmallFile(paths::kJournal);
  if (!text) return Recovery{};
  auto journal = ParseJournal(*text);
  if (!journal)
    return Error{std::string(paths::kJournal) + ": " + journal.error().text +
                     "; each \"change\" line holds a setting, its value before the change and after it: put back by "
                     "hand what needs it, then remove the file",
                 ErrorKind::Damaged};
  auto ledger = LoadLedger(kLedgerPath);
  if (ledger && ledger->Concluded(journal->transactionId)) {
    // The ledger names the outcome, so the helper was stopped just before the journal went.
    static_cast<void>(RemoveFile(paths::kJournal));
    return Recovery{};
  }
  const Undone undone = Undo(journal.value(), "its helper was stopped");
  return Recovery{"rolled back transaction " + journal->transactionId + ": " + undone.text, undone.clean};
}

int RunRequest(const HelperRequest& request, const std::string& user, const Recovery& recovered, Channel& channel) {
  if (request.kind == RequestKind::Recover) {
    // What is live now: the caller says it in its own words.
    if (!recovered.clean) {
      channel.Answer("failed " + recovered.report);
      return 1;
    }
    channel.Answer("recovered " +
                   (recovered.report.empty() ? std::string("nothing was left to roll back") : recovered.report));
    return 0;
  }
  if (!recovered.report.empty()) channel.Answer("note " + recovered.report);
  return request.kind == RequestKind::Apply ? RunApply(request, user, channel) : RunRevert(request, user, channel);
}

}  // namespace zf::kernel
