// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/HistorySummary.h"

#include <algorithm>
#include <cmath>

namespace zf {

std::optional<double> EchoSummary::LossPercent() const {
  if (echoes == 0) return std::nullopt;
  return 100.0 * static_cast<double>(lost) / static_cast<double>(echoes);
}

std::optional<std::uint32_t> NearestRank(std::span<const std::uint32_t> sorted, double share) {
  if (sorted.empty()) return std::nullopt;
  const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
  return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

namespace {

EchoSummary SummaryOf(std::span<const EchoRecord> echoes, std::int64_t startMs, std::int64_t endMs,
                      std::vector<std::uint32_t>& scratch) {
  EchoSummary summary;
  summary.startMs = startMs;
  summary.endMs = endMs;
  scratch.clear();
  for (const EchoRecord& echo : echoes) {
    if (echo.timeMs < startMs || echo.timeMs >= endMs) continue;
    ++summary.echoes;
    if (echo.roundTripMs) {
      scratch.push_back(*echo.roundTripMs);
    } else {
      ++summary.lost;
    }
  }
  std::sort(scratch.begin(), scratch.end());
  summary.minMs = NearestRank(scratch, 0.0);
  summary.medianMs = NearestRank(scratch, 0.5);
  summary.p95Ms = NearestRank(scratch, 0.95);
  summary.maxMs = NearestRank(scratch, 1.0);
  return summary;
}

}  // namespace

EchoSummary Summarize(std::span<const EchoRecord> echoes, std::int64_t startMs, std::int64_t endMs) {
  std::vector<std::uint32_t> scratch;
  return SummaryOf(echoes, startMs, endMs, scratch);
}

std::vector<EchoSummary> SummarizeIntervals(std::span<const EchoRecord> echoes, std::int64_t startMs,
                                            std::int64_t endMs, std::int64_t intervalMs) {
  std::vector<EchoSummary> summaries;
  if (intervalMs <= 0 || endMs <= startMs) return summaries;
  std::vector<std::uint32_t> scratch;
  auto first = std::lower_bound(echoes.begin(), echoes.end(), startMs,
                                [](const EchoRecord& echo, std::int64_t time) { return echo.timeMs < time; });
  for (std::int64_t begin = startMs; begin < endMs; begin += intervalMs) {
    const std::int64_t end = std::min(endMs, begin + intervalMs);
    auto last = std::lower_bound(first, echoes.end(), end,
                                 [](const EchoRecord& echo, std::int64_t time) { return echo.timeMs < time; });
    summaries.push_back(SummaryOf({first, last}, begin, end, scratch));
    first = last;
  }
  return summaries;
}

}  // namespace zf
