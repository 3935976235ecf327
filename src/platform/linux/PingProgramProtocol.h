// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the desktop program and the ping program say over the ping program's stdin and stdout:
// one fixed-size request header and its payload, answered by one fixed-size reply, in turn.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/icmp.h"

namespace zf::pingprogram {

// address (4), time-out in ms (4, little-endian), payload size (2, little-endian)
inline constexpr std::size_t kRequestHeaderSize = 10;
// status (4), replying address (4), round trip in ms (4), echoed data size (2)
inline constexpr std::size_t kReplySize = 14;
inline constexpr std::size_t kLongestPayload = 1024;

struct RequestHeader {
  IPv4Address address{};
  std::uint32_t timeoutMs = 0;
  std::uint16_t payloadSize = 0;
};

std::vector<std::uint8_t> EncodeRequest(const IPv4Address& address, std::uint32_t timeoutMs,
                                        std::span<const std::uint8_t> payload);
// Nothing for a payload longer than kLongestPayload.
std::optional<RequestHeader> DecodeRequestHeader(std::span<const std::uint8_t, kRequestHeaderSize> bytes);

std::array<std::uint8_t, kReplySize> EncodeReply(const IcmpEchoReply& reply);
IcmpEchoReply DecodeReply(std::span<const std::uint8_t, kReplySize> bytes);

}  // namespace zf::pingprogram
