// SPDX-License-Identifier: GPL-3.0-or-later
// zentrofastctl kernel inside the sandbox: the store's values made real, kept, restored, reverted;
// its JSON, Prometheus and Ansible forms checked by their real consumers.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>

#include "cli/CliContext.h"
#include "cli/LinuxCliPlatform.h"
#include "core/RegistrySeed.h"
#include "kernel/KernelSandbox.h"
#include "kernel/Ledger.h"
#include "kernel/SettingTable.h"
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
  const Outcome planJson = Run({"kernel", "plan", "--json"});
  EXPECT_NE(planJson.out.find("\"kind\": \"boot_override\""), std::string::npos) << planJson.out;
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
  const Outcome json = Run({"kernel", "status", "--json"});
  EXPECT_NE(json.out.find("\"overridden_at_boot_by\": \"/etc/sysctl.d/99-sysctl.conf\""), std::string::npos)
      << json.out;
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
    const char* says;
  } cases[] = {{"input at its end", -1, "20", "Reverted: "},
               {"/dev/null", devNull, "20", "Reverted: "},
               {"the deadline", silent[0], "1", "Reverted: not kept in time\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto started = std::chrono::steady_clock::now();
    const std::vector<std::string> args{"kernel", "apply", "--keep-within", c.keepWithin};
    const Outcome outcome = c.input < 0 ? Run(args) : RunWithInput(args, c.input);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(outcome.status, 3) << outcome.out << outcome.err;
    EXPECT_NE(outcome.out.find("Keep these settings? [y/N] (reverting in "), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find(c.says), std::string::npos) << outcome.out;
    EXPECT_EQ(Live(), originals);
    EXPECT_LT(took, std::chrono::seconds(10)) << "it waited out the window";
    if (c.input == silent[0]) EXPECT_GE(took, std::chrono::seconds(1)) << "the window was cut short";
  }
  ::close(devNull);
  ::close(silent[0]);
  ::close(silent[1]);
}

// Our helper child's pid once its journal is there: it is in the window (or about to be).
pid_t HelperInTheWindow() {
  const std::string ourChild = ") S " + std::to_string(::getpid()) + " ";
  for (int tries = 0; tries < 500; ++tries, std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
    if (::access("/run/zentrofast/journal", F_OK) != 0) continue;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
      const std::string stat = test::ReadText((entry.path() / "stat").string());
      if (stat.find("(zentrofast-kern" + ourChild) == std::string::npos) continue;
      std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the writes and the answer done
      return static_cast<pid_t>(std::stol(entry.path().filename().string()));
    }
  }
  return -1;
}

TEST_F(KernelCommandTest, AHelperKilledInTheWindowIsRecoveredAtOnceAndSaidSo) {
  ASSERT_EQ(Run({"apply", "--profile", "4"}).status, 0);
  int silent[2];  // the user says nothing
  ASSERT_EQ(::pipe(silent), 0);
  pid_t killed = -1;
  std::thread killer([&killed] {
    killed = HelperInTheWindow();
    if (killed > 0) ::kill(killed, SIGKILL);
  });
  const auto started = std::chrono::steady_clock::now();
  const Outcome outcome = RunWithInput({"kernel", "apply", "--keep-within", "60"}, silent[0]);
  killer.join();
  ::close(silent[0]);
  ::close(silent[1]);
  ASSERT_GT(killed, 0) << "no helper was seen in the window";
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20)) << "it waited out the window";
  EXPECT_EQ(outcome.status, 3) << outcome.out << outcome.err;
  EXPECT_NE(outcome.out.find("the previous values back, so they are live again"), std::string::npos) << outcome.out;
  EXPECT_EQ(Live(), originals);
  EXPECT_EQ(::access("/run/zentrofast/journal", F_OK), -1);
  const Outcome again = Run({"kernel", "apply", "--yes"});
  EXPECT_EQ(again.status, 0) << "the next apply plans after the recovery: " << again.err;
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

