// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The target of a connection test: an iperf3 server or the URL of a large file.
#include <sys/socket.h>

#include <string>

#include "core/Result.h"

namespace zf::measure {

inline constexpr int kIperfDefaultPort = 5201;

struct Target {
  enum class Kind { Iperf3, Http };
  Kind kind = Kind::Iperf3;
  std::string host;  // without the brackets of an IPv6 literal
  int port = 0;
  std::string url;  // the whole URL for Http
};

// iperf3://HOST[:PORT], http://… or https://…; the error says what a target looks like.
Result<Target> ParseTarget(const std::string& text);

struct ResolvedAddress {
  sockaddr_storage address{};
  socklen_t length = 0;
  int family = 0;
  std::string text;  // numeric
};

// The first address of host:port (IPv4 or IPv6).
Result<ResolvedAddress> Resolve(const std::string& host, int port);

}  // namespace zf::measure
