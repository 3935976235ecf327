// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/Target.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <charconv>
#include <cstring>
#include <optional>

namespace zf::measure {
namespace {

Phrase TargetForms() {
  return Phrase::Format(ZF_SHARED_TRANSLATABLE(
      "zf::measure", "a target is iperf3://HOST[:PORT] or an http:// or https:// URL of a large file"));
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::optional<int> PortNumber(const std::string& text) {
  int port = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535) return std::nullopt;
  return port;
}

// HOST[:PORT] with HOST possibly "[v6]"; the port falls back to `defaultPort`.
Result<Target> SplitAuthority(const std::string& authority, int defaultPort) {
  Target target;
  std::string rest;
  if (StartsWith(authority, "[")) {
    const auto close = authority.find(']');
    if (close == std::string::npos)
      return Failure(Phrase::Format(
          ZF_SHARED_TRANSLATABLE("zf::measure", "\"%1\" lacks the closing ] of its IPv6 address"), {authority}));
    target.host = authority.substr(1, close - 1);
    rest = authority.substr(close + 1);
  } else {
    const auto colon = authority.find(':');
    target.host = authority.substr(0, colon);
    rest = colon == std::string::npos ? "" : authority.substr(colon);
  }
  if (target.host.empty())
    return Failure(
        Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the target names no host; %1"), {TargetForms()}));
  target.port = defaultPort;
  if (!rest.empty()) {
    const auto port = rest[0] == ':' ? PortNumber(rest.substr(1)) : std::nullopt;
    if (!port)
      return Failure(
          Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "\"%1\" is not a port from 1 to 65535"), {rest}));
    target.port = *port;
  }
  return target;
}

Result<Target> ParseUrl(const std::string& text, int defaultPort) {
  const auto hostStart = text.find("://") + 3;
  const auto hostEnd = text.find_first_of("/?#", hostStart);
  std::string authority =
      text.substr(hostStart, hostEnd == std::string::npos ? std::string::npos : hostEnd - hostStart);
  if (const auto at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
  auto target = SplitAuthority(authority, defaultPort);
  if (!target) return target;
  target->kind = Target::Kind::Http;
  target->url = text;
  return target;
}

}  // namespace

Result<Target> ParseTarget(const std::string& text) {
  if (text.find_first_of(" \t\r\n") != std::string::npos)
    return Failure(
        Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "\"%1\" holds white space; %2"), {text, TargetForms()}));
  if (StartsWith(text, "iperf3://")) {
    std::string authority = text.substr(9);
    if (!authority.empty() && authority.back() == '/') authority.pop_back();
    if (authority.find('/') != std::string::npos)
      return Failure(
          Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "an iperf3 target has no path: iperf3://HOST[:PORT]")));
    return SplitAuthority(authority, kIperfDefaultPort);
  }
  if (StartsWith(text, "http://")) return ParseUrl(text, 80);
  if (StartsWith(text, "https://")) return ParseUrl(text, 443);
  return Failure(
      Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "\"%1\" is not a target: %2"), {text, TargetForms()}));
}

Result<ResolvedAddress> Resolve(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  const int status = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
  if (status != 0 || !list)
    return Failure(Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the name %1 does not resolve: %2"),
                                  {host, gai_strerror(status)}));
  ResolvedAddress resolved;
  std::memcpy(&resolved.address, list->ai_addr, list->ai_addrlen);
  resolved.length = list->ai_addrlen;
  resolved.family = list->ai_family;
  freeaddrinfo(list);
  char text[INET6_ADDRSTRLEN] = {};
  const void* raw = resolved.family == AF_INET6
                        ? static_cast<const void*>(&reinterpret_cast<sockaddr_in6*>(&resolved.address)->sin6_addr)
                        : static_cast<const void*>(&reinterpret_cast<sockaddr_in*>(&resolved.address)->sin_addr);
  inet_ntop(resolved.family, raw, text, sizeof text);
  resolved.text = text;
  return resolved;
}

}  // namespace zf::measure
