// SPDX-License-Identifier: GPL-3.0-or-later
// Measuring around a kernel apply, on the emulated 100 Mbit/s, 40 ms path inside the kernel
// sandbox: the helper changes this test's namespaces only, the host is compared at the end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <regex>
#include <sstream>

#include "cli/CliContext.h"
#include "cli/LinuxCliPlatform.h"
#include "core/ReceiveWindow.h"
#include "kernel/KernelSandbox.h"
#include "support/EmulatedPath.h"
#include "support/TempDir.h"

namespace zf::measure {
namespace {

using test::EmulatedPath;

constexpr double kPathBitsPerSecond = 100e6;
const std::vector<std::string> kWatched{"net/ipv4/ip_default_ttl", "net/ipv4/tcp_keepalive_time", "net/ipv4/tcp_rmem",
                                        "link/zfc0/mtu"};

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class MeasureAroundApply : public test::KernelSandboxTest {
 protected:
  void SetUp() override {
    KernelSandboxTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    path = std::make_unique<EmulatedPath>();
    if (!path->problem().empty()) GTEST_SKIP() << path->problem();
    originals = Live();
  }
  void TearDown() override { path.reset(); }

  // Runs zentrofastctl in-process with nothing on its standard input.
  Outcome Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--home", home.path().string(), "--registry", (home / "store.sqlite3").string()});
    const int savedInput = ::dup(STDIN_FILENO);
    int pipe[2];
    EXPECT_EQ(::pipe(pipe), 0);
    ::close(pipe[1]);
    ::dup2(pipe[0], STDIN_FILENO);
    ::close(pipe[0]);
    std::ostringstream out, err;
    const int status = cli::RunCli(args, platform.Services(), out, err);
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);
    return {status, out.str(), err.str()};
  }
  static std::map<std::string, std::string> Live() {
    std::map<std::string, std::string> values;
    for (const auto& key : kWatched) values[key] = test::SandboxLive().Read(key).value_or("unreadable");
    return values;
  }
  // A throughput of "Before: 90 Mbit/s, 40 ms — now: 93 Mbit/s, 40 ms: …" in bit/s; when is "Before" or "now".
  static double BitsPerSecond(const std::string& text, const std::string& when) {
    std::smatch match;
    if (!std::regex_search(text, match, std::regex(when + ": ([0-9.]+) (k|M|G)bit/s"))) return 0;
    return std::stod(match[1]) * (match[2] == "k" ? 1e3 : match[2] == "M" ? 1e6 : 1e9);
  }

  std::unique_ptr<EmulatedPath> path;
  test::TempDir home;
  test::LinuxCliPlatform platform;
  std::map<std::string, std::string> originals;
};

TEST_F(MeasureAroundApply, AutomaticAMeasuresSlowerAndIsRevertedUnderKeepIfNotSlower) {
  ASSERT_EQ(Run({"apply", "--profile", "0"}).status, 0);
  const Outcome applied =
      Run({"kernel", "apply", "--measure", path->IperfTarget(), "--seconds", "2", "--keep-if-not-slower",
           "--allow-ipv6-loss"});  // profile 0's MTU of 576 reaches the path's own interface too
  EXPECT_EQ(applied.status, 3) << applied.out << applied.err;
  EXPECT_NE(applied.out.find("this change made the connection slower"), std::string::npos) << applied.out;
  EXPECT_LT(BitsPerSecond(applied.out, "now"), 0.1 * kPathBitsPerSecond) << applied.out;
  EXPECT_NE(applied.out.find("Reverted"), std::string::npos) << applied.out;
  EXPECT_EQ(Live(), originals);
}

TEST_F(MeasureAroundApply, TheRecommendationAppliedReachesNinetyPercentOfThePath) {
  const Outcome recommended = Run({"measure", path->IperfTarget(), "--seconds", "2", "--recommend", "--apply"});
  ASSERT_EQ(recommended.status, 0) << recommended.out << recommended.err;
  EXPECT_NE(recommended.out.find("Automatic-A would cap one connection at"), std::string::npos) << recommended.out;
  EXPECT_NE(recommended.out.find("Backup 001.BCK taken"), std::string::npos) << recommended.out;
  std::smatch rwin;
  ASSERT_TRUE(std::regex_search(recommended.out, rwin, std::regex("RWIN ([0-9]+) bytes"))) << recommended.out;

  const Outcome applied =
      Run({"kernel", "apply", "--measure", path->IperfTarget(), "--seconds", "4", "--keep-if-not-slower"});
  EXPECT_EQ(applied.status, 0) << applied.out << applied.err;
  // The path's rate is what it carries with the system's own buffers: on a loaded machine the
  // user-space delay line itself falls short of the 100 Mbit/s of the rate limit.
  const double pathRate = std::min(kPathBitsPerSecond, BitsPerSecond(applied.out, "Before"));
  EXPECT_GE(BitsPerSecond(applied.out, "now"), 0.9 * pathRate) << applied.out;
  EXPECT_GE(pathRate, 0.5 * kPathBitsPerSecond) << "the path itself is too slow to judge";
  const std::string rmem = Live()["net/ipv4/tcp_rmem"];
  EXPECT_EQ(rmem.substr(rmem.rfind(' ') + 1), std::to_string(ReceiveBufferMaxForWindow(std::stoll(rwin[1]))));
}

TEST_F(MeasureAroundApply, AFailingMeasurementChangesNothing) {
  const std::string refused = "iperf3://" + std::string(EmulatedPath::kServer) + ":5999";
  const Outcome recommend = Run({"measure", refused, "--seconds", "1", "--recommend", "--apply"});
  EXPECT_EQ(recommend.status, 1);
  EXPECT_NE(recommend.err.find("connection refused"), std::string::npos) << recommend.err;
  EXPECT_EQ(Run({"backup", "list"}).out, "") << "no tuning run, so no backup";

  ASSERT_EQ(Run({"apply", "--profile", "0"}).status, 0);
  const Outcome apply = Run({"kernel", "apply", "--measure", refused, "--seconds", "1", "--yes", "--allow-ipv6-loss"});
  EXPECT_EQ(apply.status, 1);
  EXPECT_NE(apply.err.find("the measurement failed, so nothing was changed"), std::string::npos) << apply.err;
  EXPECT_EQ(Live(), originals);
  EXPECT_EQ(Run({"kernel", "apply", "--keep-if-not-slower"}).status, 2) << "--keep-if-not-slower needs --measure";
  EXPECT_EQ(Run({"kernel", "apply", "--measure", refused, "--keep-within", "595"}).status, 2)
      << "the window and the measurement exceed the helper's longest window";
}

}  // namespace
}  // namespace zf::measure
