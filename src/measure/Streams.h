// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One TCP stream downloading for a while, through libiperf or libcurl.
#include <deque>
#include <functional>
#include <optional>
#include <string>

#include "measure/MeasureTypes.h"
#include "measure/SocketProbes.h"
#include "measure/Target.h"

namespace zf::measure {

struct StreamRequest {
  const Target& target;
  const ResolvedAddress& address;
  int seconds = 5;
  std::chrono::milliseconds connectTimeout{2000};
  std::function<void(double doneFraction, double bitsPerSecond)> progress;
  const CancelFlag& cancel;
};

struct StreamResult {
  double bitsPerSecond = 0;
  double seconds = 0;
  std::optional<TcpInfoSample> lastSample;    // the measuring socket's TCP_INFO near the end
  std::optional<double> recentBitsPerSecond;  // between the last two samples
  std::optional<long long> senderRetransmissions;
};

struct StreamFailure {
  FailureKind kind = FailureKind::Failed;
  Phrase text;
};

// Fills `failure` and returns an error when the stream could not run.
Result<StreamResult> RunIperfStream(const StreamRequest& request, StreamFailure& failure);
Result<StreamResult> RunHttpStream(const StreamRequest& request, StreamFailure& failure);

// Keeps the last two TCP_INFO samples of the measuring socket.
class SocketSampler {
 public:
  void Take(int fd);
  void Fill(StreamResult& result) const;
  std::optional<double> BitsPerSecondSoFar() const;

 private:
  struct Mark {
    std::chrono::steady_clock::time_point at;
    std::uint64_t bytes = 0;
  };
  std::optional<TcpInfoSample> m_last;
  std::optional<Mark> m_first;
  std::deque<Mark> m_recent;  // the last two seconds
};

}  // namespace zf::measure
