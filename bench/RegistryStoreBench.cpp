// SPDX-License-Identifier: GPL-3.0-or-later
// The store's two costs that matter: a tuning run's batch of writes against the fsync it cannot
// avoid, and a single-value read against the bare SQLite lookup underneath it. Each pair is
// measured interleaved, iteration by iteration, so that a busy disk or processor weighs on both
// sides alike; the ratios compare medians. The store and the fsync probe share one folder below
// the build folder, so both hit the same file system.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>

#include "core/CRegister.h"
#include "core/Config.h"
#include "core/RegistrySettings.h"
#include "core/RegistryStore.h"

namespace {

namespace fs = std::filesystem;
using namespace zf;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kParameters = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr int kReadsPerRound = 200;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

double Median(std::vector<double> samples) {
  if (samples.empty()) return 0;
  std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
  return samples[samples.size() / 2];
}

fs::path BenchFolder() {
  static const fs::path folder = [] {
    const fs::path path = ExecutableFolder() / "bench-data";
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
  }();
  return folder;
}

fs::path StoreFile() { return BenchFolder() / "registry.sqlite3"; }

IRegistry& Store() {
  static const std::unique_ptr<IRegistry> store = [] {
    std::string error;
    auto opened = OpenRegistryStore(StoreFile(), &error);
    if (!opened) {
      std::cerr << error << "\n";
      std::exit(1);
    }
    RegFunctions(*opened).SetRegistryValue(HKEY_LOCAL_MACHINE, kParameters, "MTU", REG_DWORD, 1500, false);
    return opened;
  }();
  return *store;
}

// One fsync of a 4 KiB file rewritten in place.
class FsyncProbe {
 public:
  FsyncProbe() : m_fd(open((BenchFolder() / "fsync-probe").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600)) {}
  ~FsyncProbe() { close(m_fd); }
  bool Run() {
    ++m_block[0];
    return pwrite(m_fd, m_block.data(), m_block.size(), 0) == static_cast<ssize_t>(m_block.size()) && fsync(m_fd) == 0;
  }

 private:
  int m_fd;
  std::array<char, 4096> m_block{};
};

// The same row myREGGetSetting reads, fetched by one prepared statement on a connection of its own.
class BareSelect {
 public:
  BareSelect() {
    sqlite3_open_v2(StoreFile().c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_prepare_v2(m_db, "SELECT data FROM registry_values WHERE key = ?1 AND folded = 'MTU'", -1, &m_select,
                       nullptr);
    // The key, found level by level below the root row as the store finds it.
    sqlite3_stmt* find = nullptr;
    sqlite3_prepare_v2(m_db, "SELECT id FROM registry_keys WHERE parent = ?1 AND folded = ?2", -1, &find, nullptr);
    m_key = 1;
    for (const char* name : {"HKEY_LOCAL_MACHINE", "SYSTEM", "CURRENTCONTROLSET", "SERVICES", "TCPIP", "PARAMETERS"}) {
      sqlite3_bind_int64(find, 1, m_key);
      sqlite3_bind_text(find, 2, name, -1, SQLITE_STATIC);
      m_key = sqlite3_step(find) == SQLITE_ROW ? sqlite3_column_int64(find, 0) : 0;
      sqlite3_reset(find);
    }
    sqlite3_finalize(find);
  }
  ~BareSelect() {
    sqlite3_finalize(m_select);
    sqlite3_close(m_db);
  }
  bool Run() {
    sqlite3_bind_int64(m_select, 1, m_key);
    const bool found = sqlite3_step(m_select) == SQLITE_ROW;
    benchmark::DoNotOptimize(sqlite3_column_blob(m_select, 0));
    sqlite3_reset(m_select);
    return found;
  }

 private:
  sqlite3* m_db = nullptr;
  sqlite3_stmt* m_select = nullptr;
  sqlite3_int64 m_key = 0;
};

double g_batchOverFsync = 0;
double g_readsOverSelects = 0;

void BM_Batch25SetRegistryValueVsFsync(benchmark::State& state) {
  RegFunctions functions(Store());
  FsyncProbe probe;
  const std::array<std::string, 5> keys{std::string(kParameters), std::string(kParameters) + "\\Interfaces\\A",
                                        std::string(kParameters) + "\\Interfaces\\B",
                                        "SYSTEM\\CurrentControlSet\\Services\\A\\Parameters\\Tcpip",
                                        "SYSTEM\\CurrentControlSet\\Services\\B\\Parameters\\Tcpip"};
  std::vector<double> batches, fsyncs;
  std::int32_t round = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    RegistryBatch batch(Store());
    for (int i = 0; i < 25; ++i)
      functions.SetRegistryValue(HKEY_LOCAL_MACHINE, keys[i % keys.size()], "Value" + std::to_string(i), REG_DWORD,
                                 round + i, false);
    if (batch.commit() != ERROR_SUCCESS) state.SkipWithError("the batch did not commit");
    const auto committed = Clock::now();
    if (!probe.Run()) state.SkipWithError("cannot write the fsync probe");
    const auto synced = Clock::now();
    batches.push_back(Seconds(committed - start));
    fsyncs.push_back(Seconds(synced - committed));
    state.SetIterationTime(Seconds(synced - start));
    ++round;
  }
  const double batch = Median(batches), fsyncTime = Median(fsyncs);
  g_batchOverFsync = fsyncTime > 0 ? batch / fsyncTime : 0;
  state.counters["batch_us"] = batch * 1e6;
  state.counters["fsync_us"] = fsyncTime * 1e6;
  state.counters["ratio"] = g_batchOverFsync;
}
BENCHMARK(BM_Batch25SetRegistryValueVsFsync)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_myREGGetSettingVsBareSelect(benchmark::State& state) {
  CRegister reg(Store());
  BareSelect bare;
  std::vector<double> reads, selects;
  for (auto _ : state) {
    const auto start = Clock::now();
    for (int i = 0; i < kReadsPerRound; ++i)
      benchmark::DoNotOptimize(reg.myREGGetSetting(HKEY_LOCAL_MACHINE, kParameters, "MTU"));
    const auto read = Clock::now();
    for (int i = 0; i < kReadsPerRound; ++i)
      if (!bare.Run()) state.SkipWithError("the bare select found no row");
    const auto selected = Clock::now();
    reads.push_back(Seconds(read - start) / kReadsPerRound);
    selects.push_back(Seconds(selected - read) / kReadsPerRound);
    state.SetIterationTime(Seconds(selected - start));
  }
  const double read = Median(reads), select = Median(selects);
  // Reads per second over selects per second.
  g_readsOverSelects = read > 0 ? select / read : 0;
  state.counters["read_ns"] = read * 1e9;
  state.counters["select_ns"] = select * 1e9;
  state.counters["ratio"] = g_readsOverSelects;
}
BENCHMARK(BM_myREGGetSettingVsBareSelect)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_batchOverFsync > 0)
    std::cout << "batch of 25 SetRegistryValue / one fsync of 4 KiB: " << g_batchOverFsync << " (target <= 2)\n";
  if (g_readsOverSelects > 0)
    std::cout << "myREGGetSetting reads per second / bare prepared SELECTs per second: " << g_readsOverSelects
              << " (target >= 0.5)\n";
  return 0;
}
