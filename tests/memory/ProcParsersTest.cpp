// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/linux/LinuxSystemInfo.h"
#include "platform/linux/ProcParsers.h"
#include "support/TempDir.h"

namespace zf {
namespace {

const std::filesystem::path kData = ZF_MEMORY_TEST_DATA;
constexpr std::int64_t kKB = 1024;
constexpr std::int64_t kTicksPerSecond = 100;
constexpr std::int64_t kHundredNsPerTick = 100000;

std::string Recorded(const std::filesystem::path& name) {
  std::ifstream file(kData / name);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(ProcParsersTest, MeminfoOfALargeMachineGivesPositive64BitBytes) {
  // Recorded on a machine with 24 GB, nearly all of it free.
  const auto status = ParseMeminfo(Recorded("proc-24g/meminfo"));
  ASSERT_TRUE(status);
  EXPECT_EQ(status->totalPhysical, 24683772 * kKB);
  EXPECT_EQ(status->availPhysical, 24247572 * kKB);
  EXPECT_GT(status->availPhysical, std::int64_t{2147483647});
  EXPECT_EQ(status->memoryLoad, 2);                         // 436200 of 24683772 kB in use: 1.77 %
  EXPECT_EQ(status->totalPageFile, status->totalPhysical);  // no swap
}

TEST(ProcParsersTest, MeminfoWithoutMemAvailableCountsFreeBuffersAndCache) {
  const auto status = ParseMeminfo(Recorded("meminfo-no-memavailable.txt"));
  ASSERT_TRUE(status);
  EXPECT_EQ(status->totalPhysical, 516096 * kKB);
  EXPECT_EQ(status->availPhysical, (20480 + 40960 + 100352) * kKB);
  EXPECT_EQ(status->memoryLoad, 69);
  EXPECT_EQ(status->totalPageFile, (516096 + 1048576) * kKB);
  EXPECT_EQ(status->availPageFile, status->availPhysical + 1000000 * kKB);
}

TEST(ProcParsersTest, MeminfoWithoutTotalIsRefused) {
  EXPECT_FALSE(ParseMeminfo(""));
  EXPECT_FALSE(ParseMeminfo("MemFree: 100 kB\nMemAvailable: 200 kB\n"));
  EXPECT_FALSE(ParseMeminfo("MemTotal: lots\n"));
  EXPECT_FALSE(ParseMeminfo("MemTotal: 0 kB\n"));
}

TEST(ProcParsersTest, FiguresBeyondAnyMachineAreRefusedNotWrapped) {
  // Found by fuzzing: kilobytes times 1024 overflowed into negative byte counts.
  EXPECT_FALSE(ParseMeminfo("MemTotal: 18446744073709551615 kB\n"));
  EXPECT_FALSE(ParseMeminfo("MemTotal: 9007199254740993 kB\n"));
  const auto status = ParseMeminfo("MemTotal: 1000 kB\nMemAvailable: 99999999999999999999 kB\n");
  ASSERT_TRUE(status);
  EXPECT_GE(status->availPhysical, 0);
  EXPECT_GE(status->memoryLoad, 0);
  EXPECT_LE(status->memoryLoad, 100);
  EXPECT_FALSE(ParseProcStat("cpu  1 2 3 9223372036854775807\n", kTicksPerSecond));
  EXPECT_FALSE(ParseProcStat("cpu  1 2 3 72057594037927936 5\ncpu0 1 2 3 4\n", 1));
}

TEST(ProcParsersTest, StatOfTwoProcessorsSumsIdleAndIowait) {
  const auto times = ParseProcStat(Recorded("proc-24g/stat"), kTicksPerSecond);
  ASSERT_TRUE(times);
  EXPECT_EQ(times->processors, 2);
  // cpu  21362 0 6598 183307 581 0 73 10 0 0
  EXPECT_EQ(times->idleTime, (183307 + 581) * kHundredNsPerTick);
  EXPECT_EQ(times->systemTime, (21362 + 6598 + 183307 + 581 + 73 + 10) * kHundredNsPerTick / 2);
}

TEST(ProcParsersTest, StatLeavesGuestTimeOutOfTheTotal) {
  // Guest time is already part of user time; counting it again would understate idleness.
  const auto times = ParseProcStat("cpu  10 20 30 40 50 60 70 80 1000 2000\ncpu0 10 20 30 40 50 60 70 80 1000 2000\n",
                                   kTicksPerSecond);
  ASSERT_TRUE(times);
  EXPECT_EQ(times->processors, 1);
  EXPECT_EQ(times->systemTime, 360 * kHundredNsPerTick);
  EXPECT_EQ(times->idleTime, 90 * kHundredNsPerTick);
}

TEST(ProcParsersTest, StatOfAnOldKernelWithFourFields) {
  const auto times = ParseProcStat(Recorded("stat-4cpu-old.txt"), kTicksPerSecond);
  ASSERT_TRUE(times);
  EXPECT_EQ(times->processors, 4);
  EXPECT_EQ(times->idleTime, 3400 * kHundredNsPerTick);
  EXPECT_EQ(times->systemTime, 4000 * kHundredNsPerTick / 4);
}

TEST(ProcParsersTest, StatWithoutAUsableCpuLineIsRefused) {
  EXPECT_FALSE(ParseProcStat("", kTicksPerSecond));
  EXPECT_FALSE(ParseProcStat("intr 1 2 3\n", kTicksPerSecond));
  EXPECT_FALSE(ParseProcStat("cpu  1 2 3\n", kTicksPerSecond));
  EXPECT_FALSE(ParseProcStat("cpu0 1 2 3 4\n", kTicksPerSecond));
  // No processor lines: the count is unknown, which the NT probe treats as a failed query.
  const auto times = ParseProcStat("cpu  1 2 3 4\n", kTicksPerSecond);
  ASSERT_TRUE(times);
  EXPECT_EQ(times->processors, 0);
}

TEST(ProcParsersTest, StatTicksConvertAtOtherClockRates) {
  const auto times = ParseProcStat("cpu  0 0 0 1000\ncpu0 0 0 0 1000\n", 250);
  ASSERT_TRUE(times);
  EXPECT_EQ(times->idleTime, 1000 * 40000);  // 4 ms per tick
}

TEST(LinuxSystemInfoTest, ReadsTheRecordedFiles) {
  LinuxSystemInfo info(kData / "proc-24g");
  MemoryStatus status;
  ASSERT_TRUE(info.ReadMemoryStatus(&status));
  EXPECT_EQ(status.availPhysical, 24247572 * kKB);
  const auto times = info.ReadCpuTimes();
  ASSERT_TRUE(times);
  EXPECT_EQ(times->processors, 2);
  AddressSpace space;
  ASSERT_TRUE(info.ReadAddressSpace(&space));
  EXPECT_EQ(space.totalVirtual - space.availVirtual, 1010 * sysconf(_SC_PAGESIZE));  // statm: 1010 pages
}

TEST(LinuxSystemInfoTest, MissingFilesFailAndLeaveTheRecordAlone) {
  test::TempDir empty;
  LinuxSystemInfo info(empty.path());
  MemoryStatus status;
  status.availPhysical = 42;
  EXPECT_FALSE(info.ReadMemoryStatus(&status));
  EXPECT_EQ(status.availPhysical, 42);
  EXPECT_FALSE(info.ReadCpuTimes());
  AddressSpace space;
  EXPECT_FALSE(info.ReadAddressSpace(&space));
}

TEST(LinuxSystemInfoTest, ReadsThisMachine) {
  LinuxSystemInfo info;
  MemoryStatus status;
  ASSERT_TRUE(info.ReadMemoryStatus(&status));
  EXPECT_GT(status.totalPhysical, 0);
  EXPECT_LE(status.availPhysical, status.totalPhysical);
  const auto times = info.ReadCpuTimes();
  ASSERT_TRUE(times);
  EXPECT_GE(times->processors, 1);
  AddressSpace space;
  ASSERT_TRUE(info.ReadAddressSpace(&space));
  EXPECT_GT(space.availVirtual, 0);
  EXPECT_LT(space.availVirtual, space.totalVirtual);
}

TEST(LinuxSystemInfoTest, BlocksAreWritableAndGoBack) {
  LinuxSystemInfo info;
  constexpr std::size_t kCount = 3 * 1048576;
  char16_t* block = info.AllocateBlock(kCount);
  ASSERT_NE(block, nullptr);
  block[0] = u' ';
  block[kCount - 1] = u' ';
  info.ReleaseBlock(block, kCount);
  EXPECT_EQ(info.AllocateBlock(0), nullptr);
  EXPECT_EQ(info.AllocateBlock(std::size_t(-1)), nullptr);
}

}  // namespace
}  // namespace zf

namespace zf {
namespace {

TEST(CgroupParsersTest, TheMemoryControllerOfVersion1WinsOverTheUnifiedPath) {
  const auto v2 = ParseSelfCgroup("0::/user.slice/app.scope\n");
  ASSERT_TRUE(v2);
  EXPECT_EQ(v2->path, "/user.slice/app.scope");
  EXPECT_FALSE(v2->v1);
  const auto v1 = ParseSelfCgroup("9:name=systemd:/\n4:cpu,memory:/docker/4f2a\n0::/\n");
  ASSERT_TRUE(v1);
  EXPECT_EQ(v1->path, "/docker/4f2a");
  EXPECT_TRUE(v1->v1);
  EXPECT_FALSE(ParseSelfCgroup("4:cpu:/x\n"));
  EXPECT_FALSE(ParseSelfCgroup("garbage"));
}

TEST(CgroupParsersTest, LimitsInBytesAndNoLimitAsEmpty) {
  EXPECT_EQ(ParseCgroupBytes("314572800\n"), 314572800);
  EXPECT_FALSE(ParseCgroupBytes("max\n"));
  EXPECT_FALSE(ParseCgroupBytes("9223372036854771712\n"));  // version 1's "no limit"
  EXPECT_FALSE(ParseCgroupBytes("12abc\n"));
  EXPECT_FALSE(ParseCgroupBytes(""));
}

TEST(CgroupParsersTest, NarrowingKeepsTheSmallerFiguresAndRecomputesTheLoad) {
  MemoryStatus status;
  status.totalPhysical = 1000;
  status.availPhysical = 900;
  NarrowToCgroup(&status, 400, 100);
  EXPECT_EQ(status.totalPhysical, 400);
  EXPECT_EQ(status.availPhysical, 300);
  EXPECT_EQ(status.memoryLoad, 25);
  NarrowToCgroup(&status, 2000, 1950);  // a wider limit nearly used up elsewhere
  EXPECT_EQ(status.totalPhysical, 400);
  EXPECT_EQ(status.availPhysical, 50);
  NarrowToCgroup(&status, 400, 500);  // over its limit: nothing is available
  EXPECT_EQ(status.availPhysical, 0);
  EXPECT_EQ(status.memoryLoad, 100);
}

TEST(LinuxSystemInfoTest, AvailableMemoryIsWhatTheCgroupLimitLeaves) {
  LinuxSystemInfo v2(kData / "cgroup-v2" / "proc", kData / "cgroup-v2" / "sys");
  MemoryStatus status;
  ASSERT_TRUE(v2.ReadMemoryStatus(&status));
  EXPECT_EQ(status.totalPhysical, 300 * kKB * kKB);
  EXPECT_EQ(status.availPhysical, 200 * kKB * kKB);
  EXPECT_EQ(status.memoryLoad, 33);

  // In a container the recorded path is not under the mount; its top holds the limit.
  LinuxSystemInfo v1(kData / "cgroup-v1" / "proc", kData / "cgroup-v1" / "sys");
  ASSERT_TRUE(v1.ReadMemoryStatus(&status));
  EXPECT_EQ(status.totalPhysical, 512 * kKB * kKB);
  EXPECT_EQ(status.availPhysical, 256 * kKB * kKB);
}

}  // namespace
}  // namespace zf
