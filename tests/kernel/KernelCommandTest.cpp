// SPDX-License-Identifier: GPL-3.0-or-later
// zentrofastctl kernel inside the sandbox: the store's values made real, kept, restored, reverted.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <sstream>

#include "cli/CliContext.h"
#include "cli/LinuxCliPlatform.h"
#include "core/RegistrySeed.h"
#include "kernel/KernelSandbox.h"
#include "kernel/Ledger.h"
#include "support/TempDir.h"

namespace zf::kernel {
namespace {

const std::vector<std::string> kWatched{"net/ipv4/ip_default_ttl",
                                        "net/ipv4/tcp_keepalive_time",
                                        "net/ipv4/tcp_keepalive_intvl",
                                        "net/ipv4/tcp_rmem",
                                        "net/ipv4/conf/all/accept_redirects",
                                        "net/ipv4/conf/zf0/accept_redirects",
                                        "link/zf0/mtu"};

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class KernelCommandTest : public test::KernelSandboxTest {
 protected:
  void SetUp() override {
    KernelSandboxTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    originals = Live();
    ASSERT_EQ(Run({"reg", "add",
                   std::string(kInterfacesKey.data(), kInterfacesKey.size()).insert(0, "HKLM\\") + "\\" +
                       InterfaceGuid("zf0")})
                  .status,
              0);
  }
  // Runs the command line with input as its standard input, then at its end.
  Outcome Run(std::vector<std::string> args, const std::string& input = "") {
    int pipe[2];
    EXPECT_EQ(::pipe(pipe), 0);
    [[maybe_unused]] auto n = ::write(pipe[1], input.data(), input.size());
    ::close(pipe[1]);
    const Outcome outcome = RunWithInput(std::move(args), pipe[0]);
    ::close(pipe[0]);
    return outcome;
  }
  Outcome RunWithInput(std::vector<std::string> args, int input) {
    args.insert(args.begin(), {"--home", home.path().string(), "--registry", (home / "store.sqlite3").string()});
    const int savedInput = ::dup(STDIN_FILENO);
    ::dup2(input, STDIN_FILENO);
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

  test::TempDir home;
  test::LinuxCliPlatform platform;
  std::map<std::string, std::string> originals;
};

TEST_F(KernelCommandTest, PlanCheckApplyYesStatusAndRevert) {
  ASSERT_EQ(Run({"apply", "--profile", "4"}).status, 0);
  const Outcome check = Run({"kernel", "plan", "--check"});
  EXPECT_EQ(check.status, 3) << "the live system differs from the tuned values";
  EXPECT_NE(check.out.find("net.ipv4.ip_default_ttl"), std::string::npos) << check.out;
  const Outcome applied = Run({"kernel", "apply", "--yes"});
  ASSERT_EQ(applied.status, 0) << applied.out << applied.err;
  EXPECT_NE(applied.out.find("Kept: sysctls persisted in /etc/sysctl.d/80-zentrofast.conf"), std::string::npos)
      << applied.out;
  EXPECT_EQ(Live()["net/ipv4/ip_default_ttl"], "64");
  EXPECT_EQ(Live()["net/ipv4/tcp_keepalive_time"], "7200");
  EXPECT_EQ(Live()["net/ipv4/tcp_keepalive_intvl"], "1");
  EXPECT_EQ(Live()["net/ipv4/conf/zf0/accept_redirects"], "0");
  EXPECT_EQ(Run({"kernel", "plan", "--check"}).status, 0);
  const Outcome status = Run({"kernel", "status"});
  EXPECT_EQ(status.status, 0);
  EXPECT_NE(status.out.find("runtime only"), std::string::npos) << status.out;
  EXPECT_NE(status.out.find("by root from 001.BCK: kept"), std::string::npos) << status.out;
  test::WriteText("/proc/sys/net/ipv4/ip_default_ttl", "70\n");
  EXPECT_NE(Run({"kernel", "status"}).out.find("70 (drifted)"), std::string::npos);
  const Outcome reverted = Run({"kernel", "revert"});
  EXPECT_EQ(reverted.status, 0) << reverted.err;
  std::map<std::string, std::string> expected = originals;
  EXPECT_EQ(Live(), expected);
  EXPECT_EQ(::access("/etc/sysctl.d/80-zentrofast.conf", F_OK), -1);
  EXPECT_NE(Run({"kernel", "status"}).out.find("The bridge manages no setting."), std::string::npos);
}

// Boot reads an administrator's file named after the bridge's own last: plan and status say so.
TEST_F(KernelCommandTest, ALaterSysctlFileOfTheAdministratorIsNamedInPlanAndStatus) {
  ASSERT_EQ(Run({"apply", "--profile", "4"}).status, 0);
  test::WriteText("/etc/sysctl.d/99-sysctl.conf", "net.ipv4.ip_default_ttl = 128\n");
  test::WriteText("/usr/lib/sysctl.d/50-early.conf", "net.ipv4.tcp_keepalive_time = 60\n");  // read before ours
  const Outcome plan = Run({"kernel", "plan"});
  EXPECT_NE(plan.out.find("warning: /etc/sysctl.d/99-sysctl.conf sets net.ipv4.ip_default_ttl = 128, which wins at "
                          "every boot over /etc/sysctl.d/80-zentrofast.conf's 64"),
            std::string::npos)
      << plan.out;
  EXPECT_EQ(plan.out.find("50-early.conf"), std::string::npos) << plan.out;
  ASSERT_EQ(Run({"kernel", "apply", "--yes"}).status, 0);
  const Outcome status = Run({"kernel", "status"});
  std::istringstream lines(status.out);
  std::string ttl, keepAlive;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("net.ipv4.ip_default_ttl ")) ttl = line;
    if (line.starts_with("net.ipv4.tcp_keepalive_time ")) keepAlive = line;
  }
  EXPECT_TRUE(ttl.ends_with("sysctl.d, overridden at boot by /etc/sysctl.d/99-sysctl.conf")) << status.out;
  EXPECT_TRUE(keepAlive.ends_with("sysctl.d")) << status.out;
}

// The backup before the first tuning records the values the store lacked as 0; restoring it and
// applying is how a user undoes everything, so it must not turn SYN cookies or PMTU discovery off.
TEST_F(KernelCommandTest, RestoringTheBackupFromBeforeTheBridgeReturnsManagedSettingsToTheirOriginals) {
  const std::vector<std::string> keys{"net/ipv4/tcp_syncookies", "net/ipv4/ip_no_pmtu_disc"};
  std::map<std::string, std::string> before;
  for (const auto& key : keys) before[key] = test::SandboxLive().Read(key).value_or("unreadable");
  ASSERT_EQ(Run({"apply", "--profile", "4"}).status, 0);  // 001.BCK: the store before any tuning
  ASSERT_EQ(Run({"kernel", "apply", "--yes"}).status, 0);
  ASSERT_EQ(Run({"backup", "restore", "001.BCK"}).status, 0);
  const Outcome plan = Run({"kernel", "plan"});
  EXPECT_NE(plan.out.find("back to its original: 001.BCK is from before Zentrofast first changed it"),
            std::string::npos)
      << plan.out;
  const Outcome applied = Run({"kernel", "apply", "--yes"});
  ASSERT_EQ(applied.status, 0) << applied.out << applied.err;
  for (const auto& key : keys) EXPECT_EQ(test::SandboxLive().Read(key).value_or("unreadable"), before[key]) << key;
  EXPECT_EQ(Live(), originals);
  const std::string persisted = test::ReadText("/etc/sysctl.d/80-zentrofast.conf");
  EXPECT_EQ(persisted.find("tcp_syncookies = 0"), std::string::npos) << persisted;
  EXPECT_EQ(persisted.find("ip_no_pmtu_disc = 1"), std::string::npos) << persisted;
}

TEST_F(KernelCommandTest, RestoringAnOlderBackupAndApplyingBringsTheValuesBackExactly) {
  ASSERT_EQ(Run({"apply", "--profile", "4"}).status, 0);
  ASSERT_EQ(Run({"kernel", "apply", "--yes"}).status, 0);
  const auto tunedByProfile4 = Live();
  ASSERT_EQ(Run({"apply", "--profile", "7"}).status, 0);  // backup 002.BCK holds profile 4's values
  ASSERT_EQ(Run({"kernel", "apply", "--yes"}).status, 0);
  EXPECT_EQ(Live()["net/ipv4/ip_default_ttl"], "32");
  ASSERT_EQ(Run({"backup", "restore", "002.BCK"}).status, 0);
  const Outcome applied = Run({"kernel", "apply", "--yes"});
  ASSERT_EQ(applied.status, 0) << applied.err;
  EXPECT_EQ(Live(), tunedByProfile4);
}

TEST_F(KernelCommandTest, AnswerNoRevertsWithExitThree) {
  ASSERT_EQ(Run({"apply", "--profile", "4"}).status, 0);
  const Outcome answered = Run({"kernel", "apply", "--keep-within", "20"}, "n\n");
  EXPECT_EQ(answered.status, 3) << answered.out << answered.err;
  EXPECT_NE(answered.out.find("Keep these settings? [y/N]"), std::string::npos);
  EXPECT_EQ(Live(), originals);
  const Outcome yes = Run({"kernel", "apply", "--keep-within", "20"}, "y\n");
  EXPECT_EQ(yes.status, 0) << yes.err;
}

TEST_F(KernelCommandTest, NoAnswerBeforeTheEndOfInputOrTheDeadlineRevertsWithExitThree) {
  ASSERT_EQ(Run({"apply", "--profile", "4"}).status, 0);
  int silent[2];  // a standard input that stays open and says nothing
  ASSERT_EQ(::pipe(silent), 0);
  const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(devNull, 0);
  const struct {
    const char* what;
    int input;
    const char* keepWithin;
  } cases[] = {{"input at its end", -1, "20"}, {"/dev/null", devNull, "20"}, {"the deadline", silent[0], "1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto started = std::chrono::steady_clock::now();
    const std::vector<std::string> args{"kernel", "apply", "--keep-within", c.keepWithin};
    const Outcome outcome = c.input < 0 ? Run(args) : RunWithInput(args, c.input);
    EXPECT_EQ(outcome.status, 3) << outcome.out << outcome.err;
    EXPECT_NE(outcome.out.find("Reverted"), std::string::npos) << outcome.out;
    EXPECT_EQ(Live(), originals);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10)) << "it waited out the window";
  }
  ::close(devNull);
  ::close(silent[0]);
  ::close(silent[1]);
}

