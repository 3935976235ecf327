// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One connection test at a time: zentrofastctl measures in a child process (so the desktop
// never loads libiperf or libcurl), its progress estimated from the time it has run, Cancel
// ends it, and its answer read into an outcome.
#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QTimer>

#include "screens/ConnectionTestAnswer.h"

namespace zf {

struct ConnectionTestSetup {
  QString program;  // the zentrofastctl to run
  int seconds = 5;  // of the throughput stream
  // The round trip and path MTU probes before the stream, for the estimate.
  int probeSeconds = 2;
  // Beyond the estimate before the test counts as hung: probes of an unanswering host time out.
  int graceSeconds = 45;
  int tickMilliseconds = 200;
};

// zentrofastctl beside the desktop program, as the other private programs are found.
QString MeasuringProgramFor(const QString& executableFolder);

class ConnectionTestRun : public QObject {
  Q_OBJECT

 public:
  explicit ConnectionTestRun(ConnectionTestSetup setup, QObject* parent = nullptr);
  ~ConnectionTestRun() override;

  // Starts a test of target. A target that cannot be measured as written ends the test at once
  // (Finished is emitted before this returns); false then, and while a test runs.
  bool Start(const QString& target);
  // Ends a running test; its outcome says it was cancelled.
  void Cancel();

  bool running() const { return m_process != nullptr; }
  // 0 to 1: estimated while running, 1 once finished.
  double progress() const { return m_progress; }
  const ConnectionTestOutcome& outcome() const { return m_outcome; }

 signals:
  void Progressed(double fraction);
  void Finished();

 private:
  void Tick();
  void ProcessEnded(int exitCode, QProcess::ExitStatus status);
  void ProcessError(QProcess::ProcessError error);
  // Stops the child, waits for it and ends the test with outcome.
  void End(ConnectionTestOutcome outcome);
  void StopChild();

  ConnectionTestSetup m_setup;
  QProcess* m_process = nullptr;
  QTimer m_tick;
  QElapsedTimer m_clock;
  double m_progress = 0;
  ConnectionTestOutcome m_outcome;
};

}  // namespace zf
