// SPDX-License-Identifier: GPL-3.0-or-later
// Processor time the desktop program uses over 60 s while idle: started hidden in the tray
// (the start-up option), every screen loaded and its timers running. Figure: "cpu_percent" of
// one core (target: under 0.5), and the resident memory at the end. A hidden window needs a
// tray, so the program runs on a virtual display (xvfb-run) beside a tray that shows nothing.
// With pinger:1 the pinger is on, echoing 127.0.0.1 once a minute into the connection history.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcessEnvironment>
#include <QThread>
#include <cstdio>
#include <utility>
#include <vector>

#include "ProgramProbe.h"
#include "core/RegistrySettings.h"
#include "core/RegistryStore.h"
#include "support/TempDir.h"

namespace {

constexpr int kIdleSeconds = 60;

void BM_IdleHiddenInTray(benchmark::State& state) {
  for (auto _ : state) {
    zf::test::TempDir folder;
    const QString root = QString::fromStdString(folder.path().string());
    for (const char* name : {"run", "config", "data"}) QDir(root).mkpath(name);
    QFile::setPermissions(root + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const std::filesystem::path store = folder / "data" / "registry.sqlite3";
    {
      std::string error;
      auto registry = zf::OpenRegistryStore(store, &error);
      if (!registry) {
        state.SkipWithError(error.c_str());
        return;
      }
      zf::RegistrySettings settings(*registry);
      settings.SaveMachineSetting(zf::SettingsSection(zf::kSectionMainSettings), "chkRunProgramMini", "1");
      if (state.range(0) != 0) {
        const std::string pinger = zf::SettingsSection(zf::kSectionNetPinger);
        for (const auto& [name, value] : {std::pair{"chkDoPinging", "1"},
                                          {"optAuto", "false"},
                                          {"optManual", "true"},
                                          {"txtPingHost", "127.0.0.1"},
                                          {"cmbPingInterval", "0"}})
          settings.SaveMachineSetting(pinger, name, value);
      }
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QUICK_BACKEND", "software");
    env.insert("ZENTROFAST_STARTUP_PROBE", "1");
    env.insert("ZENTROFAST_REGISTRY", QString::fromStdString(store.string()));
    env.insert("XDG_RUNTIME_DIR", root + "/run");
    env.insert("XDG_CONFIG_HOME", root + "/config");
    env.insert("XDG_DATA_HOME", root + "/data");
    env.remove("ZENTROFAST_HOME");

    env.insert("QT_QPA_PLATFORM", "xcb");
    zf::bench::ProbedProgram tray(ZF_TRAY_HOST, {}, env);
    if (tray.MillisecondsUntil("ready", 10000) < 0) {
      state.SkipWithError("the tray host did not start");
      return;
    }
    zf::bench::ProbedProgram program(ZF_PROGRAM, {}, env);
    if (program.MillisecondsUntil("tray: balloon Program notification | The Program Still Running Here") < 0) {
      state.SkipWithError("zentrofast did not start hidden in the tray");
      return;
    }
    QThread::sleep(2);  // let start-up settle
    const double before = zf::bench::CpuSeconds(program.Pid());
    QThread::sleep(kIdleSeconds);
    const double used = zf::bench::CpuSeconds(program.Pid()) - before;
    state.counters["cpu_percent"] = 100.0 * used / kIdleSeconds;
    state.counters["rss_MiB"] = zf::bench::ResidentMegabytes(program.Pid());
  }
}
BENCHMARK(BM_IdleHiddenInTray)->ArgName("pinger")->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  // Without a display the benchmark runs itself again on a virtual one.
  if (qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::vector<char*> again{const_cast<char*>("xvfb-run"), const_cast<char*>("-a"), const_cast<char*>("-s"),
                             const_cast<char*>("-screen 0 1280x1024x24")};
    again.insert(again.end(), argv, argv + argc);
    again.push_back(nullptr);
    execvp("xvfb-run", again.data());
    std::perror("xvfb-run");
    return 1;
  }
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
