// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/Recommend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

std::optional<double> CapBitsPerSecond(std::int32_t rwin, double rttMs) {
  if (rwin <= 0 || rttMs <= 0) return std::nullopt;
  return WindowCapBitsPerSecond(rwin, rttMs / 1000);
}

namespace {

// Two significant figures below ten, whole numbers above: "1.7", "94", "940".
std::string Figures(double value) {
  char text[32];
  std::snprintf(text, sizeof text, value < 9.95 ? "%.1f" : "%.0f", value);
  return text;
}

}  // namespace

std::string RateText(double bitsPerSecond) {
  if (bitsPerSecond >= 999.5e6) return Figures(bitsPerSecond / 1e9) + " Gbit/s";
  if (bitsPerSecond >= 0.9995e6) return Figures(bitsPerSecond / 1e6) + " Mbit/s";
  return Figures(bitsPerSecond / 1e3) + " kbit/s";
}

std::string RttText(double milliseconds) { return Figures(milliseconds) + " ms"; }

std::string CapSentence(std::string_view name, std::int32_t rwin, const PathFacts& facts) {
  const std::string measured =
      "this connection measured " + RateText(facts.bitsPerSecond) + " at " + RttText(facts.rttMs);
  const auto cap = CapBitsPerSecond(rwin, facts.rttMs);
  if (rwin == kDeleteMarker) return std::string(name) + " leaves the receive window to the system; " + measured;
  if (!cap) return std::string(name) + " sets no receive window; " + measured;
  return std::string(name) + " would cap one connection at " + RateText(*cap) + "; " + measured;
}

}  // namespace zf::measure
