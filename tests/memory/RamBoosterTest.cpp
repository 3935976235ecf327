// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "memory/RamAlarm.h"
#include "memory/RamSettings.h"
#include "support/Fakes.h"
#include "support/MemoryRegistry.h"
#include "support/TempDir.h"

namespace zf {
namespace {

using test::FakeSystemInfo;
constexpr std::int64_t kMB = FakeSystemInfo::kMB;
const std::string kSection = "HKLM\\SOFTWARE\\Tessel\\Zentrofast\\Settings\\RamSettings";

class RamSettingsTest : public ::testing::Test {
 protected:
  RamSettings Read() { return ReadRamSettings(settings); }
  void Store(const std::string& name, const std::string& text) { registry.PutText(kSection, name, text); }

  test::MemoryRegistry registry;
  RegistrySettings settings{registry};
};

TEST_F(RamSettingsTest, NothingStoredGivesTheDefaults) {
  const RamSettings values = Read();
  EXPECT_FALSE(values.chkSoundon);
  EXPECT_FALSE(values.chkAutomatic);
  EXPECT_EQ(values.txtAlarm, "250");
  EXPECT_EQ(values.txtFreeAlarm, "10");
  EXPECT_EQ(values.txtTimeCheck, 100);
  EXPECT_FALSE(values.optPer);
  EXPECT_EQ(values.txtRunOnly, 2);
  EXPECT_EQ(values.txtRetryOptimization, 10);
}

TEST_F(RamSettingsTest, WritesTheNineValuesInOrderAndReadsThemBack) {
  RamSettings values;
  values.chkSoundon = true;
  values.txtAlarm = "4096";
  values.txtFreeAlarm = "1000";
  values.txtTimeCheck = 65535;
  values.optPer = true;
  values.txtRunOnly = 0;
  values.txtRetryOptimization = 100;
  WriteRamSettings(settings, values);
  std::vector<std::pair<std::string, std::string>> written;
  for (const auto& change : registry.Changes())
    if (change.kind == test::RegistryChange::Kind::SetValue)
      written.emplace_back(change.name, std::string(change.data.begin(), change.data.end() - 1));
  EXPECT_EQ(written, (std::vector<std::pair<std::string, std::string>>{{"chkSoundon", "1"},
                                                                       {"chkAutomatic", "0"},
                                                                       {"txtAlarm", "4096"},
                                                                       {"txtFreeAlarm", "1000"},
                                                                       {"txtTimeCheck", "65535"},
                                                                       {"optPer", "True"},
                                                                       {"optMB", "False"},
                                                                       {"txtRunOnly", "0"},
                                                                       {"txtRetryOptimization", "100"}}));
  const RamSettings back = Read();
  EXPECT_TRUE(back.chkSoundon);
  EXPECT_EQ(back.txtAlarm, "4096");
  EXPECT_EQ(back.txtTimeCheck, 65535);
  EXPECT_TRUE(back.optPer);
  EXPECT_EQ(back.txtRetryOptimization, 100);
}

TEST_F(RamSettingsTest, ValuesThatDoNotConvertOrDoNotFitGetTheirDefaults) {
  Store("chkSoundon", "2");
  Store("chkAutomatic", "yes");
  Store("txtAlarm", "99999999999");
  Store("txtFreeAlarm", "1001");
  Store("txtTimeCheck", "65536");
  Store("txtRunOnly", "-1");
  Store("txtRetryOptimization", "256");
  const RamSettings values = Read();
  EXPECT_FALSE(values.chkSoundon);
  EXPECT_FALSE(values.chkAutomatic);
  EXPECT_EQ(values.txtAlarm, "250");
  EXPECT_EQ(values.txtFreeAlarm, "10");
  EXPECT_EQ(values.txtTimeCheck, 100);
  EXPECT_EQ(values.txtRunOnly, 2);
  EXPECT_EQ(values.txtRetryOptimization, 10);
}

TEST_F(RamSettingsTest, LevelsBeyondSixteenBitsAreKept) {
  Store("txtAlarm", "40000");  // MB: a level for a machine with more than 32 GiB
  EXPECT_EQ(Read().txtAlarm, "40000");
}

TEST_F(RamSettingsTest, OptionsReadInAnyCaseAndTheSpinRangeFollowsThem) {
  Store("optPer", "TRUE");
  Store("optMB", "false");
  Store("txtRunOnly", "200");
  EXPECT_TRUE(Read().optPer);
  EXPECT_EQ(Read().txtRunOnly, 2);  // above the percentage range
  Store("optMB", "True");           // both selected: MB came last
  EXPECT_FALSE(Read().optPer);
  EXPECT_EQ(Read().txtRunOnly, 200);
  Store("optMB", "nonsense");
  Store("optPer", "False");
  EXPECT_FALSE(Read().optPer);
}

TEST(RamFieldValidationTest, LevelTexts) {
  EXPECT_FALSE(IsValidAlarmText(""));
  EXPECT_FALSE(IsValidAlarmText("-1"));
  EXPECT_FALSE(IsValidAlarmText("abc"));
  EXPECT_TRUE(IsValidAlarmText("0"));
  EXPECT_TRUE(IsValidAlarmText("65536"));
  EXPECT_TRUE(IsValidFreeAlarmText("1000"));
  EXPECT_FALSE(IsValidFreeAlarmText("1001"));
  EXPECT_TRUE(IsValidFreeAlarmText(" 12.5 "));
  EXPECT_EQ(LevelMB("12.5", 7), 12);  // ties to even
  EXPECT_EQ(LevelMB("13.5", 7), 14);
  EXPECT_EQ(LevelMB("x", 7), 7);
}

// The screen as the memory check sees it.
struct ScreenState : IRamAlarmView {
  bool SoundOnTicked() override { return soundOn; }
  bool AutomaticTicked() override { return automatic; }
  std::string FreeAlarmText() override { return freeAlarmText; }
  ICpuUsage* CpuProbe() override { return probe; }
  bool soundOn = false;
  bool automatic = false;
  std::string freeAlarmText = "10";
  ICpuUsage* probe = nullptr;
};

struct ScriptedProbe : ICpuUsage {
  void Initialize() override {}
  std::int32_t Query() override {
    ++queries;
    return usage;
  }
  void Terminate() override {}
  std::int32_t usage = 0;
  int queries = 0;
};

class RamAlarmTest : public ::testing::Test {
 protected:
  RamAlarmTest() {
    info.SetPhysicalMB(8192, 200);
    screen.probe = &probe;
    RamSettings values;
    values.txtRunOnly = 0;
    Load(values);
  }
  void Load(const RamSettings& values) { alarm.Load(values); }
  void LoadWith(int cpuLimit, int retries) {
    RamSettings values;
    values.txtRunOnly = cpuLimit;
    values.txtRetryOptimization = retries;
    Load(values);
  }

