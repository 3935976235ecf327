// SPDX-License-Identifier: GPL-3.0-or-later
// The kernel bridge against what it stands on, measured in the same iterations so that load
// cancels out:
//  - a plan against a bare loop reading the same live values (target: at most 2×);
//  - a kept apply through the helper (as root, no pkexec) against systemd-sysctl loading an
//    equivalent file (target: at most 1.5×).
// Everything runs in mount and network namespaces of the program's own with tmpfs over the
// helper's folders (support/KernelNamespace), so the machine is never changed.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "kernel/HelperSession.h"
#include "kernel/KernelPlan.h"
#include "kernel/NetlinkLinks.h"
#include "kernel/PersistTexts.h"
#include "support/KernelNamespace.h"
#include "support/PrivateNetworkManager.h"

namespace {

using namespace zf::kernel;
using Clock = std::chrono::steady_clock;

std::string g_sandboxProblem;
double g_planRatio = 0;
double g_planCpuRatio = 0;
double g_applyRatio = 0;
double g_applyRatioWithNetworkManager = 0;

const SettingMap kDesired[2] = {{{"net/ipv4/ip_default_ttl", "99"},
                                 {"net/ipv4/tcp_keepalive_time", "600"},
                                 {"net/ipv4/tcp_keepalive_intvl", "5"},
                                 {"net/ipv4/tcp_syncookies", "1"},
                                 {"net/ipv4/ip_no_pmtu_disc", "0"},
                                 {"net/ipv4/tcp_mtu_probing", "1"},
                                 {"net/ipv4/tcp_rmem", "4096 65536 513920"},
                                 {"net/ipv4/conf/all/accept_redirects", "0"},
                                 {"net/ipv4/conf/default/accept_redirects", "0"},
                                 {"net/ipv4/conf/zf0/accept_redirects", "0"},
                                 {"link/zf0/mtu", "1400"}},
                                {{"net/ipv4/ip_default_ttl", "98"},
                                 {"net/ipv4/tcp_keepalive_time", "700"},
                                 {"net/ipv4/tcp_keepalive_intvl", "6"},
                                 {"net/ipv4/tcp_syncookies", "1"},
                                 {"net/ipv4/ip_no_pmtu_disc", "0"},
                                 {"net/ipv4/tcp_mtu_probing", "0"},
                                 {"net/ipv4/tcp_rmem", "4096 65536 413920"},
                                 {"net/ipv4/conf/all/accept_redirects", "1"},
                                 {"net/ipv4/conf/default/accept_redirects", "1"},
                                 {"net/ipv4/conf/zf0/accept_redirects", "1"},
                                 {"link/zf0/mtu", "1300"}}};

const ProcLiveSystem& Live() {
  static const ProcLiveSystem live(
      "/proc/sys", [] { return ListLinks(); }, ListLinksNamed);
  return live;
}

template <typename Work>
double Seconds(Work&& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double ThreadCpuSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Wall time and this thread's processor time (its system calls included) of one piece of work:
// on a shared machine the wall time also holds the waits for a processor, which are no part of
// the work's cost.
template <typename Work>
std::pair<double, double> WallAndCpuSeconds(Work&& work) {
  const double cpu = ThreadCpuSeconds();
  const double wall = Seconds(work);
  return {wall, ThreadCpuSeconds() - cpu};
}

// What the plan reads, read plainly: each sysctl file, and the MTU from sysfs.
std::size_t BareReads(const SettingMap& desired) {
  std::size_t bytes = 0;
  char buffer[256];
  for (const auto& [key, value] : desired) {
    const std::string path = key.starts_with("link/") ? "/sys/class/net/zf0/mtu" : "/proc/sys/" + key;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    bytes += static_cast<std::size_t>(std::max<ssize_t>(::read(fd, buffer, sizeof buffer), 0));
    ::close(fd);
  }
  return bytes;
}

void BM_PlanAgainstBareReads(benchmark::State& state) {
  if (!g_sandboxProblem.empty() || !zf::test::FreshKernelMachine().empty()) {
    state.SkipWithError(("no sandbox: " + g_sandboxProblem).c_str());
    return;
  }
  // A sysfs of this network namespace, or the bare MTU read finds no zf0 and costs nothing.
  if (::mount("sysfs", "/sys", "sysfs", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0 ||
      BareReads(kDesired[0]) == 0 || ::access("/sys/class/net/zf0/mtu", R_OK) != 0) {
    state.SkipWithError("cannot mount a sysfs of the sandbox's network namespace");
    return;
  }
  double plan = 0, bare = 0, planCpu = 0, bareCpu = 0;
  for (auto _ : state) {
    const auto [bareWall, bareThread] = WallAndCpuSeconds([] { benchmark::DoNotOptimize(BareReads(kDesired[0])); });
    const auto [planWall, planThread] =
        WallAndCpuSeconds([] { benchmark::DoNotOptimize(MakePlan(kDesired[0], Live(), Ledger{}).hash); });
    bare += bareWall;
    bareCpu += bareThread;
    plan += planWall;
    planCpu += planThread;
    state.SetIterationTime(planWall);
  }
  g_planRatio = plan / bare;
  g_planCpuRatio = planCpu / bareCpu;
  state.counters["ratio_to_bare_reads"] = g_planRatio;
  state.counters["cpu_ratio_to_bare_reads"] = g_planCpuRatio;
}

bool RunSystemdSysctl(const std::string& file) {
  char program[] = "/lib/systemd/systemd-sysctl";
  std::string argument = file;
  char* argv[] = {program, argument.data(), nullptr};
  char* envp[] = {nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, program, nullptr, nullptr, argv, envp) != 0) return false;
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// systemd-sysctl cannot set an MTU; ip(8) does that part of the yardstick.
bool RunIpMtu(const std::string& mtu) {
  char program[] = "/sbin/ip";
  std::string value = mtu;
  char link[] = "link", set[] = "set", dev[] = "zf0", word[] = "mtu";
  char* argv[] = {program, link, set, dev, word, value.data(), nullptr};
  char* envp[] = {nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, program, nullptr, nullptr, argv, envp) != 0) return false;
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool KeptApply(const SettingMap& desired, std::string& problem) {
  auto ledger = LoadLedger(kLedgerPath);
  const KernelPlan plan = MakePlan(desired, Live(), ledger ? ledger.value() : Ledger{});
  HelperRequest request;
  request.settings = plan.desired;
  request.planHash = plan.hash;
  HelperSession session({std::string(ZF_HELPER)}, request);
  if (session.Poll(30000) != SessionState::Applied) {
    problem = session.Message();
    return false;
  }
  auto kept = session.Keep();
  if (!kept) problem = kept.error().text;
  return kept.has_value();
}

// The helper's kept applies over the yardstick's, alternating two states so that each apply
// changes every value; 0 after a failure, which the state reports.
double KeptApplyRatio(benchmark::State& state) {
  const std::string files[2] = {"/run/zentrofast/bench-0.conf", "/run/zentrofast/bench-1.conf"};
  for (int i = 0; i < 2; ++i) std::ofstream(files[i]) << SysctlFileText(kDesired[i]);
  double helper = 0, yardstick = 0;
  int turn = 0;
  std::string problem;
  for (auto _ : state) {
    const int i = turn++ % 2;
    bool ok = true;
    yardstick += Seconds([&] { ok = RunSystemdSysctl(files[i]) && RunIpMtu(kDesired[i].at("link/zf0/mtu")); });
    // Back to the other state first, so the helper's apply really changes every value.
    if (ok) ok = RunSystemdSysctl(files[1 - i]) && RunIpMtu(kDesired[1 - i].at("link/zf0/mtu"));
    const double seconds = Seconds([&] { ok = ok && KeptApply(kDesired[i], problem); });
    if (!ok) {
      state.SkipWithError(("apply failed: " + problem).c_str());
      return 0;
    }
    helper += seconds;
    state.SetIterationTime(seconds);
  }
  return helper / yardstick;
}

// nmcli is installed here, but no NetworkManager runs in the sandbox: the helper must not pay for
// asking nmcli about each interface.
void BM_KeptApplyAgainstSystemdSysctl(benchmark::State& state) {
  if (!g_sandboxProblem.empty() || !zf::test::FreshKernelMachine().empty()) {
    state.SkipWithError(("no sandbox: " + g_sandboxProblem).c_str());
    return;
  }
  g_applyRatio = KeptApplyRatio(state);
  state.counters["ratio_to_systemd_sysctl"] = g_applyRatio;
}

// NetworkManager of the sandbox's own manages zf0, so each kept MTU also goes into its connection.
void BM_KeptApplyWithNetworkManager(benchmark::State& state) {
  if (!g_sandboxProblem.empty() || !zf::test::FreshKernelMachine().empty()) {
    state.SkipWithError(("no sandbox: " + g_sandboxProblem).c_str());
    return;
  }
  zf::test::PrivateNetworkManager networkManager;
  if (const std::string problem = networkManager.Start("zf0"); !problem.empty()) {
    state.SkipWithError(("no NetworkManager: " + problem).c_str());
    return;
  }
  g_applyRatioWithNetworkManager = KeptApplyRatio(state);
  state.counters["ratio_to_systemd_sysctl"] = g_applyRatioWithNetworkManager;
}

BENCHMARK(BM_PlanAgainstBareReads)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeptApplyAgainstSystemdSysctl)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(60);
BENCHMARK(BM_KeptApplyWithNetworkManager)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  g_sandboxProblem = zf::test::EnterKernelSandbox();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (!g_sandboxProblem.empty()) {
    std::printf("kernel bridge benchmarks skipped: %s\n", g_sandboxProblem.c_str());
    return 0;
  }
  std::printf("plan / bare /proc/sys reads: %.2f wall, %.2f processor time (target <= 2)\n", g_planRatio,
              g_planCpuRatio);
  std::printf("kept apply through the helper / systemd-sysctl, NetworkManager not running: %.2f (target <= 1.5)\n",
              g_applyRatio);
  std::printf("kept apply through the helper / systemd-sysctl, NetworkManager running: %.2f (target <= 1.5)\n",
              g_applyRatioWithNetworkManager);
  return 0;
}
