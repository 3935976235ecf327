// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "memory/Rounding.h"
#include "memory/StatusFigures.h"
#include "support/Fakes.h"

namespace zf {
namespace {

constexpr std::int64_t kKB = 1024;

TEST(StatusFiguresTest, MemoryFiguresRoundKBThenMBToEven) {
  EXPECT_EQ(BytesToMB(1536 * kKB), 2);                                 // 1.5 MB
  EXPECT_EQ(BytesToMB(2560 * kKB), 2);                                 // 2.5 MB
  EXPECT_EQ(BytesToMB(2559 * kKB + 512), 2);                           // 2559.5 KB → 2560 KB → 2.5 MB → 2
  EXPECT_EQ(BytesToMB(std::int64_t{6} << 40), std::int64_t{6} << 20);  // 6 TiB
}

TEST(StatusFiguresTest, AMemorySampleIsTheFreeShareOfTheTotal) {
  test::FakeSystemInfo info;
  test::FakeWindowSystem events;
  test::FakeShell shell;
  FreeRAM fmem(info, events, shell);
  info.SetPhysicalMB(512, 128);
  const MemorySample sample = SampleFreeMemory(fmem, 512);
  EXPECT_EQ(sample.freeMB, 128);
  ASSERT_TRUE(sample.freeShare);
  EXPECT_DOUBLE_EQ(*sample.freeShare, 25.0);
  EXPECT_FALSE(SampleFreeMemory(fmem, 0).freeShare);  // total unknown: no share, no division
}

TEST(StatusFiguresTest, GraphsKeepWholeNumbersRoundedToEven) {
  EXPECT_EQ(GraphValue(25.0), 25);
  EXPECT_EQ(GraphValue(33.5), 34);
  EXPECT_EQ(GraphValue(34.5), 34);
  EXPECT_EQ(GraphValue(-1), -1);
}

TEST(StatusFiguresTest, Texts) {
  EXPECT_EQ(CpuCaption(-1), "Processor usage (-1%).");
  EXPECT_EQ(MemoryCaption(25), "Memory Usage (25%).");
  EXPECT_EQ(MemoryTrayTip(false, 25, 128), "Memory Usage (128MB).");
  EXPECT_EQ(MemoryTrayTip(true, 25, 128), "Memory Usage (25%).");
  EXPECT_EQ(FreeRequestToolTip(0), "0 MB to free when Optimize is clicked");
  EXPECT_EQ(TargetLevelCaption(0), "Target Level Of RAM 0MB.");
}

TEST(RoundingTest, NumbersAsTyped) {
  EXPECT_EQ(ParseNumber(" 12 "), 12.0);
  EXPECT_EQ(ParseNumber("+1e3"), 1000.0);
  EXPECT_EQ(ParseNumber("-.5"), -0.5);
  EXPECT_FALSE(ParseNumber(""));
  EXPECT_FALSE(ParseNumber("inf"));
  EXPECT_FALSE(ParseNumber("nan"));
  EXPECT_FALSE(ParseNumber("12abc"));
  EXPECT_FALSE(ParseNumber("1 2"));
  EXPECT_FALSE(WholeNumberIn(1e300, 0, 5));
  EXPECT_EQ(ParseWholeNumber("9223372036854775807", WholeNumberForm::RoundedDecimal, 0, INT64_MAX),
            std::nullopt);  // beyond a double's reach
  EXPECT_EQ(DivideHalfEven<std::int64_t>(-5, 2), -2);
  EXPECT_EQ(DivideHalfEven<std::int64_t>(-7, 2), -4);
  EXPECT_EQ(DivideHalfEven<std::int64_t>(7, -2), -4);
}

}  // namespace
}  // namespace zf
