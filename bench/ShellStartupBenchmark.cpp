// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the desktop program against a minimal Qt Widgets window holding a QQuickWidget
// with a trivial scene, both started the same way (offscreen, software rendering, folders of
// their own) and timed in turn within one loop until their first frame. The program's first
// start, which creates its registry store, is reported apart as "first_start_ms"; the timed
// starts find the store in place, as every later start does. Figures: "ratio" (target: at
// most 1.5) and the resident memory of each after start-up.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcessEnvironment>

#include "ProgramProbe.h"
#include "support/TempDir.h"

namespace {

QProcessEnvironment FreshEnvironment(const zf::test::TempDir& folder) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  const QString root = QString::fromStdString(folder.path().string());
  for (const char* name : {"run", "config", "data"}) QDir(root).mkpath(name);
  QFile::setPermissions(root + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("QT_QUICK_BACKEND", "software");
  env.insert("ZENTROFAST_STARTUP_PROBE", "1");
  env.insert("ZENTROFAST_REGISTRY", root + "/data/registry.sqlite3");
  env.insert("XDG_RUNTIME_DIR", root + "/run");
  env.insert("XDG_CONFIG_HOME", root + "/config");
  env.insert("XDG_DATA_HOME", root + "/data");
  env.remove("ZENTROFAST_HOME");
  return env;
}

// Milliseconds until the program showed its window; negative when it did not.
double FirstStart(const QProcessEnvironment& env) {
  zf::bench::ProbedProgram program(ZF_PROGRAM, {}, env);
  return program.MillisecondsUntil("shown");
}

void BM_StartupUntilShown(benchmark::State& state) {
  zf::test::TempDir folder;
  const QProcessEnvironment env = FreshEnvironment(folder);
  const double firstStartMs = FirstStart(env);
  if (firstStartMs < 0) {
    state.SkipWithError("zentrofast did not show its window");
    return;
  }
  double programMs = 0, minimalMs = 0, programRss = 0, minimalRss = 0;
  for (auto _ : state) {
    {
      zf::bench::ProbedProgram program(ZF_PROGRAM, {}, env);
      const double ms = program.MillisecondsUntil("shown");
      if (ms < 0) {
        state.SkipWithError("zentrofast did not show its window");
        return;
      }
      programMs += ms;
      programRss += zf::bench::ResidentMegabytes(program.Pid());
    }
    {
      zf::bench::ProbedProgram minimal(ZF_MINIMAL_WINDOW, {ZF_MINIMAL_SCENE}, env);
      const double ms = minimal.MillisecondsUntil("shown");
      if (ms < 0) {
        state.SkipWithError("the minimal window did not show");
        return;
      }
      minimalMs += ms;
      minimalRss += zf::bench::ResidentMegabytes(minimal.Pid());
    }
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["first_start_ms"] = firstStartMs;
  state.counters["program_ms"] = programMs / runs;
  state.counters["minimal_ms"] = minimalMs / runs;
  state.counters["ratio"] = programMs / minimalMs;
  state.counters["program_rss_MiB"] = programRss / runs;
  state.counters["minimal_rss_MiB"] = minimalRss / runs;
}
BENCHMARK(BM_StartupUntilShown)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