TEST_F(KernelCommandTest, AnMtuBelow1280WithoutAcceptanceChangesNothing) {
  ASSERT_EQ(Run({"apply", "--profile", "0"}).status, 0);
  const Outcome refused = Run({"kernel", "apply", "--yes"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("--allow-ipv6-loss"), std::string::npos) << refused.err;
  EXPECT_EQ(Live(), originals);
  const Outcome accepted = Run({"kernel", "apply", "--yes", "--allow-ipv6-loss"});
  EXPECT_EQ(accepted.status, 0) << accepted.err;
  EXPECT_EQ(Live()["link/zf0/mtu"], "576");
}

TEST_F(KernelCommandTest, UsageErrorsAndExportFormats) {
  EXPECT_EQ(Run({"kernel"}).status, 2);
  EXPECT_EQ(Run({"kernel", "frob"}).status, 2);
  EXPECT_EQ(Run({"kernel", "apply", "--keep-within", "0"}).status, 2);
  ASSERT_EQ(Run({"apply", "--profile", "4"}).status, 0);
  const Outcome sysctl = Run({"kernel", "export", "--format", "sysctl"});
  EXPECT_EQ(sysctl.status, 0);
  EXPECT_NE(sysctl.out.find("net.ipv4.ip_default_ttl = 64\n"), std::string::npos) << sysctl.out;
  const Outcome tuned = Run({"kernel", "export", "--format", "tuned"});
  EXPECT_NE(tuned.out.find("[sysctl]\n"), std::string::npos);
  EXPECT_NE(tuned.out.find("net.ipv4.tcp_keepalive_time=7200\n"), std::string::npos) << tuned.out;
  EXPECT_NE(Run({"kernel", "export", "--format", "networkd"}).out.find("zf0 has no permanent address"),
            std::string::npos);
  EXPECT_EQ(Run({"kernel", "export", "--format", "yaml"}).status, 2);
  EXPECT_EQ(Live(), originals) << "export changes nothing";
}

}  // namespace
}  // namespace zf::kernel