  test::TempDir folder;
  FakeSystemInfo info;
  test::FakeWindowSystem events;
  test::FakeShell shell;
  test::FakeSound sound;
  RamAlarm alarm{RamAlarmServices{info, events, shell, sound, folder.path()}};
  ScreenState screen;
  ScriptedProbe probe;
};

// The default settings with 200 MB free, on small, ordinary and large machines: the safety margin
// must not swallow the whole freeing on any of them.
class RamAlarmMachineSizeTest : public RamAlarmTest, public ::testing::WithParamInterface<std::int64_t> {};

TEST_P(RamAlarmMachineSizeTest, BelowTheAlarmEveryCheckFreesRetryCountTimes) {
  info.SetPhysicalMB(GetParam(), 200);
  screen.automatic = true;
  alarm.CheckMemory(screen);
  ASSERT_EQ(info.blocks.size(), 10u);
  for (const auto& block : info.blocks) {
    EXPECT_EQ(block.count, std::size_t(10 * kMB));  // 20 MiB written each time
    EXPECT_TRUE(block.allSpaces);
  }
  EXPECT_EQ(alarm.bytesToFree, 10 * kMB);
  EXPECT_EQ(events.eventRounds, 14 + 10 * (14 + 5 + 5 + 14));
  EXPECT_EQ(probe.queries, 1);  // asked even without a limit
  alarm.CheckMemory(screen);
  EXPECT_EQ(info.blocks.size(), 20u);  // no pause after a freeing
}

INSTANTIATE_TEST_SUITE_P(TotalMemoryMB, RamAlarmMachineSizeTest, ::testing::Values(4096, 16384, 65536));

TEST_F(RamAlarmTest, TheAmountIsTheFieldsCurrentText) {
  screen.automatic = true;
  LoadWith(0, 1);
  screen.freeAlarmText = "2.5";
  alarm.CheckMemory(screen);
  ASSERT_EQ(info.blocks.size(), 1u);
  EXPECT_EQ(info.blocks[0].count, std::size_t(2 * kMB));
}

TEST_F(RamAlarmTest, TheProcessorGateHoldsAtAndAboveTheLimit) {
  screen.automatic = true;
  LoadWith(2, 1);
  probe.usage = 2;
  alarm.CheckMemory(screen);
  EXPECT_TRUE(info.blocks.empty());
  probe.usage = 1;
  alarm.CheckMemory(screen);
  EXPECT_EQ(info.blocks.size(), 1u);
  probe.usage = -1;  // a failed sample lets the freeing through
  alarm.CheckMemory(screen);
  EXPECT_EQ(info.blocks.size(), 2u);
}

TEST_F(RamAlarmTest, ARepetitionCountOfZeroFreesOnce) {
  screen.automatic = true;
  LoadWith(0, 0);
  alarm.CheckMemory(screen);
  EXPECT_EQ(info.blocks.size(), 1u);
  EXPECT_EQ(alarm.retryCount, 1);
}

TEST_F(RamAlarmTest, TheSoundIsArmedWhileMemoryIsLowAndStopsAfterwards) {
  screen.soundOn = true;
  alarm.CheckMemory(screen);
  EXPECT_TRUE(alarm.playSound);
  alarm.PlayArmedSound();
  alarm.PlayArmedSound();
  ASSERT_EQ(sound.played.size(), 2u);
  EXPECT_EQ(sound.played[0], (folder / "low-memory.wav").string());
  info.SetPhysicalMB(8192, 300);
  alarm.CheckMemory(screen);
  alarm.PlayArmedSound();
  EXPECT_EQ(sound.played.size(), 2u);
  EXPECT_TRUE(info.blocks.empty());  // automatic freeing is off
}

TEST_F(RamAlarmTest, ExactlyAtTheAlarmLevelNothingIsArmed) {
  screen.soundOn = true;
  screen.automatic = true;
  info.SetPhysicalMB(8192, 250);
  alarm.CheckMemory(screen);
  EXPECT_FALSE(alarm.playSound);
  EXPECT_TRUE(info.blocks.empty());
  info.SetPhysicalBytes(8192 * kMB, 250 * kMB - 1);
  alarm.CheckMemory(screen);
  EXPECT_TRUE(alarm.playSound);
  EXPECT_FALSE(info.blocks.empty());
}

TEST_F(RamAlarmTest, PlentyOfMemoryAbove2GiBIsNotLow) {
  screen.soundOn = true;
  screen.automatic = true;
  info.SetPhysicalMB(16384, 6144);  // a 32-bit figure would read negative here
  alarm.CheckMemory(screen);
  EXPECT_FALSE(alarm.playSound);
  EXPECT_TRUE(info.blocks.empty());
}

TEST_F(RamAlarmTest, AFreeingThatFailsEndsTheRepetitionsOfThatCheck) {
  screen.automatic = true;
  info.refuseBlock = [](std::size_t) { return true; };
  alarm.CheckMemory(screen);
  EXPECT_EQ(events.eventRounds, 14 + 14 + 5 + 14);
}

TEST_F(RamAlarmTest, WithoutTheStatusScreenTheCheckCountsAsAFailedSample) {
  screen.automatic = true;
  screen.probe = nullptr;
  LoadWith(2, 1);
  alarm.CheckMemory(screen);
  EXPECT_EQ(info.blocks.size(), 1u);
}

TEST(LowMemorySoundTest, TheProgramFolderHoldsAPcmWav) {
  const char* bin = std::getenv("ZENTROFAST_BIN");
  ASSERT_NE(bin, nullptr);
  std::ifstream file(std::filesystem::path(bin) / kLowMemorySound, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_GT(bytes.size(), 44u);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(bytes[20], 1);  // PCM
}

}  // namespace
}  // namespace zf
