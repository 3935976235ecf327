// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The start of a history query as people write it: a span back from now ("90m", "1h", "1d",
// "7d") or a local date ("2024-05-01") or date and time ("2024-05-01 18:30").
#include <cstdint>
#include <string>

#include "core/Result.h"

namespace zf {

Result<std::int64_t> ParseSince(const std::string& text, std::int64_t nowMs);

// The length of a summary line for a stretch of spanMs: 5 minutes up to an hour, an hour up to
// a day, a day beyond.
std::int64_t SummaryIntervalMs(std::int64_t spanMs);

}  // namespace zf