// The helper shares the terminal's standard error: whatever nmcli says there reaches the user.
TEST_F(KernelCommandTest, AnMtuKeptWithoutNetworkManagerLeavesTheTerminalQuiet) {
  ASSERT_EQ(Run({"apply", "--profile", "0"}).status, 0);
  test::TempDir scratch;
  const int captured = ::open((scratch / "stderr").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(captured, 0);
  const int savedError = ::dup(STDERR_FILENO);
  ::dup2(captured, STDERR_FILENO);
  const Outcome applied = Run({"kernel", "apply", "--yes", "--allow-ipv6-loss"});
  ::dup2(savedError, STDERR_FILENO);
  ::close(savedError);
  ::close(captured);
  ASSERT_EQ(applied.status, 0) << applied.err;
  EXPECT_EQ(Live()["link/zf0/mtu"], "576");
  EXPECT_EQ(test::ReadText((scratch / "stderr").string()), "");
  EXPECT_EQ(applied.out.find("nmcli"), std::string::npos) << applied.out;
}

TEST_F(KernelCommandTest, EachStartAddsKeysForInterfacesThatAppearedAndKeepsTheOthers) {
  const std::string interfaces = "HKLM\\" + std::string(kInterfacesKey);
  const std::string zf0 = interfaces + "\\" + InterfaceGuid("zf0");
  ASSERT_EQ(Run({"reg", "add", zf0, "--value", "MTU", "--type", "REG_DWORD", "--data", "1400"}).status, 0);
  ASSERT_EQ(std::system("/sbin/ip link add zf2 type veth peer name zf3"), 0);
  EXPECT_EQ(Run({"reg", "query", interfaces + "\\" + InterfaceGuid("lo")}).status, 1) << "loopback is no adapter";
  for (const char* name : {"zf0", "zf1", "zf2", "zf3"})
    EXPECT_EQ(Run({"reg", "query", interfaces + "\\" + InterfaceGuid(name)}).status, 0) << name;
  EXPECT_NE(Run({"reg", "query", zf0}).out.find("REG_DWORD    0x578"), std::string::npos)
      << "an existing key keeps its values";
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

namespace zf::kernel {
namespace {

struct ShellOutcome {
  int status;
  std::string output;
};

// A command line through the shell, its standard output and error together.
ShellOutcome Shell(const std::string& command) {
  ShellOutcome outcome{-1, {}};
  if (FILE* pipe = ::popen((command + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) outcome.output.append(buffer, n);
    const int status = ::pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return outcome;
}

bool Installed(const char* program) { return Shell(std::string("command -v ") + program).status == 0; }

class KernelScriptOutputTest : public KernelCommandTest {
 protected:
  // The text through python3's json and the schema checker, with FIELD:SETTING=JSON expectations.
  ShellOutcome CheckJson(const std::string& kind, const std::string& text, const std::string& expectations) {
    test::WriteText((work / "document.json").string(), text);
    return Shell("python3 " ZF_KERNEL_TEST_DATA "/kernel_json_check.py " + kind + " " + expectations + " < " +
                 (work / "document.json").string());
  }
  test::TempDir work;
};

TEST_F(KernelScriptOutputTest, PlanAndStatusAsJsonFollowTheirSchema) {
  ASSERT_EQ(Run({"apply", "--profile", "4"}).status, 0);
  const Outcome plan = Run({"kernel", "plan", "--json"});
  ASSERT_EQ(plan.status, 0) << plan.err;
  const ShellOutcome planChecked = CheckJson(
      "plan", plan.out,
      "after:net.ipv4.ip_default_ttl=64 after:net.ipv4.tcp_keepalive_intvl=1 changes:net.ipv4.tcp_keepalive_intvl=true "
      "now:net.ipv4.tcp_keepalive_intvl=" +
          originals["net/ipv4/tcp_keepalive_intvl"] + " 'now:net.ipv4.tcp_rmem=[" +
          std::regex_replace(originals["net/ipv4/tcp_rmem"], std::regex("\\s+"), ",") + "]'");
  EXPECT_EQ(planChecked.status, 0) << planChecked.output << plan.out;

  ASSERT_EQ(Run({"kernel", "apply", "--yes"}).status, 0);
  test::WriteText("/proc/sys/net/ipv4/ip_default_ttl", "70\n");
  const Outcome status = Run({"kernel", "status", "--json"});
  ASSERT_EQ(status.status, 0) << status.err;
  const ShellOutcome statusChecked = CheckJson(
      "status", status.out,
      "managed:net.ipv4.ip_default_ttl=64 live:net.ipv4.ip_default_ttl=70 drifted:net.ipv4.ip_default_ttl=true "
      "'persisted:net.ipv4.ip_default_ttl=\"sysctl_d\"' drifted:net.ipv4.tcp_keepalive_intvl=false "
      "original:net.ipv4.tcp_keepalive_intvl=" +
          originals["net/ipv4/tcp_keepalive_intvl"] + " 'persisted:zf0 MTU=\"runtime_only\"'");
  EXPECT_EQ(statusChecked.status, 0) << statusChecked.output << status.out;
  EXPECT_EQ(Run({"kernel", "status", "--json", "--format", "prometheus"}).status, 2);
  EXPECT_EQ(Run({"kernel", "status", "--format", "yaml"}).status, 2);
}

TEST_F(KernelScriptOutputTest, DriftAsPrometheusMetricsPassesPromtool) {
  if (!Installed("promtool")) GTEST_SKIP() << "promtool is not installed (Debian's prometheus)";
  const Outcome empty = Run({"kernel", "status", "--format", "prometheus"});
  EXPECT_NE(empty.out.find("\nzentrofast_kernel_managed_settings 0\n"), std::string::npos) << empty.out;
  ASSERT_EQ(Run({"apply", "--profile", "4"}).status, 0);
  const auto before = std::chrono::system_clock::now();
  ASSERT_EQ(Run({"kernel", "apply", "--yes"}).status, 0);
  const auto after = std::chrono::system_clock::now();
  test::WriteText("/proc/sys/net/ipv4/ip_default_ttl", "70\n");
  const Outcome metrics = Run({"kernel", "status", "--format", "prometheus"});
  ASSERT_EQ(metrics.status, 0) << metrics.err;
  for (const Outcome* text : {&empty, &metrics}) {
    test::WriteText((work / "metrics.prom").string(), text->out);
    const ShellOutcome promtool = Shell("promtool check metrics < " + (work / "metrics.prom").string());
    EXPECT_EQ(promtool.status, 0) << promtool.output << text->out;
  }
  EXPECT_NE(metrics.out.find("\nzentrofast_kernel_setting_drifted{setting=\"net.ipv4.ip_default_ttl\"} 1\n"),
            std::string::npos)
      << metrics.out;
  EXPECT_NE(metrics.out.find("\nzentrofast_kernel_setting_drifted{setting=\"net.ipv4.tcp_keepalive_intvl\"} 0\n"),
            std::string::npos)
      << metrics.out;
  std::smatch stamp;
  ASSERT_TRUE(
      std::regex_search(metrics.out, stamp, std::regex("\nzentrofast_kernel_last_apply_timestamp_seconds (\\d+)\n")))
      << metrics.out;
  const auto seconds = [](auto time) {
    return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
  };
  EXPECT_GE(std::stoll(stamp[1]), seconds(before) - 1);
  EXPECT_LE(std::stoll(stamp[1]), seconds(after) + 1);
}

TEST_F(KernelScriptOutputTest, TheAnsiblePlaybookMakesTheLiveValuesThePlans) {
  if (!Installed("ansible-playbook")) GTEST_SKIP() << "ansible-playbook is not installed (Debian's ansible)";
  ASSERT_EQ(Run({"apply", "--profile", "0"}).status, 0);  // its MTU of 576 is zf0's too
  ASSERT_EQ(Run({"kernel", "plan", "--check"}).status, 3) << "the live system differs before the play";
  const Outcome playbook = Run({"kernel", "export", "--format", "ansible"});
  ASSERT_EQ(playbook.status, 0) << playbook.err;
  test::WriteText((work / "tuning.yml").string(), playbook.out);
  const std::string ansible = "cd " + work.path().string() + " && ANSIBLE_HOME=" + work.path().string() +
                              "/ansible ANSIBLE_LOCAL_TEMP=" + work.path().string() +
                              "/ansible/tmp ANSIBLE_NOCOLOR=1 " +
                              "ansible-playbook -i localhost, -e ansible_python_interpreter=/usr/bin/python3 ";
  const ShellOutcome syntax = Shell(ansible + "--syntax-check tuning.yml");
  ASSERT_EQ(syntax.status, 0) << syntax.output << playbook.out;
  const ShellOutcome play = Shell(ansible + "-c local tuning.yml");
  ASSERT_EQ(play.status, 0) << play.output << playbook.out;
  const Outcome check = Run({"kernel", "plan", "--check"});
  EXPECT_EQ(check.status, 0) << "every live value is the plan's after the play\n" << check.out << play.output;
  EXPECT_EQ(Live()["link/zf0/mtu"], "576");
  const std::string kept = test::ReadText("/etc/sysctl.d/80-zentrofast.conf");
  for (const char* key : {"net/ipv4/ip_default_ttl", "net/ipv4/tcp_keepalive_intvl"})
    EXPECT_NE(kept.find(DisplayName(key) + "=" + Live()[key] + "\n"), std::string::npos) << kept;
}

}  // namespace
}  // namespace zf::kernel
