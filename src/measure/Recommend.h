// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tuning values from a measurement, and what stored values would allow on the measured path.
// Plain arithmetic over figures: the command line and the desktop show the same words.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/BeforeAfter.h"
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

// The words are shared with the desktop, which does not measure.
using figures::BeforeAfterSentence;
using figures::CapBitsPerSecond;
using figures::CapSentence;
using figures::Compare;
using figures::KeepAfter;
using figures::PathFacts;
using figures::RateText;
using figures::RttText;
using figures::Verdict;

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

}  // namespace zf::measure
