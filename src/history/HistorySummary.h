// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Figures of a stretch of echoes: the round trips of the good replies and the share lost.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/ConnectionHistory.h"

namespace zf {

struct EchoSummary {
  std::int64_t startMs = 0;  // the stretch is [startMs, endMs)
  std::int64_t endMs = 0;
  std::size_t echoes = 0;
  std::size_t lost = 0;
  // Of the good replies, by nearest rank: the value at rank ceil(p·n) of the n sorted values.
  std::optional<std::uint32_t> minMs, medianMs, p95Ms, maxMs;

  // Of the echoes sent; none when none was sent.
  std::optional<double> LossPercent() const;
  bool operator==(const EchoSummary&) const = default;
};

// The value at nearest rank ceil(share·n) of sorted values (share in (0, 1]); none when empty.
std::optional<std::uint32_t> NearestRank(std::span<const std::uint32_t> sorted, double share);

// The echoes in [startMs, endMs); they need not be in order.
EchoSummary Summarize(std::span<const EchoRecord> echoes, std::int64_t startMs, std::int64_t endMs);

// [startMs, endMs) cut into intervals of intervalMs (the last may be shorter), one summary each,
// empty intervals included. echoes must be in time order.
std::vector<EchoSummary> SummarizeIntervals(std::span<const EchoRecord> echoes, std::int64_t startMs,
                                            std::int64_t endMs, std::int64_t intervalMs);

}  // namespace zf
