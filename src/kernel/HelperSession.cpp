// SPDX-License-Identifier: GPL-3.0-or-later
#include "kernel/HelperSession.h"

#include <sstream>

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
    : m_throughPkexec(ThroughPkexec(commandLine)), m_command(CommandWord(request)) {
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

SessionState HelperSession::Poll(int timeoutMs) {
  if (m_state != SessionState::Starting) return m_state;
  bool timedOut = false;
  const auto answer = NextAnswer(timeoutMs, timedOut);
  if (timedOut) return m_state;
  if (!answer) {
    const int status = m_process.Finish();
    Fail(EndedHelperError(status, m_throughPkexec, m_process.ErrorOutput(), m_command));
  } else if (answer->word == "applied") {
    std::istringstream words(answer->text);
    std::string id;
    long long deadline = 0;
    words >> id >> deadline;
    m_deadline = std::chrono::system_clock::time_point(std::chrono::seconds(deadline));
    m_message = id;
    m_state = SessionState::Applied;
  } else {
    Fail(Error{answer->text, answer->word == "refused" ? ErrorKind::Refused : ErrorKind::Failed});
  }
  return m_state;
}

Result<std::string> HelperSession::Conclude(const char* command, const char* expected) {
  if (m_state != SessionState::Applied) return Error{"nothing is waiting for confirmation"};
  m_process.Send(std::string(command) + "\n");
  bool timedOut = false;
  const auto answer = NextAnswer(120000, timedOut);
  m_process.Finish();
  if (!answer) {
    m_state = SessionState::Failed;
    m_message = "the kernel helper ended without an answer";
    return Error{m_message};
  }
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
    if (answer->word == "reverted") return notes + answer->text;
    return Error{notes + answer->text};
  }
  const int status = process.Finish();
  return EndedHelperError(status, ThroughPkexec(commandLine), process.ErrorOutput(), CommandWord(request));
}

}  // namespace zf::kernel
