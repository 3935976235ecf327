// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "core/TcpSettings.h"

namespace zf {
namespace {

TEST(TcpSettings, CurrentRecordStartsEmpty) {
  TuningState state;
  EXPECT_EQ(state.current, TcpSettings{});
  EXPECT_FALSE(state.current.PmtuDiscovery);
  state.FillProfiles();
  EXPECT_EQ(state.profiles[0].RWIN, 4288);
}

TEST(TcpSettings, DeleteMarkersOfTheAutomaticProfiles) {
  const auto& p = Profiles();
  EXPECT_EQ(p[1].RWIN, kDeleteMarker);
  EXPECT_EQ(p[1].MTU, 576);
  EXPECT_EQ(p[2].MTU, kDeleteMarker);
  EXPECT_EQ(p[2].MSS, kDeleteMarker);
  EXPECT_EQ(p[2].RWIN, kDeleteMarker);
  EXPECT_EQ(p[7].MSS, p[7].MTU);
  EXPECT_EQ(ProfileCaption(7), "Windows default");
  EXPECT_EQ(ProfileCaption(8), "");
}

TEST(TcpSettings, ConnectionTypeWindowsMatchTheBroadbandProfiles) {
  EXPECT_EQ(RecommendedSettings(0).RWIN, 6432);
  EXPECT_EQ(RecommendedSettings(1).RWIN, Profiles()[4].RWIN);
  EXPECT_EQ(RecommendedSettings(3).RWIN, Profiles()[4].RWIN);
  EXPECT_EQ(RecommendedSettings(2).RWIN, Profiles()[5].RWIN);
  EXPECT_EQ(RecommendedSettings(2).MTU, 1492);
  EXPECT_EQ(RecommendedSettings(1).TTL, 64);
  EXPECT_DOUBLE_EQ(RecommendedRwin(536, 2.3), 4931.2);
}

}  // namespace
}  // namespace zf
