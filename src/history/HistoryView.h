// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the connection graph shows, worked out without Qt: the echoes of the last hour, day or
// week in buckets, and the tuning runs (the backups they took) on the time axis.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "core/ConnectionHistory.h"
#include "history/HistorySummary.h"

namespace zf {

enum class HistoryWindow { Hour, Day, Week };

std::int64_t WindowLengthMs(HistoryWindow window);

struct TuningMark {
  std::int64_t timeMs = 0;
  std::string backupName;  // "008.BCK"
  bool operator==(const TuningMark&) const = default;
};

// One mark per numbered backup file in the folder, at the file's modification time, in time order.
std::vector<TuningMark> ReadTuningMarks(const std::filesystem::path& backupsFolder);
// The backup of the last tuning run at or before timeMs, or kOriginalSettings.
std::string LiveSettingsAt(std::span<const TuningMark> marks, std::int64_t timeMs);

inline constexpr int kGraphBuckets = 120;

struct GraphData {
  std::int64_t startMs = 0;
  std::int64_t endMs = 0;
  std::vector<EchoSummary> buckets;  // kGraphBuckets, oldest first
  std::vector<TuningMark> tunings;   // those inside [startMs, endMs)
  std::uint32_t scaleMs = 0;         // the round trip at the top of the graph
  EchoSummary total;                 // the whole window
};

// The last window before nowMs; echoes in time order.
GraphData BuildGraphData(std::span<const EchoRecord> echoes, std::span<const TuningMark> tunings, HistoryWindow window,
                         std::int64_t nowMs);

// The smallest of 10, 20, 50, 100, 200, 500, … at or above the highest round trip.
std::uint32_t RoundTripScale(std::uint32_t highestMs);

}  // namespace zf

namespace zf {

// Where the graph's parts go in a widget of width × height: the round trips above, a strip
// for the loss per bucket below.
struct GraphLayout {
  double width = 0;
  double height = 0;

  static constexpr double kLossStripShare = 0.2;
  double PlotHeight() const { return height * (1.0 - kLossStripShare); }
  double BucketLeft(std::size_t index, std::size_t count) const;
  double BucketCenter(std::size_t index, std::size_t count) const;
  double TimeX(std::int64_t timeMs, const GraphData& graph) const;
  double RoundTripY(double ms, std::uint32_t scaleMs) const;
  // The top of a loss bar; the strip's bottom is the widget's.
  double LossTop(double lossPercent) const;
};

}  // namespace zf
