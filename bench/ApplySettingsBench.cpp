// SPDX-License-Identifier: GPL-3.0-or-later
// ApplySettings (backup included) and RestoreSettingsBackup over the SQLite store on the NT
// layout with four interfaces, each timed against fsyncs of a 4 KiB file in the same folder,
// measured in the same iterations so disk speed and load cancel out. An apply makes three
// things durable (the backup file, its folder entry, the store's commit), so its yardstick is
// three fsyncs: ratio_to_3fsync (target: at most 1.5). A restore reads a file and commits once;
// its yardstick stays two fsyncs: ratio_to_2fsync.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/ApplySettings.h"
#include "core/Config.h"
#include "core/RegistrySettings.h"
#include "core/RegistryStore.h"
#include "core/TuningKeys.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Beside the program in the build tree: /tmp may be a RAM disk where fsync costs nothing.
class BenchFolder {
 public:
  BenchFolder() {
    std::string pattern = (zf::ExecutableFolder() / "zentrofast-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) m_path = pattern;
  }
  ~BenchFolder() {
    std::error_code ignored;
    if (!m_path.empty()) fs::remove_all(m_path, ignored);
  }
  const fs::path& path() const { return m_path; }

 private:
  fs::path m_path;
};

// Rewrites of a 4 KiB file, each made durable by fsync.
class FsyncProbe {
 public:
  explicit FsyncProbe(const fs::path& folder)
      : m_fd(::open((folder / "fsync-probe").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600)), m_block(4096, 'z') {}
  ~FsyncProbe() {
    if (m_fd >= 0) ::close(m_fd);
  }
  bool ok() const { return m_fd >= 0; }
  double FsyncsSeconds(int count) {
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
      m_block[0] = static_cast<char>('a' + i);
      if (::pwrite(m_fd, m_block.data(), m_block.size(), 0) != static_cast<ssize_t>(m_block.size())) return -1;
      if (::fsync(m_fd) != 0) return -1;
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
  }

 private:
  int m_fd;
  std::string m_block;
};

template <typename F>
double Seconds(F&& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A store laid out as a machine with four network interfaces and some values already set.
std::unique_ptr<zf::IRegistry> FourInterfaceStore(const fs::path& folder, std::string* error) {
  auto registry = zf::OpenRegistryStore(folder / "registry.sqlite3", error);
  if (!registry) return nullptr;
  registry->DeleteKey(zf::HKEY_LOCAL_MACHINE, zf::kInterfacesKey);
  zf::RegFunctions functions(*registry);
  const char* interfaces[] = {"{0A1B2C3D-0000-4000-8000-000000000001}", "{0A1B2C3D-0000-4000-8000-000000000002}",
                              "{0A1B2C3D-0000-4000-8000-000000000003}", "{0A1B2C3D-0000-4000-8000-000000000004}"};
  for (const char* name : interfaces)
    functions.SetRegistryValue(zf::HKEY_LOCAL_MACHINE, zf::SubkeyPath(zf::kInterfacesKey, name), "MTU", zf::REG_DWORD,
                               1500, false);
  functions.SetRegistryValue(zf::HKEY_LOCAL_MACHINE, zf::kTcpipParametersKey, "DefaultTTL", zf::REG_DWORD, 128, false);
  return registry;
}

struct Setup {
  BenchFolder folder;
  std::unique_ptr<zf::IRegistry> registry;
  zf::SystemClock clock;
  std::string error;

  bool Ready(benchmark::State& state) {
    if (folder.path().empty()) error = "cannot create a folder below " + zf::ExecutableFolder().string();
    if (error.empty()) registry = FourInterfaceStore(folder.path(), &error);
    if (!registry) state.SkipWithError(error.c_str());
    return registry != nullptr;
  }
  zf::TuningContext Context() { return {*registry, clock, folder.path() / "Backups", 7}; }
};

constexpr int kApplyFsyncs = 3;
constexpr int kRestoreFsyncs = 2;

void Report(benchmark::State& state, int fsyncCount, double workSeconds, double fsyncSeconds) {
  const std::string count = std::to_string(fsyncCount);
  state.counters["ratio_to_" + count + "fsync"] = workSeconds / fsyncSeconds;
  state.counters["fsyncs_ms"] = fsyncSeconds * 1000 / static_cast<double>(state.iterations());
}

void BM_ApplySettingsNT4Interfaces(benchmark::State& state) {
  Setup setup;
  if (!setup.Ready(state)) return;
  FsyncProbe probe(setup.folder.path());
  // Two profiles in turn, so that every apply really changes the values it writes.
  const zf::TcpSettings settings[] = {zf::Profiles()[4], zf::Profiles()[3]};
  double work = 0, fsyncs = 0;
  int turn = 0;
  for (auto _ : state) {
    fsyncs += probe.FsyncsSeconds(kApplyFsyncs);
    zf::ApplyResult result;
    const zf::TcpSettings& next = settings[turn++ % 2];
    const double seconds = Seconds([&] { result = zf::ApplySettings(setup.Context(), next); });
    if (!result.ok()) {
      state.SkipWithError(result.reason.c_str());
      return;
    }
    work += seconds;
    state.SetIterationTime(seconds);
    fs::remove(result.backupFile);  // keeps the numbering at 001 however long the run
  }
  Report(state, kApplyFsyncs, work, fsyncs);
}

void BM_RestoreSettingsBackupNT4Interfaces(benchmark::State& state) {
  Setup setup;
  if (!setup.Ready(state)) return;
  FsyncProbe probe(setup.folder.path());
  // Two backups holding different values, restored in turn, so that every restore changes them.
  fs::path backups[2];
  for (int i = 0; i < 2; ++i) {
    const zf::ApplyResult applied = zf::ApplySettings(setup.Context(), zf::Profiles()[4 - i]);
    if (!applied.ok()) {
      state.SkipWithError(applied.reason.c_str());
      return;
    }
    backups[i] = applied.backupFile;
  }
  double work = 0, fsyncs = 0;
  int turn = 0;
  for (auto _ : state) {
    fsyncs += probe.FsyncsSeconds(kRestoreFsyncs);
    zf::RestoreResult result;
    const fs::path& next = backups[turn++ % 2];
    const double seconds = Seconds([&] { result = zf::RestoreSettingsBackup(*setup.registry, 7, next); });
    if (result.outcome != zf::RestoreOutcome::Completed) {
      state.SkipWithError(result.description.c_str());
      return;
    }
    work += seconds;
    state.SetIterationTime(seconds);
  }
  Report(state, kRestoreFsyncs, work, fsyncs);
}

BENCHMARK(BM_ApplySettingsNT4Interfaces)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RestoreSettingsBackupNT4Interfaces)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
