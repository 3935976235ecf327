// SPDX-License-Identifier: GPL-3.0-or-later
// The figures drawn from a history: summaries, the graph's buckets, spans people type, the notice.
#include <gtest/gtest.h>

#include "core/RegistrySettings.h"
#include "history/HistorySince.h"
#include "history/HistorySummary.h"
#include "history/HistoryView.h"
#include "history/LossNotice.h"
#include "support/MemoryRegistry.h"

namespace zf {
namespace {

using Ms = std::optional<std::uint32_t>;

std::vector<EchoRecord> Echoes(std::initializer_list<Ms> roundTrips, std::int64_t start = 0, std::int64_t step = 1000) {
  std::vector<EchoRecord> echoes;
  for (const Ms& roundTrip : roundTrips) {
    echoes.push_back({start, "h", roundTrip, roundTrip ? 0u : 11010u});
    start += step;
  }
  return echoes;
}

TEST(HistoryFiguresTest, SummariesMatchHandWorkedFigures) {
  struct Case {
    const char* name;
    std::vector<EchoRecord> echoes;
    EchoSummary expected;  // startMs, endMs, echoes, lost, min, median, p95, max
  };
  const auto n = std::nullopt;
  std::vector<EchoRecord> twenty;
  for (std::uint32_t i = 20; i >= 1; --i) twenty.push_back({0, "h", i, 0});
  const Case cases[] = {
      // Sorted 10 20 30 40: median rank ceil(0.5·4) = 2, p95 rank ceil(3.8) = 4.
      {"four and a time-out", Echoes({40, 10, n, 30, 20}), {0, 100000, 5, 1, 10, 20, 40, 40}},
      // 1..20 in reverse: median rank 10, p95 rank 19.
      {"twenty", twenty, {0, 100000, 20, 0, 1, 10, 19, 20}},
      {"only time-outs", Echoes({n, n}), {0, 100000, 2, 2, n, n, n, n}},
      {"nothing", {}, {0, 100000, 0, 0, n, n, n, n}},
      {"one", Echoes({7}), {0, 100000, 1, 0, 7, 7, 7, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Summarize(c.echoes, 0, 100000), c.expected);
  }
  EXPECT_DOUBLE_EQ(*Summarize(Echoes({40, 10, n, 30, 20}), 0, 100000).LossPercent(), 20.0);
  EXPECT_FALSE(Summarize({}, 0, 1).LossPercent());
}

TEST(HistoryFiguresTest, IntervalsCoverTheStretchEmptyOnesIncluded) {
  // Echoes at 0, 1, 2, 3, 4, 5 s; intervals of 2.5 s from 0.5 s to 7 s.
  const auto echoes = Echoes({10, 20, std::nullopt, 40, 50, 60});
  const auto intervals = SummarizeIntervals(echoes, 500, 7000, 2500);
  ASSERT_EQ(intervals.size(), 3u);
  EXPECT_EQ((std::vector<std::size_t>{intervals[0].echoes, intervals[1].echoes, intervals[2].echoes}),
            (std::vector<std::size_t>{2, 3, 0}));  // [0.5, 3), [3, 5.5), [5.5, 7)
  EXPECT_EQ(intervals[0].lost, 1u);
  EXPECT_EQ(intervals[1].medianMs, Ms(50));
  EXPECT_EQ(intervals[2].endMs, 7000);
}

TEST(HistoryFiguresTest, GraphDataBucketsTheWindowAndKeepsItsTuningRuns) {
  const std::int64_t hour = WindowLengthMs(HistoryWindow::Hour);
  const std::int64_t now = 10 * hour;
  // One echo a minute over two hours; the last ten minutes lost.
  std::vector<EchoRecord> echoes;
  for (std::int64_t t = now - 2 * hour; t < now; t += 60'000)
    echoes.push_back({t, "h", t >= now - 600'000 ? Ms() : Ms(static_cast<std::uint32_t>(t / 60'000 % 50 + 1)), 0});
  const std::vector<TuningMark> tunings = {{now - 90 * 60'000, "001.BCK"}, {now - 30 * 60'000, "002.BCK"}};
  const GraphData graph = BuildGraphData(echoes, tunings, HistoryWindow::Hour, now);
  ASSERT_EQ(graph.buckets.size(), static_cast<std::size_t>(kGraphBuckets));
  EXPECT_EQ(graph.tunings, std::vector<TuningMark>{tunings[1]});
  EXPECT_EQ(graph.total.echoes, 60u);
  EXPECT_EQ(graph.total.lost, 10u);
  EXPECT_EQ(graph.scaleMs, 50u);
  // 30 s buckets: an echo in every other one, the last at now − 60 s.
  EXPECT_EQ(graph.buckets[kGraphBuckets - 2].lost, 1u);
  EXPECT_EQ(graph.buckets.back().echoes, 0u);
  EXPECT_EQ(LiveSettingsAt(tunings, now - hour), "001.BCK");
  EXPECT_EQ(LiveSettingsAt(tunings, now - 2 * hour), "originals");
}

TEST(HistoryFiguresTest, RoundTripScaleIsTheNextStepOfOneTwoFive) {
  const std::pair<std::uint32_t, std::uint32_t> cases[] = {{0, 10},  {10, 10},  {11, 20},
                                                           {21, 50}, {51, 100}, {4999, 5000}};
  for (const auto& [highest, scale] : cases) EXPECT_EQ(RoundTripScale(highest), scale) << highest;
}

TEST(HistoryFiguresTest, SinceTakesSpansAndDates) {
  const std::int64_t now = 1'700'000'000'000;
  struct Case {
    const char* text;
    std::optional<std::int64_t> expected;
  };
  const Case cases[] = {
      {"1h", now - 3'600'000},  {"1d", now - 86'400'000},     {"7d", now - 7 * 86'400'000LL},
      {"90m", now - 5'400'000}, {"0h", std::nullopt},         {"1w", std::nullopt},
      {"-1h", std::nullopt},    {"2024-02-30", std::nullopt}, {"2024-13-01", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto since = ParseSince(c.text, now);
    EXPECT_EQ(since.has_value(), c.expected.has_value()) << c.text;
    if (since && c.expected) {
      EXPECT_EQ(*since, *c.expected) << c.text;
    }
  }
  const auto date = ParseSince("2024-05-01 18:30", now);
  const auto midnight = ParseSince("2024-05-01", now);
  ASSERT_TRUE(date && midnight);
  EXPECT_EQ(*date - *midnight, (18 * 60 + 30) * 60'000LL);
}

// The notice comes once per episode: when the loss over five minutes first passes the level, and
// again only after it fell back to the level or below.
TEST(HistoryFiguresTest, LossNoticeComesOncePerEpisode) {
  struct Step {
    bool lost;
    bool notice;
  };
  // One echo a minute, level 30 %: the window holds the last five.
  const Step steps[] = {
      {false, false}, {false, false}, {false, false}, {true, false},  // 1 of 4 = 25 %
      {true, true},                                                   // 2 of 5 = 40 %
      {true, false},  {false, false}, {false, false},                 // still above: no second notice
      {false, false},                                                 // 2 of 5 = 40 %
      {false, false},                                                 // 1 of 5: the episode is over
      {true, false},  {true, true},                                   // 2 of 5 = 40 %: a new episode
  };
  std::vector<std::string> notices;
  int forwarded = 0;
  struct Counter : IConnectionHistory {
    int& count;
    explicit Counter(int& c) : count(c) {}
    void RecordEcho(const EchoRecord&) override { ++count; }
  } next(forwarded);
  LossWatch watch(&next, {true, 30}, [&](const std::string& text) { notices.push_back(text); });
  std::int64_t t = 0;
  for (const Step& step : steps) {
    const std::size_t before = notices.size();
    watch.RecordEcho({t += 60'000, "h", step.lost ? Ms() : Ms(5), 0});
    EXPECT_EQ(notices.size() - before, step.notice ? 1u : 0u) << "at minute " << t / 60'000;
  }
  EXPECT_EQ(forwarded, static_cast<int>(std::size(steps)));
  EXPECT_EQ(notices.front(), LossNoticeText(40, 30));

  LossWatch off(nullptr, {}, [&](const std::string& text) { notices.push_back(text); });
  const std::size_t before = notices.size();
  for (int i = 0; i < 5; ++i) off.RecordEcho({i * 1000, "h", Ms(), 0});
  EXPECT_EQ(notices.size(), before);
}

TEST(HistoryFiguresTest, LossNoticeSettingsAreStoredAndBadValuesGiveTheDefaults) {
  test::MemoryRegistry registry;
  EXPECT_EQ(LoadLossNoticeSettings(registry), LossNoticeSettings{});
  SaveLossNoticeSettings(registry, {true, 45});
  EXPECT_EQ(LoadLossNoticeSettings(registry), (LossNoticeSettings{true, 45}));
  const std::string key = "HKLM\\" + SettingsSection(kSectionConnectionHistory);
  registry.PutText(key, "txtLossLevel", "250");
  registry.PutText(key, "chkLossNotice", "yes");
  EXPECT_EQ(LoadLossNoticeSettings(registry), LossNoticeSettings{});
}

}  // namespace
}  // namespace zf
