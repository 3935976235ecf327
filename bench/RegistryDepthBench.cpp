// SPDX-License-Identifier: GPL-3.0-or-later
// The store and the export against the deepest keys the registry allows: four chains of keys 512
// levels deep, every name 255 characters, imported from a .reg file and exported again by
// zentrofastctl run as a child. The store's size is measured against the .reg file's, the
// export's memory as the child's peak resident set.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/Config.h"
#include "core/RegistryLimits.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kChains = 4;

fs::path BenchFolder() {
  static const fs::path folder = [] {
    const fs::path path = zf::ExecutableFolder() / "bench-data-depth";
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

// REGEDIT4 naming the deepest key of each chain; the keys above them come with it.
std::uintmax_t WriteDeepRegFile(const fs::path& file) {
  std::ofstream out(file, std::ios::binary);
  out << "REGEDIT4\r\n";
  for (int chain = 0; chain < kChains; ++chain) {
    out << "\r\n[HKEY_LOCAL_MACHINE";
    const std::string name(zf::kLongestKeyName, static_cast<char>('a' + chain));
    for (std::size_t level = 0; level < zf::kDeepestKey; ++level) out << '\\' << name;
    out << "]\r\n";
  }
  out.close();
  return fs::file_size(file);
}

struct ChildRun {
  bool ok = false;
  double seconds = 0;
  double peakMiB = 0;
};

// Runs zentrofastctl on the store with args and takes its peak resident set from wait4.
ChildRun RunTool(const fs::path& store, const std::vector<std::string>& args) {
  std::vector<std::string> words{ZF_CTL, "--registry", store.string()};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  ChildRun run;
  const auto start = Clock::now();
  // Its "done" lines would break up the benchmark's table.
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, ZF_CTL, &quiet, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&quiet);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) return run;
  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

std::uintmax_t SizeOrZero(const fs::path& file) {
  std::error_code missing;
  const auto size = fs::file_size(file, missing);
  return missing ? 0 : size;
}

double g_storeRatio = 0;
double g_exportPeakMiB = 0;

void BM_DeepKeysImportAndExport(benchmark::State& state) {
  const fs::path reg = BenchFolder() / "deep.reg";
  const double regBytes = static_cast<double>(WriteDeepRegFile(reg));
  for (auto _ : state) {
    const fs::path store = BenchFolder() / "registry.sqlite3";
    const fs::path exported = BenchFolder() / "exported.reg";
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(store.string() + suffix);
    const ChildRun imported = RunTool(store, {"reg", "import", reg.string()});
    if (!imported.ok) state.SkipWithError("reg import failed");
    // The tool has closed the store, folding its log back in; a log left over would count.
    const double storeBytes = static_cast<double>(SizeOrZero(store) + SizeOrZero(store.string() + "-wal") +
                                                  SizeOrZero(store.string() + "-shm"));
    const ChildRun exportRun = RunTool(store, {"reg", "export", "HKLM", exported.string()});
    if (!exportRun.ok) state.SkipWithError("reg export HKLM failed");
    state.SetIterationTime(imported.seconds + exportRun.seconds);
    g_storeRatio = storeBytes / regBytes;
    g_exportPeakMiB = exportRun.peakMiB;
    state.counters["reg_KiB"] = regBytes / 1024;
    state.counters["store_KiB"] = storeBytes / 1024;
    state.counters["store_ratio"] = g_storeRatio;
    state.counters["import_s"] = imported.seconds;
    state.counters["import_peak_MiB"] = imported.peakMiB;
    state.counters["export_s"] = exportRun.seconds;
    state.counters["export_MiB"] = static_cast<double>(SizeOrZero(exported)) / (1024 * 1024);
    state.counters["export_peak_MiB"] = g_exportPeakMiB;
    fs::remove(exported);
  }
}
BENCHMARK(BM_DeepKeysImportAndExport)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_storeRatio > 0)
    std::cout << "store bytes / .reg bytes for four keys 512 levels deep: " << g_storeRatio << " (target <= 4)\n"
              << "peak resident memory of reg export HKLM: " << g_exportPeakMiB << " MiB (target <= 64)\n";
  fs::remove_all(BenchFolder());
  return 0;
}
