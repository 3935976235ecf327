// SPDX-License-Identifier: GPL-3.0-or-later
#include "screens/StoredTargetMeasurer.h"

#include <cmath>
#include <utility>

namespace zf {

Result<figures::PathFacts> FactsOfOutcome(const ConnectionTestOutcome& outcome) {
  if (outcome.failure != TestFailure::None || !outcome.figures)
    return Failure(outcome.message.isEmpty() ? std::string("the measurement gave no figures")
                                             : outcome.message.toStdString());
  const ConnectionFigures& f = *outcome.figures;
  figures::PathFacts facts{f.throughputBps, f.rttMs, std::nullopt};
  if (f.pathMtuBytes) facts.pathMtu = static_cast<std::int32_t>(std::lround(*f.pathMtuBytes));
  return facts;
}

StoredTargetMeasurer::StoredTargetMeasurer(IRegistry& registry, ConnectionTestSetup setup, QObject* parent)
    : QObject(parent), m_registry(registry), m_seconds(setup.seconds), m_run(std::move(setup)) {
  connect(&m_run, &ConnectionTestRun::Finished, this, &StoredTargetMeasurer::Finished);
}

std::string StoredTargetMeasurer::StoredTarget() { return zf::StoredTarget(m_registry).trimmed().toStdString(); }

int StoredTargetMeasurer::MeasuringSeconds() const { return m_seconds + kMeasureOverheadSeconds; }

void StoredTargetMeasurer::Measure(const std::string& target, std::function<void(Result<figures::PathFacts>)> done) {
  m_done = std::move(done);
  // A target that cannot be measured ends the run at once, through Finished.
  m_run.Start(QString::fromStdString(target));
}

void StoredTargetMeasurer::Cancel() {
  m_done = nullptr;
  m_run.Cancel();
}

void StoredTargetMeasurer::Finished() {
  if (auto done = std::exchange(m_done, nullptr)) done(FactsOfOutcome(m_run.outcome()));
}

}  // namespace zf
