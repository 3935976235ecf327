// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/ConnectionTestRun.h"

#include <QDir>
#include <algorithm>
#include <utility>

namespace zf {
namespace {

// The estimate stops short of the end: only the answer says the test is done.
constexpr double kMostBeforeAnswer = 0.95;

}  // namespace

QString MeasuringProgramFor(const QString& executableFolder) {
  return QDir(executableFolder).filePath(QStringLiteral("zentrofastctl"));
}

ConnectionTestRun::ConnectionTestRun(ConnectionTestSetup setup, QObject* parent)
    : QObject(parent), m_setup(std::move(setup)) {
  m_tick.setInterval(m_setup.tickMilliseconds);
  connect(&m_tick, &QTimer::timeout, this, &ConnectionTestRun::Tick);
}

// A test still running when the screen goes leaves no child behind.
ConnectionTestRun::~ConnectionTestRun() { StopChild(); }

bool ConnectionTestRun::Start(const QString& target) {
  if (running()) return false;
  m_progress = 0;
  if (std::optional<ConnectionTestOutcome> problem = TargetProblem(target)) {
    End(std::move(*problem));
    return false;
  }
  m_outcome = {};
  m_process = new QProcess(this);
  connect(m_process, &QProcess::finished, this, &ConnectionTestRun::ProcessEnded);
  connect(m_process, &QProcess::errorOccurred, this, &ConnectionTestRun::ProcessError);
  m_clock.start();
  m_tick.start();
  // The recommendation comes with the figures; nothing is applied by the program itself. A failure
  // comes as its English format and values, which the desktop translates in its own catalogue.
  m_process->start(m_setup.program, {QStringLiteral("measure"), target.trimmed(), QStringLiteral("--seconds"),
                                     QString::number(m_setup.seconds), QStringLiteral("--json"),
                                     QStringLiteral("--recommend"), QStringLiteral("--failure-json")});
  emit Progressed(m_progress);
  return true;
}

void ConnectionTestRun::Cancel() {
  if (running()) End({TestFailure::Cancelled, tr("The test was cancelled."), {}, {}, {}});
}

void ConnectionTestRun::Tick() {
  const double expected = m_setup.probeSeconds + m_setup.seconds;
  const double elapsed = static_cast<double>(m_clock.elapsed()) / 1000.0;
  if (elapsed > expected + m_setup.graceSeconds) {
    End({TestFailure::TimedOut,
         tr("The measurement did not finish within %1 seconds.").arg(expected + m_setup.graceSeconds),
         {},
         {},
         {}});
    return;
  }
  m_progress = std::min(elapsed / expected, kMostBeforeAnswer);
  emit Progressed(m_progress);
}

void ConnectionTestRun::ProcessEnded(int exitCode, QProcess::ExitStatus status) {
  if (!running()) return;
  End(ReadMeasureAnswer(status == QProcess::CrashExit, exitCode, m_process->readAllStandardOutput(),
                        m_process->readAllStandardError()));
}

void ConnectionTestRun::ProcessError(QProcess::ProcessError error) {
  if (error != QProcess::FailedToStart || !running()) return;
  End({TestFailure::ProgramMissing,
       tr("The measuring program %1 could not be started: %2").arg(m_setup.program, m_process->errorString()),
       {},
       {},
       {}});
}

void ConnectionTestRun::End(ConnectionTestOutcome outcome) {
  m_tick.stop();
  StopChild();
  m_outcome = std::move(outcome);
  m_progress = m_outcome.failure == TestFailure::None ? 1.0 : 0.0;
  emit Progressed(m_progress);
  emit Finished();
}

void ConnectionTestRun::StopChild() {
  QProcess* process = std::exchange(m_process, nullptr);
  if (process == nullptr) return;
  // Its last signals are not wanted; it may be the sender of the one being handled, so it goes
  // later (or with this object).
  process->disconnect(this);
  if (process->state() != QProcess::NotRunning) {
    process->kill();
    process->waitForFinished(2000);
  }
  process->deleteLater();
}

}  // namespace zf
