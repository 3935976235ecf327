// SPDX-License-Identifier: GPL-3.0-or-later
// FreeUpMemory against a plain memset of the same bytes, and one memory plus one CPU sample of
// the system status screen against one read of the two /proc files they come from.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>

#include "memory/FreeRAM.h"
#include "memory/Rounding.h"
#include "memory/StatusFigures.h"
#include "memory/clsCPUUsageNT.h"
#include "platform/headless.h"
#include "platform/linux/LinuxSystemInfo.h"

namespace zf {
namespace {

constexpr std::int64_t kFreeingCharacters = 256 * kBytesPerMB;
constexpr std::size_t kFreeingBytes = 2 * kFreeingCharacters;

void BM_FreeUpMemory256MB(benchmark::State& state) {
  LinuxSystemInfo info;
  HeadlessDesktop desktop;
  FreeRAM ram(info, desktop, desktop);
  std::int64_t written = 0;
  for (auto _ : state) written += 2 * ram.FreeUpMemory(kFreeingCharacters).value_or(0);
  state.SetBytesProcessed(written);
}
BENCHMARK(BM_FreeUpMemory256MB)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Memset512MiB(benchmark::State& state) {
  for (auto _ : state) {
    void* block = std::malloc(kFreeingBytes);
    std::memset(block, ' ', kFreeingBytes);
    benchmark::DoNotOptimize(block);
    std::free(block);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kFreeingBytes));
}
BENCHMARK(BM_Memset512MiB)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void ReadWhole(const char* path, std::string& buffer) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  std::size_t used = 0;
  for (ssize_t got = 1; got > 0; used += static_cast<std::size_t>(got)) {
    if (used == buffer.size()) buffer.resize(buffer.size() * 2);
    got = read(fd, buffer.data() + used, buffer.size() - used);
    if (got < 0) break;
  }
  close(fd);
  benchmark::DoNotOptimize(buffer.data());
}

void BM_ReadMeminfoAndStat(benchmark::State& state) {
  std::string buffer(16384, '\0');
  for (auto _ : state) {
    ReadWhole("/proc/meminfo", buffer);
    ReadWhole("/proc/stat", buffer);
  }
}
BENCHMARK(BM_ReadMeminfoAndStat)->Unit(benchmark::kMicrosecond);

// Everything the two timer handlers do except putting the results on screen.
void BM_MemoryAndCpuSampleTicks(benchmark::State& state) {
  LinuxSystemInfo info;
  HeadlessDesktop desktop;
  FreeRAM fmem(info, desktop, desktop);
  const std::int64_t totalMB = BytesToMB(fmem.GetTotalPhysical());
  clsCPUUsageNT probe(info);
  probe.Initialize();
  for (auto _ : state) {
    const MemorySample sample = SampleFreeMemory(fmem, totalMB);
    const std::int32_t shown = GraphValue(sample.freeShare.value_or(0));
    benchmark::DoNotOptimize(MemoryCaption(shown));
    benchmark::DoNotOptimize(MemoryTrayTip(false, shown, sample.freeMB));
    benchmark::DoNotOptimize(CpuCaption(GraphValue(probe.Query())));
  }
}
BENCHMARK(BM_MemoryAndCpuSampleTicks)->Unit(benchmark::kMicrosecond);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      const auto rate = run.counters.find("bytes_per_second");
      // Process time (user and kernel): the machine may be busy with other work.
      const std::string name = run.benchmark_name();
      m_results[name.substr(0, name.find('/'))] = {run.GetAdjustedCPUTime(),
                                                   rate == run.counters.end() ? 0.0 : double(rate->second)};
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios() const {
    const auto freeing = Find("BM_FreeUpMemory256MB");
    const auto memset = Find("BM_Memset512MiB");
    if (freeing && memset && memset->bytesPerSecond > 0)
      std::printf("ratio FreeUpMemory(256 MB) / memset bytes per second: %.2f (target >= 0.8)\n",
                  freeing->bytesPerSecond / memset->bytesPerSecond);
    const auto ticks = Find("BM_MemoryAndCpuSampleTicks");
    const auto reads = Find("BM_ReadMeminfoAndStat");
    if (ticks && reads && reads->cpuTime > 0)
      std::printf("ratio memory + CPU sample ticks / read of /proc/meminfo and /proc/stat: %.2f (target <= 2)\n",
                  ticks->cpuTime / reads->cpuTime);
  }

 private:
  struct Result {
    double cpuTime;  // in the benchmark's own unit
    double bytesPerSecond;
  };
  std::optional<Result> Find(const std::string& name) const {
    const auto it = m_results.find(name);
    if (it == m_results.end()) return std::nullopt;
    return it->second;
  }
  std::map<std::string, Result> m_results;
};

}  // namespace
}  // namespace zf

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  zf::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
