// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/BeforeAfter.h"

#include <cstdio>

#include "core/ReceiveWindow.h"
#include "core/TcpSettings.h"

namespace zf::figures {

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

std::string SizeText(std::int64_t bytes) {
  constexpr double kKibi = 1024;
  const auto value = static_cast<double>(bytes);
  // Shown rounded: 1023.96 KB reads "1.0 MB", not "1024 KB".
  if (value >= 1023.5 * kKibi * kKibi) return Figures(value / (kKibi * kKibi * kKibi)) + " GB";
  if (value >= 1023.5 * kKibi) return Figures(value / (kKibi * kKibi)) + " MB";
  if (bytes >= 1024) return Figures(value / kKibi) + " KB";
  return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

std::string CapSentence(std::string_view name, std::int32_t rwin, const PathFacts& facts) {
  const std::string measured =
      "this connection measured " + RateText(facts.bitsPerSecond) + " at " + RttText(facts.rttMs);
  const auto cap = CapBitsPerSecond(rwin, facts.rttMs);
  if (rwin == kDeleteMarker) return std::string(name) + " leaves the receive window to the system; " + measured;
  if (!cap) return std::string(name) + " sets no receive window; " + measured;
  return std::string(name) + " would cap one connection at " + RateText(*cap) + "; " + measured;
}

Verdict Compare(const PathFacts& before, const std::optional<PathFacts>& after) {
  if (!after) return Verdict::Slower;
  if (after->bitsPerSecond < before.bitsPerSecond * (1 - kThroughputTolerance) ||
      after->rttMs > before.rttMs * (1 + kRoundTripTolerance))
    return Verdict::Slower;
  if (after->bitsPerSecond > before.bitsPerSecond * (1 + kThroughputTolerance) ||
      after->rttMs < before.rttMs * (1 - kRoundTripTolerance))
    return Verdict::Faster;
  return Verdict::Same;
}

std::string BeforeAfterSentence(const PathFacts& before, const std::optional<PathFacts>& after,
                                const std::string& afterFailure) {
  const auto figures = [](const PathFacts& facts) {
    return RateText(facts.bitsPerSecond) + ", " + RttText(facts.rttMs);
  };
  std::string text = "Before: " + figures(before) + " — now: ";
  text += after ? figures(*after) : "no measurement (" + (afterFailure.empty() ? "it failed" : afterFailure) + ")";
  switch (Compare(before, after)) {
    case Verdict::Slower: return text + ": this change made the connection slower";
    case Verdict::Faster: return text + ": this change made the connection faster";
    case Verdict::Same: return text + ": the connection is about the same";
  }
  return text;
}

}  // namespace zf::figures
