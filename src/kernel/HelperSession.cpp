// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/HelperSession.h"

#include <algorithm>
#include <sstream>

#include "kernel/Ledger.h"

namespace zf::kernel {

namespace {

bool ThroughPkexec(const std::vector<std::string>& commandLine) {
  return commandLine.size() > 1 && commandLine.front().ends_with("/pkexec");
}

// The zentrofastctl kernel command that does the same from a terminal.
std::string_view CommandWord(const HelperRequest& request) {
  return request.kind == RequestKind::Revert ? "revert" : "apply";
}

// How a start that failed before the helper ran reads.
Error StartError(const std::vector<std::string>& commandLine, Error error, std::string_view command) {
  return ThroughPkexec(commandLine) && error.kind == ErrorKind::NotFound ? MissingPkexecError(command) : error;
}

}  // namespace

HelperSession::HelperSession(const std::vector<std::string>& commandLine, const HelperRequest& request)
    : m_commandLine(commandLine), m_throughPkexec(ThroughPkexec(commandLine)), m_command(CommandWord(request)) {
  auto started = m_process.Start(commandLine);
  if (!started) {
    Fail(StartError(commandLine, started.error(), CommandWord(request)));
    return;
  }
  // A helper that is already gone (pkexec refused) is found out by the next Poll.
  m_process.Send(FormatRequest(request));
}

HelperSession::~HelperSession() { m_process.Finish(); }

void HelperSession::Fail(Error error) {
  m_state = SessionState::Failed;
  m_message = std::move(error.text);
  m_failureKind = error.kind;
  m_process.Finish();
}

std::optional<HelperAnswer> HelperSession::NextAnswer(int timeoutMs, bool& timedOut) {
  timedOut = false;
  for (std::string line;;) {
    const ReadOutcome outcome = m_process.ReadLine(timeoutMs, line);
    if (outcome == ReadOutcome::Timeout) {
      timedOut = true;
      return std::nullopt;
    }
    if (outcome == ReadOutcome::Closed) return std::nullopt;
    auto answer = ParseAnswer(line);
    if (answer && answer->word == "note") {
      m_notes.push_back(answer->text);
      continue;
    }
    if (answer) return answer;
  }
}

void HelperSession::RecoverAfterHelperEnded() {
  m_process.Finish();
  HelperRequest recover;
  recover.kind = RequestKind::Recover;
  auto recovered = RunHelperRequest(m_commandLine, recover);
  // Stopped after the ledger recorded the keep: nothing was rolled back, the new values stay.
  if (auto ledger = LoadLedger(kLedgerPath); recovered && ledger && ledger->Kept(m_transactionId)) {
    m_state = SessionState::Kept;
    m_message =
        "the kernel helper stopped right after keeping the new values; they are live and recorded, but "
        "where they were persisted was not reported (\"zentrofastctl kernel status\" shows it)";
    return;
  }
  if (recovered) {
    m_state = SessionState::Recovered;
    m_message =
        "the kernel helper stopped before the new values were kept; a recovery run put the previous values "
        "back, so they are live again (" +
        recovered.value() + ")";
    return;
  }
  m_state = SessionState::Failed;
  m_failureKind = ErrorKind::Failed;
  m_message = "the kernel helper stopped before the new values were kept, and the recovery run failed (" +
              recovered.error().text +
              "), so some new values may still be live; \"zentrofastctl kernel plan\" shows them, and the next "
              "apply or revert tries the recovery again";
}

SessionState HelperSession::Poll(int timeoutMs) {
  if (m_state != SessionState::Starting && m_state != SessionState::Applied) return m_state;
  bool timedOut = false;
  const auto answer = NextAnswer(timeoutMs, timedOut);
  if (timedOut) return m_state;
  if (m_state == SessionState::Applied) {
    // In the window only the helper's own revert (its deadline) or its end can come.
    if (!answer) {
      RecoverAfterHelperEnded();
    } else {
      m_process.Finish();
      m_message = answer->text;
      m_state = SessionState::Reverted;
    }
    return m_state;
  }
  if (!answer) {
    const int status = m_process.Finish();
    Fail(EndedHelperError(status, m_throughPkexec, m_process.ErrorOutput(), m_command));
  } else if (answer->word == "applied") {
    std::istringstream words(answer->text);
    std::string id;
    long long left = 0;
    words >> id >> left;
    m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(left, 0LL));
    m_transactionId = id;
    m_message = id;
    m_state = SessionState::Applied;
  } else {
    Fail(Error{answer->text, answer->word == "refused" ? ErrorKind::Refused : ErrorKind::Failed});
  }
  return m_state;
}

Result<std::string> HelperSession::Conclude(const char* command, const char* expected) {
  if (m_state != SessionState::Applied)
    return Error{m_message.empty() ? "nothing is waiting for confirmation" : m_message};
  m_process.Send(std::string(command) + "\n");
  bool timedOut = false;
  const auto answer = NextAnswer(120000, timedOut);
  if (!answer) {
    RecoverAfterHelperEnded();
    if (m_state == SessionState::Kept && std::string_view(expected) == "kept") return m_message;
    return Error{m_message};
  }
  m_process.Finish();
  m_message = answer->text;
  m_state = answer->word == "kept" ? SessionState::Kept : SessionState::Reverted;
  if (answer->word != expected) return Error{answer->text};
  return answer->text;
}

Result<std::string> HelperSession::Keep() { return Conclude("keep", "kept"); }

Result<Done> HelperSession::Revert() {
  auto reverted = Conclude("revert", "reverted");
  if (!reverted) return reverted.error();
  return Done{};
}

Result<std::string> RunHelperRequest(const std::vector<std::string>& commandLine, const HelperRequest& request) {
  HelperProcess process;
  if (auto started = process.Start(commandLine); !started)
    return StartError(commandLine, started.error(), CommandWord(request));
  process.Send(FormatRequest(request));
  std::string notes;
  for (std::string line; process.ReadLine(600000, line) == ReadOutcome::Line;) {
    auto answer = ParseAnswer(line);
    if (!answer) continue;
    if (answer->word == "note") {
      notes += answer->text + "\n";
      continue;
    }
    process.Finish();
    if (answer->word == "reverted" || answer->word == "recovered") return notes + answer->text;
    return Error{notes + answer->text};
  }
  const int status = process.Finish();
  return EndedHelperError(status, ThroughPkexec(commandLine), process.ErrorOutput(), CommandWord(request));
}

}  // namespace zf::kernel
