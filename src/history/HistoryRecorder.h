// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps echoes in memory and writes them as one transaction when enough have come or the first
// has waited long enough, and at the end: one durable commit per batch, not per echo.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/ConnectionHistory.h"
#include "core/Result.h"
#include "history/HistoryStore.h"
#include "platform/clock.h"

namespace zf {

struct BatchPolicy {
  std::size_t maxEchoes = 128;
  std::chrono::milliseconds maxDelay = std::chrono::minutes(5);
  // While the file cannot be written (the other program holds it too long), this many wait at
  // most; the oldest go first.
  std::size_t maxWaiting = 4096;
};

std::int64_t EpochMs(std::chrono::system_clock::time_point time);

class HistoryRecorder final : public IConnectionHistory {
 public:
  HistoryRecorder(HistoryStore& store, IClock& clock, BatchPolicy policy = {});
  ~HistoryRecorder() override;
  HistoryRecorder(const HistoryRecorder&) = delete;
  HistoryRecorder& operator=(const HistoryRecorder&) = delete;

  void RecordEcho(const EchoRecord& echo) override;
  // Writes the waiting echoes when maxEchoes wait or the first of them has waited maxDelay.
  void FlushIfDue();
  // Writes the waiting echoes now; they stay waiting when the write fails.
  Result<Done> Flush();
  // A measurement is rare and worth its own commit.
  Result<Done> RecordMeasurement(const MeasurementRecord& measurement);

  std::size_t Waiting() const { return m_waiting.size(); }
  HistoryStore& Store() { return m_store; }

 private:
  HistoryStore& m_store;
  IClock& m_clock;
  BatchPolicy m_policy;
  std::vector<EchoRecord> m_waiting;
  std::uint64_t m_firstWaitingTick = 0;
  std::uint64_t m_retryTick = 0;
};

}  // namespace zf
