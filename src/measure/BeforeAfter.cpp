// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/BeforeAfter.h"

namespace zf::measure {

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

}  // namespace zf::measure
