// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Each measurement the command line makes (and so each of the desktop's connection test, which
// runs it as a child) goes into the connection's history with the settings that were live.
#include <ostream>

#include "core/Config.h"
#include "history/HistoryStore.h"
#include "measure/MeasureTypes.h"

namespace zf::cli {

// The history's row for a measurement, liveSettings naming the backup of the tuning run then in
// force or kOriginalSettings.
MeasurementRecord ToHistoryRecord(const measure::Measurement& measured, const std::string& liveSettings);

// Records a successful outcome in the history beside config's registry store; a failed one leaves
// the history alone. A history that cannot be written costs a warning on err, never the
// measurement itself.
void RecordInHistory(const Config& config, const measure::MeasureOutcome& outcome, std::ostream& err);

}  // namespace zf::cli
