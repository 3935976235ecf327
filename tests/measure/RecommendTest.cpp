// SPDX-License-Identifier: GPL-3.0-or-later
// The arithmetic of recommendations, throughput caps and the before-and-after verdict.
#include <gtest/gtest.h>

#include "core/BeforeAfter.h"
#include "core/ReceiveWindow.h"
#include "measure/Recommend.h"

namespace zf::measure {
namespace {

TEST(ThroughputCap, OneWindowPerRoundTrip) {
  struct Case {
    std::int32_t rwin;
    double rttMs;
    std::optional<double> capBps;
  };
  const Case cases[] = {
      {Profiles()[0].RWIN, 20, 1715200},  // Automatic-A: about 1.7 Mbit/s
      {Profiles()[7].RWIN, 20, 3276800},
      {256960, 40, 51392000},
      {kDeleteMarker, 20, std::nullopt},  // left to the system
      {0, 20, std::nullopt},
      {4288, 0, std::nullopt},  // no round trip measured
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rwin << " bytes at " << c.rttMs << " ms");
    const auto cap = CapBitsPerSecond(c.rwin, c.rttMs);
    ASSERT_EQ(cap.has_value(), c.capBps.has_value());
    if (cap) {
      EXPECT_NEAR(*cap, *c.capBps, 1e-6 * *c.capBps);
    }
  }
  // The kernel's buffer for a window is twice the window, and that buffer allows the window again.
  EXPECT_EQ(ReceiveBufferMaxForWindow(4288), 8576);
  EXPECT_EQ(WindowForReceiveBuffer(ReceiveBufferMaxForWindow(4288)), 4288);
  EXPECT_EQ(ReceiveBufferMaxForWindow(kMaxReceiveWindowBytes + 1), kMaxReceiveBufferBytes);
}

TEST(Recommendation, WindowIsTwiceTheBdpInWholeSegmentsWithinBounds) {
  struct Case {
    const char* what;
    double bps;
    double rttMs;
    std::optional<std::int32_t> pathMtu;
    std::int32_t startMtu;
    std::int32_t rwin, mtu, mss;
    bool mtuFromPath;
  };
  const Case cases[] = {
      {"100 Mbit/s at 40 ms: 500,000 bytes, twice, up to 685 segments", 100e6, 40, 1500, 576, 1000100, 1500, 1460,
       true},
      {"exactly ten segments stay ten", 5.84e6, 10, 1500, 576, 14600, 1500, 1460, true},
      {"a narrower hop sets the segment", 100e6, 40, 1400, 1500, 1000960, 1400, 1360, true},
      {"nothing measured still leaves one segment", 0, 40, 1500, 1500, 1460, 1500, 1460, true},
      {"the window stops at the largest whole-segment value", 100e9, 1000, 1500, 1500, 1073740940, 1500, 1460, true},
      {"a path MTU below 576 is raised", 10e6, 20, 300, 1500, 50384, 576, 536, true},
      {"above an IPv4 packet is lowered", 1e6, 1, 70000, 1500, 65495, 65535, 65495, true},
      {"no path MTU keeps the starting MTU", 8e6, 10, std::nullopt, 1492, 20328, 1492, 1452, false},
      {"no path MTU and a start left to the system", 8e6, 10, std::nullopt, kDeleteMarker, 20440, 1500, 1460, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Recommendation r = Recommend({c.bps, c.rttMs, c.pathMtu}, c.startMtu);
    EXPECT_EQ(r.RWIN, c.rwin);
    EXPECT_EQ(r.MTU, c.mtu);
    EXPECT_EQ(r.MSS, c.mss);
    EXPECT_EQ(r.mtuFromPath, c.mtuFromPath);
    EXPECT_EQ(r.RWIN % r.MSS, 0);
  }
}

TEST(Recommendation, ReplacesOnlyWindowMtuAndMss) {
  const TcpSettings start = Profiles()[4];
  const Recommendation r = Recommend({100e6, 40, 1400}, start.MTU);
  TcpSettings expected = start;
  expected.RWIN = r.RWIN;
  expected.MTU = 1400;
  expected.MSS = 1360;
  EXPECT_EQ(WithRecommendation(start, r), expected);
}

TEST(Words, RatesRoundTripsAndCapSentences) {
  const std::pair<double, const char*> rates[] = {{1715200, "1.7 Mbit/s"}, {94e6, "94 Mbit/s"},
                                                  {9.96e6, "10 Mbit/s"},   {850e3, "850 kbit/s"},
                                                  {2.5e9, "2.5 Gbit/s"},   {999.6e6, "1.0 Gbit/s"}};
  for (const auto& [bps, text] : rates) EXPECT_EQ(RateText(bps), text);
  EXPECT_EQ(RttText(21.3), "21 ms");
  EXPECT_EQ(RttText(4.46), "4.5 ms");
  const PathFacts measured{94e6, 20, 1500};
  EXPECT_EQ(CapSentence("Automatic-A", Profiles()[0].RWIN, measured),
            "Automatic-A would cap one connection at 1.7 Mbit/s; this connection measured 94 Mbit/s at 20 ms");
  EXPECT_EQ(CapSentence("Automatic-B", Profiles()[1].RWIN, measured),
            "Automatic-B leaves the receive window to the system; this connection measured 94 Mbit/s at 20 ms");
}

TEST(BeforeAndAfter, TenPercentThroughputAndTwentyPercentRoundTrip) {
  const PathFacts before{94e6, 21, 1500};
  struct Case {
    const char* what;
    std::optional<PathFacts> after;
    Verdict verdict;
  };
  const Case cases[] = {
      {"capped by a small window", PathFacts{1.7e6, 21, 1500}, Verdict::Slower},
      {"9.6 % less is the same", PathFacts{85e6, 21, 1500}, Verdict::Same},
      {"10.6 % less is slower", PathFacts{84e6, 21, 1500}, Verdict::Slower},
      {"a round trip 19 % longer is the same", PathFacts{94e6, 25, 1500}, Verdict::Same},
      {"a round trip 20.5 % longer is slower even when faster", PathFacts{200e6, 25.3, 1500}, Verdict::Slower},
      {"10.6 % more is faster", PathFacts{104e6, 21, 1500}, Verdict::Faster},
      {"a round trip 24 % shorter is faster", PathFacts{94e6, 16, 1500}, Verdict::Faster},
      {"no measurement after is slower", std::nullopt, Verdict::Slower},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Compare(before, c.after), c.verdict);
    EXPECT_EQ(KeepAfter(Compare(before, c.after)), c.verdict != Verdict::Slower);
  }
  EXPECT_EQ(BeforeAfterSentence(before, PathFacts{1.7e6, 21, 576}),
            "Before: 94 Mbit/s, 21 ms — now: 1.7 Mbit/s, 21 ms: this change made the connection slower");
  EXPECT_EQ(BeforeAfterSentence(before, std::nullopt, "10.77.2.2 does not answer"),
            "Before: 94 Mbit/s, 21 ms — now: no measurement (10.77.2.2 does not answer): this change made the "
            "connection slower");
}

}  // namespace
}  // namespace zf::measure
