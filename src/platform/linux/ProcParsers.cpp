// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/ProcParsers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

namespace zf {
namespace {

constexpr std::int64_t kHundredNsPerSecond = 10'000'000;
// 16 PiB: a larger memory figure is not a real one, and every sum and percentage of figures up
// to this size stays inside 64 bits.
constexpr std::int64_t kMaxKilobytes = std::int64_t{1} << 44;
// No processor time field comes near this; sums of eight stay far from overflowing.
constexpr std::int64_t kMaxTicks = std::int64_t{1} << 56;

// Reads the next unsigned decimal field after spaces, up to limit; advances text past it.
std::optional<std::int64_t> NextNumber(std::string_view& text, std::int64_t limit) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || value < 0 || value > limit) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return value;
}

std::string_view NextLine(std::string_view& text) {
  const auto end = text.find('\n');
  const std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  return line;
}

bool IsProcessorLine(std::string_view line) {
  return line.size() > 3 && line.starts_with("cpu") && line[3] >= '0' && line[3] <= '9';
}

std::optional<std::int64_t> TicksTo100ns(std::int64_t ticks, std::int64_t ticksPerSecond) {
  const __int128 units = static_cast<__int128>(ticks) * kHundredNsPerSecond / ticksPerSecond;
  if (units > std::numeric_limits<std::int64_t>::max()) return std::nullopt;
  return static_cast<std::int64_t>(units);
}

}  // namespace

std::optional<MemoryStatus> ParseMeminfo(std::string_view text) {
  enum Field { kTotal, kAvailable, kFree, kBuffers, kCached, kSwapTotal, kSwapFree, kFieldCount };
  constexpr std::array<std::string_view, kFieldCount> kNames{"MemTotal", "MemAvailable", "MemFree", "Buffers",
                                                             "Cached",   "SwapTotal",    "SwapFree"};
  std::array<std::optional<std::int64_t>, kFieldCount> bytes{};
  while (!text.empty()) {
    std::string_view line = NextLine(text);
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = line.substr(0, colon);
    line.remove_prefix(colon + 1);
    const auto kilobytes = NextNumber(line, kMaxKilobytes);
    for (std::size_t field = 0; kilobytes && field < kFieldCount; ++field)
      if (name == kNames[field]) bytes[field] = *kilobytes * 1024;
  }
  const std::int64_t total = bytes[kTotal].value_or(0);
  if (total <= 0) return std::nullopt;
  const std::int64_t estimate = bytes[kFree].value_or(0) + bytes[kBuffers].value_or(0) + bytes[kCached].value_or(0);
  MemoryStatus status;
  status.totalPhysical = total;
  status.availPhysical = std::min(total, bytes[kAvailable].value_or(estimate));
  status.memoryLoad = static_cast<std::int32_t>((100 * (total - status.availPhysical) + total / 2) / total);
  status.totalPageFile = total + bytes[kSwapTotal].value_or(0);
  status.availPageFile = status.availPhysical + bytes[kSwapFree].value_or(0);
  return status;
}

std::optional<CpuTimes> ParseProcStat(std::string_view text, std::int64_t ticksPerSecond) {
  if (ticksPerSecond <= 0) return std::nullopt;
  std::string_view aggregate = NextLine(text);
  if (!aggregate.starts_with("cpu ")) return std::nullopt;
  aggregate.remove_prefix(3);
  // user nice system idle iowait irq softirq steal; kernels before 2.6 stop after idle.
  std::array<std::int64_t, 8> fields{};
  std::size_t read = 0;
  for (; read < fields.size(); ++read) {
    const auto value = NextNumber(aggregate, kMaxTicks);
    if (!value) break;
    fields[read] = *value;
  }
  if (read < 4) return std::nullopt;
  std::int64_t totalTicks = 0;
  for (const std::int64_t field : fields) totalTicks += field;
  const auto idle = TicksTo100ns(fields[3] + fields[4], ticksPerSecond);
  const auto total = TicksTo100ns(totalTicks, ticksPerSecond);
  if (!idle || !total) return std::nullopt;
  CpuTimes times;
  while (!text.empty() && IsProcessorLine(NextLine(text))) ++times.processors;
  times.idleTime = *idle;
  times.systemTime = *total / std::max(times.processors, 1);
  return times;
}

std::optional<std::int64_t> ParseStatmPages(std::string_view text) {
  return NextNumber(text, std::numeric_limits<std::int64_t>::max());
}

std::optional<CgroupPlace> ParseSelfCgroup(std::string_view text) {
  std::optional<CgroupPlace> unified;
  while (!text.empty()) {
    const std::string_view line = NextLine(text);
    const auto first = line.find(':');
    const auto second = first == std::string_view::npos ? first : line.find(':', first + 1);
    if (second == std::string_view::npos) continue;
    const std::string_view controllers = line.substr(first + 1, second - first - 1);
    const std::string_view path = line.substr(second + 1);
    if (!path.starts_with('/')) continue;
    if (line.substr(0, first) == "0" && controllers.empty()) {
      unified = CgroupPlace{std::string(path), false};
      continue;
    }
    for (std::string_view rest = controllers; !rest.empty();) {
      const auto comma = rest.find(',');
      if (rest.substr(0, comma) == "memory") return CgroupPlace{std::string(path), true};
      rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
    }
  }
  return unified;
}

std::optional<std::int64_t> ParseCgroupBytes(std::string_view text) {
  // Version 1 writes "no limit" as the largest page-aligned 63-bit figure.
  constexpr std::int64_t kNoLimit = std::int64_t{1} << 62;
  const auto bytes = NextNumber(text, std::numeric_limits<std::int64_t>::max());
  if (!bytes || *bytes >= kNoLimit || (!text.empty() && text.front() != '\n')) return std::nullopt;
  return bytes;
}

void NarrowToCgroup(MemoryStatus* status, std::int64_t limit, std::int64_t usage) {
  if (limit <= 0 || status->totalPhysical <= 0) return;
  const std::int64_t total = std::min(status->totalPhysical, limit);
  status->totalPhysical = total;
  status->availPhysical = std::clamp<std::int64_t>(limit - usage, 0, std::min(status->availPhysical, total));
  status->memoryLoad = static_cast<std::int32_t>((100 * (total - status->availPhysical) + total / 2) / total);
}

}  // namespace zf
