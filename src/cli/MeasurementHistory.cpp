// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/MeasurementHistory.h"

#include "cli/CliText.h"
#include "history/HistoryRecorder.h"
#include "history/HistoryView.h"

namespace zf::cli {

MeasurementRecord ToHistoryRecord(const measure::Measurement& measured, const std::string& liveSettings) {
  return {EpochMs(measured.throughput.takenAt),
          measured.target,
          measured.throughput.value,
          measured.rtt.value,
          measured.loss.value,
          liveSettings};
}

void RecordInHistory(const Config& config, const measure::MeasureOutcome& outcome, std::ostream& err) {
  if (!outcome.result) return;
  const measure::Measurement& measured = outcome.result.value();
  const std::int64_t timeMs = EpochMs(measured.throughput.takenAt);
  const std::vector<TuningMark> marks = ReadTuningMarks(BackupsFolder(config));
  const MeasurementRecord record = ToHistoryRecord(measured, LiveSettingsAt(marks, timeMs));
  auto store = HistoryStore::Open(HistoryFileFor(config));
  Result<Done> written = store ? (*store)->AppendMeasurement(record, EpochMs(std::chrono::system_clock::now()))
                               : Result<Done>(store.error());
  if (!written)
    err << "zentrofastctl: " << Say("warning: the measurement was not kept in the history: %1", written.error().text)
        << "\n";
}

}  // namespace zf::cli
