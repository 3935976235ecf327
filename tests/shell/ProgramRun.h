// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real desktop program started offscreen in folders of its own, reporting its start-up on
// standard output (see StartupProbe).
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "support/TempDir.h"

namespace zf::test {

// The folders one test's programs share: registry store, runtime, configuration and data.
struct ProgramFolders {
  ProgramFolders() {
    for (const char* name : {"run", "config", "data", "home"}) QDir().mkpath(Path(name));
    QFile::setPermissions(Path("run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }
  QString Path(const char* name) const { return QString::fromStdString((root / name).string()); }

  QProcessEnvironment Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QT_QUICK_BACKEND", "software");
    env.insert("ZENTROFAST_STARTUP_PROBE", "1");
    env.insert("ZENTROFAST_REGISTRY", Path("data") + "/registry.sqlite3");
    env.insert("XDG_RUNTIME_DIR", Path("run"));
    env.insert("XDG_CONFIG_HOME", Path("config"));
    env.insert("XDG_DATA_HOME", Path("data"));
    env.insert("HOME", Path("home"));
    env.remove("ZENTROFAST_HOME");
    return env;
  }

  TempDir root;
};

class ProgramRun {
 public:
  // extra: more environment variables, NAME=VALUE.
  explicit ProgramRun(const ProgramFolders& folders, const QStringList& extra = {})
      : ProgramRun(folders.Environment(), extra, {}) {}
  // The program started with arguments in environment plus extra.
  ProgramRun(QProcessEnvironment environment, const QStringList& extra, const QStringList& arguments) {
    for (const QString& assignment : extra)
      environment.insert(assignment.section('=', 0, 0), assignment.section('=', 1));
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(qEnvironmentVariable("ZENTROFAST_BIN") + "/zentrofast", arguments);
  }
  ~ProgramRun() {
    if (m_process.state() != QProcess::NotRunning) {
      m_process.kill();
      m_process.waitForFinished(5000);
    }
  }

  // Waits for a line of the program's report; false when it ended or the time ran out first.
  bool WaitFor(const QString& line, int milliseconds = 30000) {
    QElapsedTimer timer;
    timer.start();
    while (!Lines().contains(line)) {
      if (m_process.state() == QProcess::NotRunning || timer.hasExpired(milliseconds)) return false;
      m_process.waitForReadyRead(100);
    }
    return true;
  }
  bool WaitForEnd(int milliseconds = 30000) {
    const bool ended = m_process.waitForFinished(milliseconds);
    Lines();
    return ended;
  }
  void Kill() {
    ::kill(static_cast<pid_t>(m_process.processId()), SIGKILL);
    m_process.waitForFinished(5000);
  }
  // One line on the program's standard input (the probe's commands).
  void Send(const QString& line) {
    m_process.write((line + '\n').toUtf8());
    m_process.waitForBytesWritten(1000);
  }
  // The first report line starting with prefix, waiting for it; empty when none came in time.
  QString WaitForPrefix(const QString& prefix, int milliseconds = 30000) {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
      for (const QString& line : Lines())
        if (line.startsWith(prefix)) return line;
      if (m_process.state() == QProcess::NotRunning || timer.hasExpired(milliseconds)) return {};
      m_process.waitForReadyRead(100);
    }
  }
  const QStringList& Lines() {
    m_output += QString::fromLocal8Bit(m_process.readAllStandardOutput());
    m_lines = m_output.split('\n', Qt::SkipEmptyParts);
    return m_lines;
  }
  QString Errors() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }
  bool Running() const { return m_process.state() == QProcess::Running; }
  qint64 Pid() const { return m_process.processId(); }
  int ExitCode() const { return m_process.exitCode(); }

 private:
  QProcess m_process;
  QString m_output;
  QStringList m_lines;
};

}  // namespace zf::test
