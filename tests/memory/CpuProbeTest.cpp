// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "memory/RamAlarm.h"
#include "memory/RamSettings.h"
#include "memory/clsCPUUsage.h"
#include "memory/clsCPUUsageNT.h"
#include "memory/modFreeRam.h"
#include "platform/linux/PerfStatsRegistry.h"
#include "support/Fakes.h"
#include "support/MemoryRegistry.h"
#include "support/TempDir.h"

namespace zf {
namespace {

using test::FakeSystemInfo;
using test::MemoryRegistry;

CpuTimes Times(int processors, std::int64_t idle, std::int64_t system) { return CpuTimes{processors, idle, system}; }

class NTProbeTest : public ::testing::Test {
 protected:
  FakeSystemInfo info;
  clsCPUUsageNT probe{info};
};

TEST_F(NTProbeTest, ThreeQuartersIdleOnTwoProcessorsIs63) {
  info.cpuTimes = {Times(2, 1000, 5000), Times(2, 1000 + 15000, 5000 + 20000)};
  probe.Initialize();
  EXPECT_EQ(probe.Query(), 63);  // floor(100 - 75 / 2 + 0.5)
}

TEST_F(NTProbeTest, TwoQueriesInOneTickGive100) {
  info.cpuTimes = {Times(2, 0, 0), Times(4, 700, 900)};
  probe.Initialize();
  probe.Query();
  EXPECT_EQ(probe.Query(), 100);
}

TEST_F(NTProbeTest, AFailedQueryGivesMinusOneAndKeepsTheBaseline) {
  info.cpuTimes = {Times(1, 0, 0), Times(0, 900000, 900000), std::nullopt, Times(1, 25000, 100000)};
  probe.Initialize();
  EXPECT_EQ(probe.Query(), -1);  // the processor count is unknown
  EXPECT_EQ(probe.Query(), -1);  // nothing could be read
  EXPECT_EQ(probe.Query(), 75);  // measured from the Initialize baseline
}

TEST_F(NTProbeTest, WithoutABaselineTheFirstQueryMeasuresFromZero) {
  info.cpuTimes = {std::nullopt, Times(1, 50000, 100000)};
  probe.Initialize();
  EXPECT_EQ(probe.Query(), 50);
}

TEST(NTProbeArithmeticTest, FiguresAreHeldToFourPlacesWithTiesToEven) {
  EXPECT_EQ(clsCPUUsageNT::UsageFromDeltas(7500, 10000, 2), 63);
  // 0.00505 held as 0.0050 gives exactly 100; rounding the tie upwards would give 99.
  EXPECT_EQ(clsCPUUsageNT::UsageFromDeltas(101, 20000, 1), 100);
  // Ratio 1.0001 on 200 processors: 99.99995 is held as 100.0000, not cut to 99.9999.
  EXPECT_EQ(clsCPUUsageNT::UsageFromDeltas(10001, 10000, 200), 100);
  // Elapsed 0: the idle delta in milliseconds stands for the ratio (5000 * 100 ns = 0.5 ms).
  EXPECT_EQ(clsCPUUsageNT::UsageFromDeltas(5000, 0, 1), 50);
  EXPECT_EQ(clsCPUUsageNT::UsageFromDeltas(0, 0, 8), 100);
  // Fully idle; and more idle than elapsed, which floors towards minus infinity.
  EXPECT_EQ(clsCPUUsageNT::UsageFromDeltas(40000, 10000, 4), 0);
  EXPECT_EQ(clsCPUUsageNT::UsageFromDeltas(10300, 10000, 1), -3);
}

TEST(NTProbeArithmeticTest, IdleSinceBootOnALargeMachineDoesNotOverflow) {
  // A year of idle time on 256 processors, against a baseline of zero.
  const std::int64_t year = 365LL * 24 * 3600 * 10'000'000;
  EXPECT_EQ(clsCPUUsageNT::UsageFromDeltas(year * 256, year, 256), 0);
}

const std::string kStatData = "HKDD\\PerfStats\\StatData";
const std::vector<std::uint8_t> k300{0x2C, 0x01, 0x00, 0x00};

class NinetyXProbeTest : public ::testing::Test {
 protected:
  MemoryRegistry registry;
  clsCPUUsage probe{registry};
};

TEST_F(NinetyXProbeTest, WithoutTheKeysQueryReturnsZero) {
  probe.Initialize();
  EXPECT_EQ(probe.Query(), 0);
  EXPECT_EQ(registry.OpenHandleCount(), 0);
}

TEST_F(NinetyXProbeTest, OnlyTheFirstByteOfTheCounterCountsAndFailuresRepeatIt) {
  registry.AddKey("HKDD\\PerfStats\\StartStat");
  registry.Put(kStatData, "KERNEL\\CPUUsage", 3, k300);
  probe.Initialize();
  EXPECT_EQ(registry.OpenHandleCount(), 1);  // the statistics key stays open
  EXPECT_EQ(probe.Query(), 44);
  registry.Put(kStatData, "KERNEL\\CPUUsage", 3, {7, 0, 0, 0, 0});  // too long for the buffer
  EXPECT_EQ(probe.Query(), 44);
  registry.Put(kStatData, "KERNEL\\CPUUsage", 3, {12, 0, 0, 0});
  EXPECT_EQ(probe.Query(), 12);
  probe.Terminate();
  EXPECT_EQ(registry.OpenHandleCount(), 0);
}

TEST(ProbeChoiceTest, TheNTPlatformGetsTheNTProbe) {
  FakeSystemInfo info;
  MemoryRegistry registry;
  EXPECT_TRUE(IsWinNT({2, 5, 1}));
  EXPECT_FALSE(IsWinNT({1, 4, 10}));
  EXPECT_NE(dynamic_cast<clsCPUUsageNT*>(NewCpuProbe({2, 4, 0}, info, registry).get()), nullptr);
  EXPECT_NE(dynamic_cast<clsCPUUsage*>(NewCpuProbe({1, 4, 90}, info, registry).get()), nullptr);
}

class PerfStatsRegistryTest : public ::testing::Test {
 protected:
  MemoryRegistry store;
  FakeSystemInfo info;
  PerfStatsRegistry registry{store, info};
  clsCPUUsage probe{registry};
};

TEST_F(PerfStatsRegistryTest, TheNinetyXProbeReadsLiveUsage) {
  // Two processors: 100000 units of clock are 200000 of processor time.
  info.cpuTimes = {Times(2, 0, 0), Times(2, 150000, 100000), Times(2, 150000, 100000), std::nullopt,
                   Times(2, 150000 + 200000, 200000)};
  probe.Initialize();
  EXPECT_EQ(probe.Query(), 25);
  EXPECT_EQ(probe.Query(), 25);  // within one tick the figure stays
  EXPECT_EQ(probe.Query(), 25);  // an unreadable sample repeats it
  EXPECT_EQ(probe.Query(), 0);
  probe.Terminate();
  EXPECT_EQ(store.OpenHandleCount(), 0);
}

TEST_F(PerfStatsRegistryTest, TheCounterIsReadOnlyAndStoppedByStopStat) {
  info.cpuTimes = {Times(1, 0, 0), Times(1, 10, 100)};
  HKEY data = 0;
  ASSERT_EQ(registry.OpenKey(HKEY_DYN_DATA, "perfstats\\statdata", KEY_READ, &data), ERROR_SUCCESS);
  std::vector<std::uint8_t> bytes;
  std::uint32_t type = 0;
  ASSERT_EQ(registry.QueryValue(data, "KERNEL\\CPUUsage", &type, &bytes), ERROR_SUCCESS);
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0, 0, 0, 0}));  // not started yet
  EXPECT_EQ(registry.QueryValue(data, "Other", &type, &bytes), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(registry.SetValue(data, "KERNEL\\CPUUsage", REG_DWORD, {1, 0, 0, 0}), ERROR_ACCESS_DENIED);
  EXPECT_EQ(registry.DeleteKey(HKEY_DYN_DATA, "PerfStats\\StatData"), ERROR_ACCESS_DENIED);
  std::string name;
  EXPECT_EQ(registry.EnumValue(data, 0, &name), ERROR_SUCCESS);
  EXPECT_EQ(name, "KERNEL\\CPUUsage");
  EXPECT_EQ(registry.CloseKey(data), ERROR_SUCCESS);
  EXPECT_FALSE(store.HasKey("HKDD\\PerfStats"));  // nothing of it reaches the store
}

