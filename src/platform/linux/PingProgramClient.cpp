// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/PingProgramClient.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>

#include "platform/fdio.h"
#include "platform/linux/PingProgramProtocol.h"

namespace zf {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kLongestSlice{50};
// The program's own wait ends at the time-out; this much more covers starting it.
constexpr milliseconds kStartAllowance{2000};

void Stop(pid_t pid, int fd) {
  ::close(fd);
  ::kill(pid, SIGKILL);
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

enum class Wait { Replied, Failed, TimedOut };

// Reads the whole reply, letting events run at least every 50 ms.
Wait AwaitReply(int fd, std::span<std::uint8_t> reply, Clock::time_point deadline,
                const std::function<void()>& whileWaiting) {
  std::size_t have = 0;
  while (have < reply.size()) {
    const ssize_t got = ::recv(fd, reply.data() + have, reply.size() - have, MSG_DONTWAIT);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) return Wait::Failed;
    if (got > 0) {
      have += static_cast<std::size_t>(got);
      continue;
    }
    const auto remaining = std::chrono::ceil<milliseconds>(deadline - Clock::now());
    if (remaining.count() <= 0) return Wait::TimedOut;
    pollfd waitFor{fd, POLLIN, 0};
    if (::poll(&waitFor, 1, static_cast<int>(std::min(remaining, kLongestSlice).count())) < 0 && errno != EINTR)
      return Wait::Failed;
    if (whileWaiting) whileWaiting();
  }
  return Wait::Replied;
}

}  // namespace

std::string PingProgramFor(const std::filesystem::path& executableFolder) {
  constexpr const char* kName = "zentrofast-ping";
  const auto installed = executableFolder.parent_path() / "libexec" / "zentrofast" / kName;
  std::error_code ignored;
  return (std::filesystem::is_regular_file(installed, ignored) ? installed : executableFolder / kName).string();
}

PingProgramClient::~PingProgramClient() {
  for (const Running& running : m_idle) Stop(running.pid, running.fd);
}

std::optional<PingProgramClient::Running> PingProgramClient::Take() {
  if (!m_idle.empty()) {
    const Running running = m_idle.back();
    m_idle.pop_back();
    return running;
  }
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return std::nullopt;
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
  ::posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
  char* const argv[] = {m_program.data(), nullptr};
  char* const noEnvironment[] = {nullptr};
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, m_program.c_str(), &actions, nullptr, argv, noEnvironment);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(ends[1]);
  if (spawned != 0) {
    ::close(ends[0]);
    return std::nullopt;
  }
  return Running{pid, ends[0]};
}

IcmpEchoReply PingProgramClient::SendEcho(const IPv4Address& address, std::span<const std::uint8_t> payload,
                                          std::uint32_t timeoutMs, const std::function<void()>& whileWaiting) {
  IcmpEchoReply reply;
  if (payload.size() > pingprogram::kLongestPayload) return reply;
  const auto running = Take();
  if (!running) {
    reply.Status = IcmpStatus::NotPermitted;
    return reply;
  }
  const Clock::time_point deadline = Clock::now() + milliseconds{timeoutMs} + kStartAllowance;
  std::array<std::uint8_t, pingprogram::kReplySize> answer{};
  const Wait wait =
      fdio::SendAll(running->fd, fdio::Bytes(pingprogram::EncodeRequest(address, timeoutMs, payload))) == 0
          ? AwaitReply(running->fd, answer, deadline, whileWaiting)
          : Wait::Failed;
  if (wait != Wait::Replied) {
    Stop(running->pid, running->fd);
    if (wait == Wait::TimedOut) reply.Status = IcmpStatus::TimedOut;
    return reply;
  }
  m_idle.push_back(*running);
  return pingprogram::DecodeReply(answer);
}

}  // namespace zf
