// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether a change made the connection slower, judged from a measurement before and one after.
#include <optional>
#include <string>

#include "measure/Recommend.h"

namespace zf::measure {

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

}  // namespace zf::measure