TEST_F(PerfStatsRegistryTest, EverythingElseGoesToTheStore) {
  HKEY key = 0;
  ASSERT_EQ(registry.CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\X", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  EXPECT_EQ(registry.SetValue(key, "v", REG_SZ, {'a', 0}), ERROR_SUCCESS);
  EXPECT_EQ(registry.CloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(store.GetText("HKLM\\SOFTWARE\\X", "v"), "a");
  EXPECT_EQ(registry.OpenKey(HKEY_DYN_DATA, "PerfStats\\Other", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(store.OpenHandleCount(), 0);
}

// The 9x family end to end: the probe the system status screen makes reads the live counter
// through the registry adapter, and the RAM booster's processor gate follows it.
class NinetyXCpuGateTest : public ::testing::Test, public IRamAlarmView {
 protected:
  NinetyXCpuGateTest() {
    info.SetPhysicalMB(8192, 200);  // below the default alarm level, above the safety margin
    RamSettings values;
    values.txtRunOnly = 50;
    values.txtRetryOptimization = 1;
    alarm.Load(values);
  }
  bool SoundOnTicked() override { return false; }
  bool AutomaticTicked() override { return true; }
  std::string FreeAlarmText() override { return "1"; }
  ICpuUsage* CpuProbe() override { return probe.get(); }

  FakeSystemInfo info;
  MemoryRegistry store;
  PerfStatsRegistry registry{store, info};
  std::unique_ptr<ICpuUsage> probe = NewCpuProbe({1, 4, 10}, info, registry);
  test::TempDir folder;
  test::FakeWindowSystem events;
  test::FakeShell shell;
  test::FakeSound sound;
  RamAlarm alarm{RamAlarmServices{info, events, shell, sound, folder.path()}};
};

TEST_F(NinetyXCpuGateTest, FreeingWaitsWhileTheProcessorIsBusy) {
  // One processor: 90 of 100 units busy, then 10 of 100.
  info.cpuTimes = {Times(1, 0, 0), Times(1, 10, 100), Times(1, 100, 200)};
  probe->Initialize();
  alarm.CheckMemory(*this);
  EXPECT_TRUE(info.blocks.empty());
  alarm.CheckMemory(*this);
  EXPECT_EQ(info.blocks.size(), 1u);
  probe->Terminate();
}

}  // namespace
}  // namespace zf
