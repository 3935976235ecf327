// SPDX-License-Identifier: GPL-3.0-or-later
// The connection test against the tools people trust, on the emulated 100 Mbit/s, 40 ms path,
// each pair measured in the same iterations so that load cancels out:
//  - throughput_ratio: one measured stream / `iperf3 -c -R` for as long (target 0.95–1.05);
//  - rtt_ratio: the measured round trip / `ping`'s average (target 0.9–1.1);
//  - before_after_s: `zentrofastctl kernel apply --measure … --keep-if-not-slower` with the
//    default 5-second measurements, start to finish (target ≤ 12 s plus the keep window; the
//    verdict decides at once, so no keep window is spent).
// Everything runs in mount and network namespaces of the program's own (support/KernelNamespace,
// support/EmulatedPath); as root only, otherwise it says so and skips.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>

#include "measure/Measure.h"
#include "support/EmulatedPath.h"
#include "support/KernelNamespace.h"
#include "support/TempDir.h"

namespace {

using zf::test::EmulatedPath;
using Clock = std::chrono::steady_clock;

constexpr int kSeconds = 5;

std::string g_problem;
std::unique_ptr<EmulatedPath> g_path;
double g_throughputRatio = 0, g_rttRatio = 0, g_beforeAfter = 0;

std::optional<zf::measure::Measurement> Measure(int seconds) {
  zf::measure::MeasureRequest request;
  request.target = g_path->IperfTarget();
  request.seconds = seconds;
  zf::measure::CancelFlag never;
  auto outcome = zf::measure::MeasureConnection(request, {}, never);
  if (!outcome.result) return std::nullopt;
  return outcome.result.value();
}

double IperfClientBitsPerSecond() {
  std::string text;
  zf::test::RunProgram({"iperf3", "-c", EmulatedPath::kServer, "-R", "-t", std::to_string(kSeconds), "-J"}, &text);
  const auto json = nlohmann::json::parse(text, nullptr, false);
  if (json.is_discarded() || !json.contains("end")) return 0;
  return json["end"]["sum_received"].value("bits_per_second", 0.0);
}

// ping's average round trip in ms ("rtt min/avg/max/mdev = a/b/c/d ms").
double PingMilliseconds() {
  std::string text;
  zf::test::RunProgram({"ping", "-n", "-q", "-c", "5", "-i", "0.2", EmulatedPath::kServer}, &text);
  const auto at = text.find(" = ");
  if (at == std::string::npos) return 0;
  return std::strtod(text.c_str() + text.find('/', at + 3) + 1, nullptr);
}

bool Skip(benchmark::State& state) {
  if (g_problem.empty()) return false;
  state.SkipWithError(g_problem.c_str());
  return true;
}

void BM_ThroughputAgainstIperf3(benchmark::State& state) {
  if (Skip(state)) return;
  double program = 0, iperf = 0;
  for (auto _ : state) {
    const auto measured = Measure(kSeconds);
    const double yardstick = IperfClientBitsPerSecond();
    if (!measured || yardstick <= 0) return state.SkipWithError("a measurement failed");
    program += measured->throughput.value;
    iperf += yardstick;
  }
  g_throughputRatio = program / iperf;
  state.counters["throughput_ratio"] = g_throughputRatio;
  state.counters["program_Mbps"] = program / state.iterations() / 1e6;
  state.counters["iperf3_Mbps"] = iperf / state.iterations() / 1e6;
}

void BM_RoundTripAgainstPing(benchmark::State& state) {
  if (Skip(state)) return;
  double program = 0, ping = 0;
  for (auto _ : state) {
    const auto measured = Measure(1);
    const double yardstick = PingMilliseconds();
    if (!measured || yardstick <= 0) return state.SkipWithError("a measurement failed");
    program += measured->rtt.value;
    ping += yardstick;
  }
  g_rttRatio = program / ping;
  state.counters["rtt_ratio"] = g_rttRatio;
  state.counters["program_ms"] = program / state.iterations();
  state.counters["ping_ms"] = ping / state.iterations();
}

void BM_BeforeAndAfter(benchmark::State& state) {
  if (Skip(state)) return;
  zf::test::TempDir home;
  const std::vector<std::string> where{ZF_CTL, "--home", home.path().string(), "--registry",
                                       (home / "store.sqlite3").string()};
  auto ctl = [&](std::vector<std::string> words) {
    words.insert(words.begin(), where.begin(), where.end());
    return zf::test::RunProgram(words);
  };
  double seconds = 0;
  for (auto _ : state) {
    if (!ctl({"apply", "--profile", "4"})) return state.SkipWithError("apply --profile 4 failed");
    const auto start = Clock::now();
    ctl({"kernel", "apply", "--measure", g_path->IperfTarget(), "--keep-if-not-slower"});
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    ctl({"kernel", "revert"});
  }
  g_beforeAfter = seconds / state.iterations();
  state.counters["before_after_s"] = g_beforeAfter;
}

BENCHMARK(BM_ThroughputAgainstIperf3)->Iterations(3)->Unit(benchmark::kSecond);
BENCHMARK(BM_RoundTripAgainstPing)->Iterations(3)->Unit(benchmark::kSecond);
BENCHMARK(BM_BeforeAndAfter)->Iterations(2)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  setenv("ZENTROFAST_BIN", ZF_BIN_DIR, 0);
  g_problem = zf::test::EnterKernelSandbox();
  if (g_problem.empty()) g_problem = zf::test::FreshKernelMachine();
  if (g_problem.empty()) {
    g_path = std::make_unique<EmulatedPath>();
    g_problem = g_path->problem();
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_path.reset();
  if (!g_problem.empty()) {
    std::printf("connection test benchmarks skipped: %s\n", g_problem.c_str());
    return 0;
  }
  std::printf("throughput / iperf3 -c -R: %.3f (target 0.95-1.05)\n", g_throughputRatio);
  std::printf("round trip / ping: %.3f (target 0.9-1.1)\n", g_rttRatio);
  std::printf("before and after: %.1f s (target <= 12 s plus the keep window)\n", g_beforeAfter);
  return 0;
}
