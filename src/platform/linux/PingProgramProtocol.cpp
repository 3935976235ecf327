// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/PingProgramProtocol.h"

#include <algorithm>

namespace zf::pingprogram {
namespace {

template <typename Word>
void Put(std::uint8_t* at, Word value) {
  for (std::size_t i = 0; i < sizeof(Word); ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

template <typename Word>
Word Get(const std::uint8_t* at) {
  Word value = 0;
  for (std::size_t i = 0; i < sizeof(Word); ++i) value = static_cast<Word>(value | Word(at[i]) << (8 * i));
  return value;
}

}  // namespace

std::vector<std::uint8_t> EncodeRequest(const IPv4Address& address, std::uint32_t timeoutMs,
                                        std::span<const std::uint8_t> payload) {
  std::vector<std::uint8_t> bytes(kRequestHeaderSize + payload.size());
  std::copy(address.begin(), address.end(), bytes.begin());
  Put(&bytes[4], timeoutMs);
  Put(&bytes[8], static_cast<std::uint16_t>(payload.size()));
  std::copy(payload.begin(), payload.end(), bytes.begin() + kRequestHeaderSize);
  return bytes;
}

std::optional<RequestHeader> DecodeRequestHeader(std::span<const std::uint8_t, kRequestHeaderSize> bytes) {
  RequestHeader header;
  std::copy_n(bytes.begin(), header.address.size(), header.address.begin());
  header.timeoutMs = Get<std::uint32_t>(&bytes[4]);
  header.payloadSize = Get<std::uint16_t>(&bytes[8]);
  if (header.payloadSize > kLongestPayload) return std::nullopt;
  return header;
}

std::array<std::uint8_t, kReplySize> EncodeReply(const IcmpEchoReply& reply) {
  std::array<std::uint8_t, kReplySize> bytes{};
  Put(&bytes[0], static_cast<std::uint32_t>(reply.Status));
  std::copy(reply.Address.begin(), reply.Address.end(), bytes.begin() + 4);
  Put(&bytes[8], reply.RoundTripTime);
  Put(&bytes[12], reply.DataSize);
  return bytes;
}

IcmpEchoReply DecodeReply(std::span<const std::uint8_t, kReplySize> bytes) {
  IcmpEchoReply reply;
  reply.Status = static_cast<IcmpStatus>(Get<std::uint32_t>(&bytes[0]));
  std::copy_n(bytes.begin() + 4, reply.Address.size(), reply.Address.begin());
  reply.RoundTripTime = Get<std::uint32_t>(&bytes[8]);
  reply.DataSize = Get<std::uint16_t>(&bytes[12]);
  return reply;
}

}  // namespace zf::pingprogram
