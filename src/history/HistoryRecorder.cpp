// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/HistoryRecorder.h"

namespace zf {

std::int64_t EpochMs(std::chrono::system_clock::time_point time) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

HistoryRecorder::HistoryRecorder(HistoryStore& store, IClock& clock, BatchPolicy policy)
    : m_store(store), m_clock(clock), m_policy(policy) {
  m_waiting.reserve(m_policy.maxEchoes);
}

HistoryRecorder::~HistoryRecorder() { (void)Flush(); }

void HistoryRecorder::RecordEcho(const EchoRecord& echo) {
  if (m_waiting.empty()) m_firstWaitingTick = m_clock.TickCount();
  if (m_waiting.size() >= m_policy.maxWaiting) m_waiting.erase(m_waiting.begin());
  m_waiting.push_back(echo);
  FlushIfDue();
}

void HistoryRecorder::FlushIfDue() {
  if (m_waiting.empty()) return;
  const std::uint64_t now = m_clock.TickCount();
  const auto waited = std::chrono::milliseconds(now - m_firstWaitingTick);
  const bool due = m_waiting.size() >= m_policy.maxEchoes || waited >= m_policy.maxDelay;
  if (due && now >= m_retryTick) (void)Flush();
}

Result<Done> HistoryRecorder::Flush() {
  if (m_waiting.empty()) return Done{};
  Result<Done> written = m_store.AppendEchoes(m_waiting, EpochMs(m_clock.Now()));
  if (written) {
    m_waiting.clear();
  } else {
    // Another try after a delay, not at every echo: each try may wait out the busy time-out.
    m_retryTick = m_clock.TickCount() + static_cast<std::uint64_t>(m_policy.maxDelay.count());
  }
  return written;
}

Result<Done> HistoryRecorder::RecordMeasurement(const MeasurementRecord& measurement) {
  return m_store.AppendMeasurement(measurement, EpochMs(m_clock.Now()));
}

}  // namespace zf
