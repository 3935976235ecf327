// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tuning values from a measurement, and what stored values would allow on the measured path.
// Plain arithmetic over figures: the command line and the desktop show the same words.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/TcpSettings.h"
#include "measure/MeasureTypes.h"

namespace zf::measure {

// The window covers twice the bandwidth-delay product: the idle round trip grows while the
// stream fills the bottleneck's queue, and the kernel needs room to grow the window into.
inline constexpr double kWindowHeadroom = 2.0;
// IPv4's smallest datagram every host takes, and its largest packet.
inline constexpr std::int32_t kMinRecommendedMtu = 576;
inline constexpr std::int32_t kMaxRecommendedMtu = 65535;
// MSS = MTU − the IPv4 and TCP headers without options.
inline constexpr std::int32_t kTcpIpHeaderBytes = 40;
// Used when neither the path nor the starting values give an MTU.
inline constexpr std::int32_t kEthernetMtu = 1500;

// The figures a recommendation and a comparison need.
struct PathFacts {
  double bitsPerSecond = 0;  // one TCP stream downloading
  double rttMs = 0;          // idle round trip
  std::optional<std::int32_t> pathMtu;
};

PathFacts FactsOf(const Measurement& measurement);

struct Recommendation {
  std::int32_t RWIN = 0;
  std::int32_t MTU = 0;
  std::int32_t MSS = 0;
  bool mtuFromPath = false;  // false: no path MTU was learned, the starting MTU stays
  double bdpBytes = 0;       // bandwidth × round trip, before headroom and rounding
};

// startMtu: the MTU of the values the recommendation replaces, kept when the path MTU is unknown.
Recommendation Recommend(const PathFacts& facts, std::int32_t startMtu);

// The starting record with the recommendation's window, MTU and MSS; everything else as it was.
TcpSettings WithRecommendation(TcpSettings start, const Recommendation& recommendation);

// What a stored receive window lets one connection carry at the round trip; nothing for a window
// left to the system (−1) or one that sets no window (0).
std::optional<double> CapBitsPerSecond(std::int32_t rwin, double rttMs);

std::string RateText(double bitsPerSecond);  // "94 Mbit/s", "1.7 Mbit/s", "850 kbit/s", "2.5 Gbit/s"
std::string RttText(double milliseconds);    // "21 ms", "4.5 ms"

// "Automatic-A would cap one connection at 1.7 Mbit/s; this connection measured 94 Mbit/s at 21 ms".
std::string CapSentence(std::string_view name, std::int32_t rwin, const PathFacts& facts);

}  // namespace zf::measure
