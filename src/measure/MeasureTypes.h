// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a connection test asks, reports while it runs, and hands back. Plain data: the desktop's
// screen and the command line show the same figures.
#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "core/Result.h"

namespace zf::measure {

using WallClock = std::chrono::system_clock;

// One measured quantity: its value, its unit ("ms", "bit/s", "bytes", "%", "count") and when it was taken.
struct Figure {
  double value = 0;
  std::string unit;
  WallClock::time_point takenAt;
};

Figure MakeFigure(double value, std::string unit);

// Why a measurement failed, for callers that branch; the outcome's text is for people.
enum class FailureKind {
  None,
  BadTarget,    // the target text is not iperf3://HOST[:PORT] or an http(s) URL
  NoRoute,      // no route to the host, or the name does not resolve
  Unreachable,  // the host does not answer
  Refused,      // the host answers but nothing listens on the port
  ServerBusy,   // an iperf3 server runs one test at a time
  TlsFailure,
  HttpStatus,  // the server answered with an HTTP error (404 …)
  Cancelled,
  Failed,  // anything else; the text says what
};

struct MeasureRequest {
  std::string target;  // iperf3://HOST[:PORT] or http(s)://…
  int seconds = 5;     // of the throughput stream, 1 to 60
  int rttProbes = 5;
  std::chrono::milliseconds probeTimeout{2000};  // for each connect, and for the first answer
};

enum class Stage { RoundTrip, PathMtu, Throughput, Done };

struct Progress {
  Stage stage = Stage::RoundTrip;
  double fraction = 0;                  // of the whole measurement, 0 to 1
  std::optional<double> throughputBps;  // so far, while the stream runs
};

// Called from the measuring threads, never two at a time; keep it short (post to the UI thread).
using ProgressFn = std::function<void(const Progress&)>;

// Set from any thread; the measurement notices within about 50 ms and cleans up before returning.
class CancelFlag {
 public:
  void Cancel() { m_cancelled.store(true); }
  bool IsCancelled() const { return m_cancelled.load(); }

 private:
  std::atomic<bool> m_cancelled{false};
};

// Figures from the measuring socket's TCP_INFO, taken at the end of the stream.
struct SocketFigures {
  std::optional<Figure> smoothedRtt;      // ms
  std::optional<Figure> deliveryRate;     // bit/s, the rate data last reached this socket
  std::optional<Figure> retransmissions;  // count, of the sending side where it is known
  std::optional<Figure> receiveSpace;     // bytes, the receive space the kernel grew to
};

struct Measurement {
  std::string target;   // as given
  std::string address;  // numeric, as measured
  int port = 0;
  std::string method;             // "iperf3" or "http"
  Figure rtt;                     // ms, median of the TCP connects that were answered
  Figure loss;                    // %, of the connects that got no answer
  std::optional<Figure> pathMtu;  // bytes
  Figure throughput;              // bit/s, of one TCP stream downloading
  Figure streamSeconds;           // s, how long the stream ran
  SocketFigures socket;
};

struct MeasureOutcome {
  Result<Measurement> result;
  FailureKind failure = FailureKind::None;
};

}  // namespace zf::measure
