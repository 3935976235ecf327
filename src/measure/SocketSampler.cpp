// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/Streams.h"

namespace zf::measure {
namespace {

constexpr double kRecentSeconds = 0.5;

double SecondsBetween(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

}  // namespace

void SocketSampler::Take(int fd) {
  const auto sample = ReadTcpInfo(fd);
  if (!sample) return;
  const Mark mark{std::chrono::steady_clock::now(), sample->bytesReceived};
  m_last = sample;
  if (!m_first) m_first = mark;
  m_recent.push_back(mark);
  while (m_recent.size() > 2 && SecondsBetween(m_recent[1].at, mark.at) >= kRecentSeconds) m_recent.pop_front();
}

std::optional<double> SocketSampler::BitsPerSecondSoFar() const {
  if (!m_first || m_recent.empty()) return std::nullopt;
  const double seconds = SecondsBetween(m_first->at, m_recent.back().at);
  if (seconds <= 0) return std::nullopt;
  return static_cast<double>(m_recent.back().bytes - m_first->bytes) * 8.0 / seconds;
}

void SocketSampler::Fill(StreamResult& result) const {
  result.lastSample = m_last;
  if (m_recent.size() < 2) return;
  // The rate over the last half second or more: what TCP delivered once it had settled.
  const double seconds = SecondsBetween(m_recent.front().at, m_recent.back().at);
  if (seconds >= kRecentSeconds)
    result.recentBitsPerSecond = static_cast<double>(m_recent.back().bytes - m_recent.front().bytes) * 8.0 / seconds;
}

}  // namespace zf::measure
