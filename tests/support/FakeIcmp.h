// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An ICMP service that sends nothing: names resolve from a table, every echo gets the scripted
// status, and each request is recorded.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/icmp.h"

namespace zf::test {

class FakeIcmp : public IIcmp {
 public:
  struct Echo {
    IPv4Address address;
    std::string payload;
    std::uint32_t timeoutMs;
  };

  std::vector<IPv4Address> ResolveIPv4(const std::string& name) override {
    resolved.push_back(name);
    auto it = hosts.find(name);
    return it == hosts.end() ? std::vector<IPv4Address>{} : it->second;
  }

  IcmpEchoReply SendEcho(const IPv4Address& address, std::span<const std::uint8_t> payload, std::uint32_t timeoutMs,
                         const std::function<void()>& whileWaiting) override {
    echoes.push_back({address, std::string(payload.begin(), payload.end()), timeoutMs});
    if (duringEcho) duringEcho();
    if (whileWaiting) whileWaiting();
    IcmpEchoReply reply;
    reply.Status = status;
    if (status == IcmpStatus::Success) {
      reply.Address = address;
      reply.DataSize = static_cast<std::uint16_t>(payload.size());
    }
    return reply;
  }

  std::map<std::string, std::vector<IPv4Address>> hosts;  // what each name resolves to
  IcmpStatus status = IcmpStatus::Success;                // the answer to every echo
  std::function<void()> duringEcho;                       // runs while an echo is under way
  std::vector<std::string> resolved;
  std::vector<Echo> echoes;
};

}  // namespace zf::test
