// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program on the 9x family: its processor probe must read the live counter, so the
// RAM booster's automatic freeing waits while the processor is busy.
#include <sys/resource.h>
#include <unistd.h>

#include <QTest>
#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ProgramRun.h"
#include "core/RegistrySettings.h"
#include "core/RegistryStore.h"
#include "memory/RamSettings.h"

using namespace zf::test;

namespace {

// A figure of /proc/PID/status in KiB ("VmHWM", the peak resident size; "VmRSS", the current
// one); -1 when unreadable.
long long StatusKiB(qint64 pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with(field + ":")) return std::stoll(line.substr(field.size() + 1));
  return -1;
}

// Keeps every processor busy while it lives, at the lowest priority so the program still runs.
class BusyProcessors {
 public:
  BusyProcessors() {
    for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
      m_threads.emplace_back([this] {
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
        while (!m_stop.load(std::memory_order_relaxed)) {
        }
      });
  }
  ~BusyProcessors() {
    m_stop = true;
    for (std::thread& thread : m_threads) thread.join();
  }

 private:
  std::atomic<bool> m_stop{false};
  std::vector<std::thread> m_threads;
};

}  // namespace

class NinetyXCpuGateTest : public QObject {
  Q_OBJECT

 private slots:
  void AutomaticFreeingWaitsWhileTheProcessorIsBusy() {
    ProgramFolders folders;
    {
      std::string error;
      auto store = zf::OpenRegistryStore(folders.Path("data").toStdString() + "/registry.sqlite3", &error);
      QVERIFY2(store, error.c_str());
      zf::RegistrySettings settings(*store);
      zf::RamSettings values;
      values.chkAutomatic = true;
      values.txtAlarm = "2147483647";  // memory is always below it
      values.txtFreeAlarm = "400";     // some 400 MB touched per freeing
      values.txtRunOnly = 1;           // free only below 1 % processor usage
      values.txtRetryOptimization = 1;
      zf::WriteRamSettings(settings, values);
    }
    BusyProcessors busy;
    ProgramRun program(folders, {QStringLiteral("ZENTROFAST_OS_VERSION=1.4.10")});
    QVERIFY2(program.WaitFor("shown", 120000), qPrintable(program.Lines().join('\n') + program.Errors()));
    QTest::qWait(3000);  // some thirty memory checks
    // A freeing touches 400 MB and hands them back: the peak would stand far above the rest.
    const long long peak = StatusKiB(program.Pid(), "VmHWM");
    const long long now = StatusKiB(program.Pid(), "VmRSS");
    QVERIFY(peak > 0 && now > 0);
    QVERIFY2(peak - now < 200 * 1024, qPrintable(QStringLiteral("peak %1 KiB, now %2 KiB").arg(peak).arg(now)));
  }
};

QTEST_GUILESS_MAIN(NinetyXCpuGateTest)
#include "NinetyXCpuGateTest.moc"
