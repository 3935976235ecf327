// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starts a program that reports its start-up on standard output (ZENTROFAST_STARTUP_PROBE),
// and reads what the kernel says about it.
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <fstream>
#include <sstream>
#include <string>

namespace zf::bench {

class ProbedProgram {
 public:
  ProbedProgram(const QString& program, const QStringList& arguments, const QProcessEnvironment& env) {
    m_process.setProcessEnvironment(env);
    m_clock.start();
    m_process.start(program, arguments);
  }
  ~ProbedProgram() {
    m_process.kill();
    m_process.waitForFinished(5000);
  }
  // Milliseconds from the start until the line came; negative when it never did.
  double MillisecondsUntil(const QString& line, int timeoutMs = 60000) {
    QString output;
    while (!output.split('\n').contains(line)) {
      if (m_process.state() == QProcess::NotRunning || m_clock.hasExpired(timeoutMs)) return -1;
      m_process.waitForReadyRead(5);
      output += QString::fromLocal8Bit(m_process.readAllStandardOutput());
    }
    return static_cast<double>(m_clock.nsecsElapsed()) / 1e6;
  }
  qint64 Pid() const { return m_process.processId(); }

 private:
  QProcess m_process;
  QElapsedTimer m_clock;
};

// Resident memory in MiB.
inline double ResidentMegabytes(qint64 pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0;
}

// User plus system CPU time in seconds.
inline double CpuSeconds(qint64 pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long long utime = 0, stime = 0;
  for (int index = 3; fields >> field; ++index) {
    if (index == 14) utime = std::stoll(field);
    if (index == 15) {
      stime = std::stoll(field);
      break;
    }
  }
  return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

}  // namespace zf::bench
