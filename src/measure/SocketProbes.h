// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Unprivileged probes of the path: TCP connect times, the path MTU, a socket's TCP_INFO.
#include <cstdint>
#include <optional>
#include <vector>

#include "measure/MeasureTypes.h"
#include "measure/Target.h"

namespace zf::measure {

// One TCP connect: the time to SYN-ACK (or to the refusing RST, which answers as well).
struct ConnectProbe {
  enum class Answer { Accepted, Refused, NoAnswer, NoRoute, Cancelled } answer = Answer::NoAnswer;
  double milliseconds = 0;
  int error = 0;  // errno of a failed connect
};

ConnectProbe ProbeConnect(const ResolvedAddress& to, std::chrono::milliseconds timeout, const CancelFlag& cancel);

// The largest packet (IP header included) that reaches `to` unfragmented, found by sending
// datagrams with DF set on a connected UDP socket and reading back what the kernel learned
// (IP_MTU) from "fragmentation needed" answers. Empty when no UDP socket can be made.
std::optional<int> ProbePathMtu(const ResolvedAddress& to, std::chrono::milliseconds wait, const CancelFlag& cancel);

// TCP_INFO of a connected socket, in the kernel's units.
struct TcpInfoSample {
  double rttMs = 0;  // smoothed RTT this end estimates (the receiver's estimate when it only receives)
  double deliveryRateBps = 0;
  std::uint32_t totalRetransmissions = 0;
  std::uint32_t receiveSpace = 0;
  std::uint64_t bytesReceived = 0;
};

std::optional<TcpInfoSample> ReadTcpInfo(int fd);

}  // namespace zf::measure
