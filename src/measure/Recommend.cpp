// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/Recommend.h"

#include <algorithm>
#include <cmath>

#include "core/ReceiveWindow.h"

namespace zf::measure {

PathFacts FactsOf(const Measurement& measurement) {
  PathFacts facts{measurement.throughput.value, measurement.rtt.value, std::nullopt};
  if (measurement.pathMtu) facts.pathMtu = static_cast<std::int32_t>(std::lround(measurement.pathMtu->value));
  return facts;
}

Recommendation Recommend(const PathFacts& facts, std::int32_t startMtu) {
  Recommendation r;
  r.mtuFromPath = facts.pathMtu.has_value();
  const std::int32_t mtu = facts.pathMtu ? *facts.pathMtu : startMtu > 0 ? startMtu : kEthernetMtu;
  r.MTU = std::clamp(mtu, kMinRecommendedMtu, kMaxRecommendedMtu);
  r.MSS = r.MTU - kTcpIpHeaderBytes;
  r.bdpBytes = std::max(facts.bitsPerSecond, 0.0) / 8 * std::max(facts.rttMs, 0.0) / 1000;
  const double segments = std::ceil(r.bdpBytes * kWindowHeadroom / r.MSS);
  const double mostSegments = std::floor(static_cast<double>(kMaxReceiveWindowBytes) / r.MSS);
  r.RWIN = static_cast<std::int32_t>(std::clamp(segments, 1.0, mostSegments)) * r.MSS;
  return r;
}

TcpSettings WithRecommendation(TcpSettings start, const Recommendation& recommendation) {
  start.RWIN = recommendation.RWIN;
  start.MTU = recommendation.MTU;
  start.MSS = recommendation.MSS;
  return start;
}

}  // namespace zf::measure
