// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The words about a measured connection: what a receive window would cap it at, and whether a
// change made it slower, judged from a measurement before and one after. Plain arithmetic and
// text, so the command line and the desktop (which never loads the measuring libraries) say the
// same thing.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zf::figures {

// The figures a recommendation and a comparison need.
struct PathFacts {
  double bitsPerSecond = 0;  // one TCP stream downloading
  double rttMs = 0;          // idle round trip
  std::optional<std::int32_t> pathMtu;
};

// What a stored receive window lets one connection carry at the round trip; nothing for a window
// left to the system (−1) or one that sets no window (0).
std::optional<double> CapBitsPerSecond(std::int32_t rwin, double rttMs);

std::string RateText(double bitsPerSecond);  // "94 Mbit/s", "1.7 Mbit/s", "850 kbit/s", "2.5 Gbit/s"
std::string RttText(double milliseconds);    // "21 ms", "4.5 ms"
// Binary units as desktops show file sizes: "512 bytes", "8.4 KB", "128 KB", "32 MB", "2.0 GB".
std::string SizeText(std::int64_t bytes);

// "Automatic-A would cap one connection at 1.7 Mbit/s; this connection measured 94 Mbit/s at 21 ms".
std::string CapSentence(std::string_view name, std::int32_t rwin, const PathFacts& facts);

// Beyond the stream a measurement spends at most this long on its round-trip probes, the path MTU
// and the stream's set-up: what a keep window with a measurement inside it grows by.
inline constexpr int kMeasureOverheadSeconds = 8;

// Slower: throughput dropped by more than this share, or the round trip rose by more than that.
inline constexpr double kThroughputTolerance = 0.10;
inline constexpr double kRoundTripTolerance = 0.20;

enum class Verdict { Slower, Same, Faster };

// A failed measurement after the change (nullopt) counts as slower: the path no longer carries.
Verdict Compare(const PathFacts& before, const std::optional<PathFacts>& after);

// Kept only when not slower.
inline bool KeepAfter(Verdict verdict) { return verdict != Verdict::Slower; }

// "Before: 94 Mbit/s, 21 ms — now: 1.7 Mbit/s, 21 ms: this change made the connection slower";
// afterFailure is said in place of the figures when there are none.
std::string BeforeAfterSentence(const PathFacts& before, const std::optional<PathFacts>& after,
                                const std::string& afterFailure = {});

}  // namespace zf::figures
