// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/HistorySince.h"

#include <ctime>
#include <regex>

#include "core/Translatable.h"

namespace zf {
namespace {

constexpr std::int64_t kMinuteMs = 60'000;
constexpr std::int64_t kHourMs = 60 * kMinuteMs;
constexpr std::int64_t kDayMs = 24 * kHourMs;

std::int64_t UnitMs(char unit) {
  switch (unit) {
    case 'm': return kMinuteMs;
    case 'h': return kHourMs;
    default: return kDayMs;
  }
}

}  // namespace

Result<std::int64_t> ParseSince(const std::string& text, std::int64_t nowMs) {
  static const std::regex kSpan(R"(([0-9]{1,5})([mhd]))");
  static const std::regex kDate(R"(([0-9]{4})-([0-9]{2})-([0-9]{2})(?:[ T]([0-9]{2}):([0-9]{2}))?)");
  std::smatch parts;
  if (std::regex_match(text, parts, kSpan)) {
    const std::int64_t count = std::stoll(parts[1]);
    if (count == 0) return Failure(ZF_CLI_TRANSLATABLE("--since wants a span longer than 0, such as 1h, 1d or 7d"));
    return nowMs - count * UnitMs(parts[2].str()[0]);
  }
  if (std::regex_match(text, parts, kDate)) {
    std::tm local{};
    local.tm_year = std::stoi(parts[1]) - 1900;
    local.tm_mon = std::stoi(parts[2]) - 1;
    local.tm_mday = std::stoi(parts[3]);
    local.tm_hour = parts[4].matched ? std::stoi(parts[4]) : 0;
    local.tm_min = parts[5].matched ? std::stoi(parts[5]) : 0;
    local.tm_isdst = -1;
    std::tm checked = local;
    const std::time_t seconds = std::mktime(&checked);
    // mktime moves an impossible date (02-30, 25:00) on: that is a typing error, not a date.
    if (seconds == -1 || checked.tm_mday != local.tm_mday || checked.tm_mon != local.tm_mon ||
        checked.tm_hour != local.tm_hour || checked.tm_min != local.tm_min)
      return Failure("--since: \"" + text + "\" is not a date that exists");
    return static_cast<std::int64_t>(seconds) * 1000;
  }
  return Failure(
      ZF_CLI_TRANSLATABLE("--since wants 1h, 1d, 7d (any number of m, h or d) or a date YYYY-MM-DD [HH:MM]"));
}

std::int64_t SummaryIntervalMs(std::int64_t spanMs) {
  if (spanMs <= kHourMs) return 5 * kMinuteMs;
  if (spanMs <= kDayMs) return kHourMs;
  return kDayMs;
}

}  // namespace zf
