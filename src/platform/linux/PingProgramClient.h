// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Echo requests sent by the ping program (zentrofast-ping) for a process that may open no ICMP
// socket itself. Each request goes to an idle copy of the program, or to one started for it, so a
// request made while another one waits gets its own.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/icmp.h"

namespace zf {

// The ping program of the programs in executableFolder: the installed one (libexec/zentrofast
// beside bin/), else the one beside them in a build folder.
std::string PingProgramFor(const std::filesystem::path& executableFolder);

class PingProgramClient {
 public:
  explicit PingProgramClient(std::string program) : m_program(std::move(program)) {}
  ~PingProgramClient();
  PingProgramClient(const PingProgramClient&) = delete;
  PingProgramClient& operator=(const PingProgramClient&) = delete;

  // As IIcmp::SendEcho. NotPermitted when the program cannot be started or may open no socket.
  IcmpEchoReply SendEcho(const IPv4Address& address, std::span<const std::uint8_t> payload, std::uint32_t timeoutMs,
                         const std::function<void()>& whileWaiting);

 private:
  struct Running {
    pid_t pid = -1;
    int fd = -1;  // both its stdin and its stdout
  };
  std::optional<Running> Take();

  std::string m_program;
  std::vector<Running> m_idle;
};

}  // namespace zf
