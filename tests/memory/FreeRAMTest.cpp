// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "memory/FreeRAM.h"
#include "support/Fakes.h"

namespace zf {
namespace {

using test::FakeSystemInfo;
constexpr std::int64_t kMB = FakeSystemInfo::kMB;

class FreeRAMTest : public ::testing::Test {
 protected:
  FakeSystemInfo info;
  test::FakeWindowSystem events;
  test::FakeShell shell;
  FreeRAM ram{info, events, shell};
};

TEST_F(FreeRAMTest, GettersHandOut64BitBytesUnscaled) {
  info.SetPhysicalMB(16384, 6144);
  info.addressSpace = {std::int64_t{1} << 47, std::int64_t{3} << 40};
  EXPECT_EQ(ram.GetTotalPhysical(), 16384 * kMB);
  EXPECT_EQ(ram.GetFreePhysical(), 6144 * kMB);  // above 2 GiB, and positive
  EXPECT_EQ(ram.GetMemoryLoad(), 62);
  EXPECT_EQ(ram.GetTotalVirtual(), std::int64_t{1} << 47);
  EXPECT_EQ(ram.GetFreeVirtual(), std::int64_t{3} << 40);
}

TEST_F(FreeRAMTest, AFailedRefreshKeepsThePreviousFigures) {
  info.SetPhysicalMB(512, 128);
  EXPECT_EQ(ram.GetFreePhysical(), 128 * kMB);
  info.memoryReadable = false;
  info.SetPhysicalMB(512, 1);
  EXPECT_EQ(ram.GetFreePhysical(), 128 * kMB);
  EXPECT_EQ(ram.GetTotalPhysical(), 512 * kMB);
}

TEST_F(FreeRAMTest, FreeUpMemoryWritesEveryCharacterBetweenEventRounds) {
  int roundsBeforeAllocation = -1;
  info.onAllocate = [&](std::size_t) { roundsBeforeAllocation = events.eventRounds; };
  EXPECT_EQ(ram.FreeUpMemory(10 * kMB), 10 * kMB);
  ASSERT_EQ(info.blocks.size(), 1u);
  EXPECT_EQ(info.blocks[0].count, std::size_t(10 * kMB));  // 20 MiB of two-byte characters
  EXPECT_TRUE(info.blocks[0].allSpaces);
  EXPECT_EQ(info.releasedBlocks, 1);
  EXPECT_EQ(roundsBeforeAllocation, 5);
  EXPECT_EQ(events.eventRounds, 10);
}

TEST_F(FreeRAMTest, ABlockThatCannotBeHadFallsBackToHalfRoundedToEven) {
  info.refuseBlock = [](std::size_t count) { return count > 10; };
  EXPECT_EQ(ram.FreeUpMemory(11), 6);  // 5.5
  EXPECT_EQ(ram.FreeUpMemory(13), 6);  // 6.5
  ASSERT_EQ(info.blocks.size(), 2u);
  EXPECT_EQ(info.blocks[0].count, 6u);
  EXPECT_TRUE(info.blocks[0].allSpaces);
  EXPECT_TRUE(info.blocks[1].allSpaces);
  EXPECT_EQ(events.eventRounds, 10);  // the fallback skips the second five rounds
}

TEST_F(FreeRAMTest, WhenEvenTheHalfFailsTheCallerHearsOfIt) {
  info.refuseBlock = [](std::size_t) { return true; };
  EXPECT_FALSE(ram.FreeUpMemory(4 * kMB));
  info.refuseBlock = nullptr;
  EXPECT_FALSE(ram.FreeUpMemory(-8));
  EXPECT_TRUE(info.blocks.empty());
  EXPECT_EQ(info.releasedBlocks, 0);
}

TEST_F(FreeRAMTest, NothingAskedNothingAllocated) {
  EXPECT_EQ(ram.FreeUpMemory(0), 0);
  EXPECT_TRUE(info.blocks.empty());
  EXPECT_EQ(events.eventRounds, 10);
}

TEST_F(FreeRAMTest, ARequestNeverTakesMoreThanTheAvailableMemoryLessTheMargin) {
  // 200 MiB available: the margin is 1/64 of the memory, between 64 and 128 MiB, and a block of
  // two-byte characters may use what is left above it.
  struct Machine {
    std::int64_t totalMB;
    std::int64_t grantedMB;
  };
  for (const Machine m : {Machine{1024, (200 - 64) / 2}, Machine{4096, (200 - 64) / 2}, Machine{6144, (200 - 96) / 2},
                          Machine{16384, (200 - 128) / 2}, Machine{65536, (200 - 128) / 2}}) {
    SCOPED_TRACE(m.totalMB);
    info.blocks.clear();
    info.SetPhysicalMB(m.totalMB, 200);
    EXPECT_EQ(ram.FreeUpMemory(4096 * kMB), m.grantedMB * kMB);
    ASSERT_EQ(info.blocks.size(), 1u);
    EXPECT_EQ(info.blocks[0].count, std::size_t(m.grantedMB * kMB));
    EXPECT_EQ(ram.FreeUpMemory(m.grantedMB * kMB / 2), m.grantedMB * kMB / 2);  // a request that fits is whole
  }
}

TEST_F(FreeRAMTest, WithLittleOrUnknownMemoryNothingIsAllocated) {
  info.SetPhysicalMB(512, 60);  // less than the margin
  EXPECT_EQ(ram.FreeUpMemory(10 * kMB), 0);
  info.SetPhysicalMB(8192, 4096);
  info.memoryReadable = false;
  EXPECT_EQ(ram.FreeUpMemory(10 * kMB), 0);
  EXPECT_TRUE(info.blocks.empty());
}

TEST_F(FreeRAMTest, ExitWindowsAsksTheSessionManagerForTheThreeModesOnly) {
  EXPECT_EQ(ram.ExitWindows("REBOOT"), 1);
  EXPECT_EQ(ram.ExitWindows("Shutdown"), 1);
  EXPECT_EQ(ram.ExitWindows("logoff"), 1);
  EXPECT_EQ(ram.ExitWindows("restart"), 0);
  EXPECT_EQ(ram.ExitWindows(""), 0);
  EXPECT_EQ(shell.sessionEnds, (std::vector<SessionEnd>{SessionEnd::Reboot, SessionEnd::PowerOff, SessionEnd::LogOff}));
}

TEST_F(FreeRAMTest, AddressesGoToTheDesktopOpener) {
  ram.GoToURL("https://example.org/");
  ram.eMail("someone@example.org");
  EXPECT_EQ(shell.opened, (std::vector<std::string>{"https://example.org/", "mailto:someone@example.org"}));
}

}  // namespace
}  // namespace zf
