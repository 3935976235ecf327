// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "LinuxCliPlatform.h"
#include "cli/CliContext.h"
#include "memory/Rounding.h"
#include "platform/linux/LinuxSystemInfo.h"

namespace zf::cli {
namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun Cli(const Args& args) {
  std::ostringstream out, err;
  test::LinuxCliPlatform platform;
  const int status = RunCli(args, platform.Services(), out, err);
  return {status, out.str(), err.str()};
}

TEST(MemCommandsTest, MemPrintsTheFiguresInBytesAndMB) {
  const CliRun run = Cli({"mem"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  LinuxSystemInfo info;
  MemoryStatus status;
  ASSERT_TRUE(info.ReadMemoryStatus(&status));
  const std::string total =
      std::to_string(status.totalPhysical) + " bytes (" + std::to_string(BytesToMB(status.totalPhysical)) + " MB)";
  EXPECT_NE(run.out.find("Total physical: " + total), std::string::npos) << run.out;
  for (const char* line : {"Memory load:", "Free physical:", "Total virtual:", "Free virtual:"})
    EXPECT_NE(run.out.find(line), std::string::npos) << line;
}

TEST(MemCommandsTest, CpuSamplesOverTheInterval) {
  const CliRun run = Cli({"cpu", "--interval", "50"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  int usage = -1;
  ASSERT_EQ(std::sscanf(run.out.c_str(), "Processor usage: %d %% over 50 ms", &usage), 1) << run.out;
  EXPECT_GE(usage, 0);
  EXPECT_LE(usage, 100);
}

TEST(MemCommandsTest, FreeMemoryReportsWhatItAllocated) {
  const CliRun run = Cli({"free-memory", "1"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "Allocated and wrote 1048576 characters (2097152 bytes, 2 MB), then gave them back.\n");
  EXPECT_EQ(Cli({"free-memory", "0"}).out, "Allocated and wrote 0 characters (0 bytes, 0 MB), then gave them back.\n");
}

TEST(MemCommandsTest, BadArgumentsAreUsageErrors) {
  for (const Args& args : std::vector<Args>{{"mem", "extra"},
                                            {"cpu", "--interval"},
                                            {"cpu", "--interval", "0"},
                                            {"cpu", "--interval", "1.5"},
                                            {"cpu", "--interval", "abc"},
                                            {"cpu", "500"},
                                            {"free-memory"},
                                            {"free-memory", "-1"},
                                            {"free-memory", "1e3"},
                                            {"free-memory", "99999999999999999999"},
                                            {"free-memory", "1", "2"}}) {
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, kExitUsage) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    EXPECT_FALSE(run.err.empty());
    EXPECT_TRUE(run.out.empty());
  }
}

}  // namespace
}  // namespace zf::cli
