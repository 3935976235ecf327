// SPDX-License-Identifier: GPL-3.0-or-later
// The model the system status screen and the RAM booster share.
#include <gtest/gtest.h>

#include "memory/MemoryMonitor.h"
#include "memory/clsCPUUsage.h"
#include "memory/clsCPUUsageNT.h"
#include "support/TestServices.h"

namespace zf {
namespace {

TEST(MemoryMonitorTest, MakesOneProbeForTheConfiguredFamilyAndKeepsIt) {
  test::TestServices nt;
  nt.systemInfo.cpuTimes = {CpuTimes{1, 0, 0}, CpuTimes{1, 50000, 100000}};
  MemoryMonitor monitor(nt.services);
  ICpuUsage& probe = monitor.QueryObject();
  EXPECT_NE(dynamic_cast<clsCPUUsageNT*>(&probe), nullptr);
  EXPECT_EQ(&monitor.QueryObject(), &probe);
  // Initialised once on creation: the next query measures from the first sample.
  EXPECT_EQ(monitor.QueryObject().Query(), 50);

  test::TestServices ninetyX(OSVersionRecord{1, 4, 10});
  MemoryMonitor older(ninetyX.services);
  EXPECT_NE(dynamic_cast<clsCPUUsage*>(&older.QueryObject()), nullptr);
}

TEST(MemoryMonitorTest, TrayTipIsInMBUntilPercentIsChosen) {
  test::TestServices env;
  MemoryMonitor monitor(env.services);
  EXPECT_FALSE(monitor.TipInPercent());
  monitor.SetTipInPercent(true);
  EXPECT_TRUE(monitor.TipInPercent());
  monitor.SetTipInPercent(false);
  EXPECT_FALSE(monitor.TipInPercent());
}

}  // namespace
}  // namespace zf
