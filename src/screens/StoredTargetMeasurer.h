// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The connection test as other features measure: the target stored by the Connection Test
// screen, measured by zentrofastctl in a child process as the screen does.
#include <QObject>

#include "platform/registry.h"
#include "screens/ConnectionTestRun.h"
#include "ui/IConnectionMeasurer.h"

namespace zf {

using figures::kMeasureOverheadSeconds;

// The figures a comparison needs, from a finished test; what failed otherwise.
Result<figures::PathFacts> FactsOfOutcome(const ConnectionTestOutcome& outcome);

class StoredTargetMeasurer : public QObject, public IConnectionMeasurer {
  Q_OBJECT

 public:
  StoredTargetMeasurer(IRegistry& registry, ConnectionTestSetup setup, QObject* parent = nullptr);

  std::string StoredTarget() override;
  int MeasuringSeconds() const override;
  void Measure(const std::string& target, std::function<void(Result<figures::PathFacts>)> done) override;
  void Cancel() override;

 private:
  void Finished();

  IRegistry& m_registry;
  int m_seconds;
  ConnectionTestRun m_run;
  std::function<void(Result<figures::PathFacts>)> m_done;
};

}  // namespace zf
