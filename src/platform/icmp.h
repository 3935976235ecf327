// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ICMP echo and name resolution: the system resolver, and one echo request per call.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zf {

// An IPv4 address as the wire carries it: the first byte is the leftmost part of the dotted text.
using IPv4Address = std::array<std::uint8_t, 4>;

// Outcome codes of one echo request: the platform's IP status values, 0 for a good reply.
enum class IcmpStatus : std::uint32_t {
  Success = 0,
  NotPermitted = 5,  // this process may open no ICMP socket at all (as ERROR_ACCESS_DENIED)
  DestNetUnreachable = 11002,
  DestHostUnreachable = 11003,
  TimedOut = 11010,
  BadDestination = 11018,
  GeneralFailure = 11050,
};

// The reply record the echo fills; callers read Status first, the rest only on success.
struct IcmpEchoReply {
  IPv4Address Address{};  // the replying address
  IcmpStatus Status = IcmpStatus::GeneralFailure;
  std::uint32_t RoundTripTime = 0;  // milliseconds
  std::uint16_t DataSize = 0;       // bytes of echoed data
};

class IIcmp {
 public:
  virtual ~IIcmp() = default;

  // The IPv4 addresses of a host name in the resolver's order; empty when it is not found.
  virtual std::vector<IPv4Address> ResolveIPv4(const std::string& name) = 0;

  // Sends one echo request carrying payload and waits up to timeoutMs for the matching reply.
  // whileWaiting, when set, is called at least every 50 ms for as long as the wait lasts.
  virtual IcmpEchoReply SendEcho(const IPv4Address& address, std::span<const std::uint8_t> payload,
                                 std::uint32_t timeoutMs, const std::function<void()>& whileWaiting) = 0;
};

}  // namespace zf
