// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/HistoryView.h"

#include <algorithm>
#include <chrono>
#include <regex>

#include "history/HistoryStore.h"

namespace zf {
namespace fs = std::filesystem;

std::int64_t WindowLengthMs(HistoryWindow window) {
  constexpr std::int64_t kHourMs = 3'600'000;
  switch (window) {
    case HistoryWindow::Hour: return kHourMs;
    case HistoryWindow::Day: return 24 * kHourMs;
    case HistoryWindow::Week: return 7 * 24 * kHourMs;
  }
  return kHourMs;
}

std::vector<TuningMark> ReadTuningMarks(const fs::path& backupsFolder) {
  static const std::regex kBackupName(R"([0-9]{3}\.BCK)", std::regex::icase);
  std::vector<TuningMark> marks;
  std::error_code failure;
  for (fs::directory_iterator entry(backupsFolder, failure), end; !failure && entry != end; entry.increment(failure)) {
    const std::string name = entry->path().filename().string();
    if (!std::regex_match(name, kBackupName) || !entry->is_regular_file(failure)) continue;
    const fs::file_time_type written = entry->last_write_time(failure);
    if (failure) continue;
    const auto time = std::chrono::file_clock::to_sys(written);
    marks.push_back({std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count(), name});
  }
  std::sort(marks.begin(), marks.end(), [](const TuningMark& a, const TuningMark& b) {
    return a.timeMs != b.timeMs ? a.timeMs < b.timeMs : a.backupName < b.backupName;
  });
  return marks;
}

std::string LiveSettingsAt(std::span<const TuningMark> marks, std::int64_t timeMs) {
  std::string live = kOriginalSettings;
  for (const TuningMark& mark : marks) {
    if (mark.timeMs > timeMs) break;
    live = mark.backupName;
  }
  return live;
}

std::uint32_t RoundTripScale(std::uint32_t highestMs) {
  std::uint64_t decade = 10;
  for (;;) {
    for (std::uint64_t step : {1, 2, 5}) {
      if (decade * step >= highestMs) return static_cast<std::uint32_t>(decade * step);
    }
    decade *= 10;
  }
}

GraphData BuildGraphData(std::span<const EchoRecord> echoes, std::span<const TuningMark> tunings, HistoryWindow window,
                         std::int64_t nowMs) {
  GraphData graph;
  const std::int64_t length = WindowLengthMs(window);
  graph.endMs = nowMs;
  graph.startMs = nowMs - length;
  graph.buckets = SummarizeIntervals(echoes, graph.startMs, graph.endMs, length / kGraphBuckets);
  graph.total = Summarize(echoes, graph.startMs, graph.endMs);
  std::uint32_t highest = 0;
  for (const EchoSummary& bucket : graph.buckets) highest = std::max(highest, bucket.p95Ms.value_or(0));
  graph.scaleMs = RoundTripScale(highest);
  for (const TuningMark& mark : tunings) {
    if (mark.timeMs >= graph.startMs && mark.timeMs < graph.endMs) graph.tunings.push_back(mark);
  }
  return graph;
}

}  // namespace zf

namespace zf {

double GraphLayout::BucketLeft(std::size_t index, std::size_t count) const {
  return width * static_cast<double>(index) / static_cast<double>(std::max<std::size_t>(count, 1));
}

double GraphLayout::BucketCenter(std::size_t index, std::size_t count) const {
  return (BucketLeft(index, count) + BucketLeft(index + 1, count)) / 2.0;
}

double GraphLayout::TimeX(std::int64_t timeMs, const GraphData& graph) const {
  const double span = static_cast<double>(std::max<std::int64_t>(graph.endMs - graph.startMs, 1));
  return width * static_cast<double>(timeMs - graph.startMs) / span;
}

double GraphLayout::RoundTripY(double ms, std::uint32_t scaleMs) const {
  const double share = std::clamp(ms / std::max<double>(scaleMs, 1.0), 0.0, 1.0);
  return PlotHeight() * (1.0 - share);
}

double GraphLayout::LossTop(double lossPercent) const {
  const double strip = height - PlotHeight();
  return height - strip * std::clamp(lossPercent, 0.0, 100.0) / 100.0;
}

}  // namespace zf
