// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/Measure.h"

#include <algorithm>
#include <thread>

#include "measure/SocketProbes.h"
#include "measure/Streams.h"
#include "measure/Target.h"

namespace zf::measure {

Figure MakeFigure(double value, std::string unit) { return Figure{value, std::move(unit), WallClock::now()}; }

namespace {

constexpr double kRoundTripShare = 0.1;
constexpr double kPathMtuShare = 0.05;
constexpr auto kProbeSpacing = std::chrono::milliseconds(100);
// An iperf3 server stops listening for a moment while it resets after each test (another
// client's, or a bare connect such as our own round-trip probe): a refusal is waited out, for up
// to two seconds from a server that answered earlier in this run and one second from one that
// has not answered yet, so that a port where nothing listens still fails soon.
constexpr auto kListenerBackSpacing = std::chrono::milliseconds(100);
constexpr int kListenerBackTries = 20;
constexpr int kFirstListenerTries = 10;

// Sleeps in slices; false when cancelled.
bool Pause(std::chrono::milliseconds length, const CancelFlag& cancel) {
  const auto end = std::chrono::steady_clock::now() + length;
  while (std::chrono::steady_clock::now() < end) {
    if (cancel.IsCancelled()) return false;
    std::this_thread::sleep_for(std::min(length, std::chrono::milliseconds(20)));
  }
  return !cancel.IsCancelled();
}

class Run {
 public:
  Run(const MeasureRequest& request, const ProgressFn& progress, const CancelFlag& cancel)
      : m_request(request), m_progress(progress), m_cancel(cancel) {}

  MeasureOutcome Go();

 private:
  MeasureOutcome Fail(FailureKind kind, Phrase text) { return MeasureOutcome{Failure(std::move(text)), kind}; }
  MeasureOutcome Cancelled() {
    return Fail(FailureKind::Cancelled,
                Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the measurement was cancelled")));
  }
  void Report(Stage stage, double fraction, std::optional<double> bps = std::nullopt) {
    if (m_progress) m_progress(Progress{stage, fraction, bps});
  }
  std::optional<MeasureOutcome> MeasureRoundTrip();
  std::optional<MeasureOutcome> MeasureStream();
  // True when a refusal may be waited out (and the pause was not cancelled).
  bool WaitForListener() {
    if (m_listenerWaits >= (m_serverAnswered ? kListenerBackTries : kFirstListenerTries)) return false;
    ++m_listenerWaits;
    return Pause(kListenerBackSpacing, m_cancel);
  }

  const MeasureRequest& m_request;
  const ProgressFn& m_progress;
  const CancelFlag& m_cancel;
  Target m_target;
  ResolvedAddress m_address;
  Measurement m_result;
  bool m_serverAnswered = false;
  int m_listenerWaits = 0;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::optional<MeasureOutcome> Run::MeasureRoundTrip() {
  std::vector<double> answered;
  int lost = 0;
  const int probes = std::max(m_request.rttProbes, 1);
  for (int i = 0; i < probes; ++i) {
    if (i > 0 && !Pause(kProbeSpacing, m_cancel)) return Cancelled();
    ConnectProbe probe = ProbeConnect(m_address, m_request.probeTimeout, m_cancel);
    while (probe.answer == ConnectProbe::Answer::Refused && WaitForListener())
      probe = ProbeConnect(m_address, m_request.probeTimeout, m_cancel);
    if (probe.answer == ConnectProbe::Answer::Refused && m_cancel.IsCancelled()) return Cancelled();
    switch (probe.answer) {
      case ConnectProbe::Answer::Cancelled: return Cancelled();
      case ConnectProbe::Answer::NoRoute:
        return Fail(FailureKind::NoRoute,
                    Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "no route to %1"), {m_address.text}));
      // Without a listener there is nothing to measure the stream against.
      case ConnectProbe::Answer::Refused:
        return Fail(
            FailureKind::Refused,
            Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "nothing listens at %1 port %2 (connection refused)"),
                           {m_address.text, std::to_string(m_target.port)}));
      case ConnectProbe::Answer::Accepted:
        m_serverAnswered = true;
        answered.push_back(probe.milliseconds);
        break;
      case ConnectProbe::Answer::NoAnswer:
        if (answered.empty() && i == 0)
          return Fail(
              FailureKind::Unreachable,
              Phrase::Format(
                  ZF_SHARED_TRANSLATABLE("zf::measure", "%1 does not answer on port %2 within %3 ms"),
                  {m_address.text, std::to_string(m_target.port), std::to_string(m_request.probeTimeout.count())}));
        ++lost;
        break;
    }
    Report(Stage::RoundTrip, kRoundTripShare * (i + 1) / probes);
  }
  m_result.rtt = MakeFigure(Median(answered), "ms");
  m_result.loss = MakeFigure(100.0 * lost / probes, "%");
  return std::nullopt;
}

std::optional<MeasureOutcome> Run::MeasureStream() {
  const double start = kRoundTripShare + kPathMtuShare;
  StreamRequest stream{
      m_target,
      m_address,
      m_request.seconds,
      m_request.probeTimeout,
      [this, start](double done, double bps) { Report(Stage::Throughput, start + (1 - start) * done, bps); },
      m_cancel};
  StreamFailure failure;
  const auto runStream = [&] {
    return m_target.kind == Target::Kind::Iperf3 ? RunIperfStream(stream, failure) : RunHttpStream(stream, failure);
  };
  auto result = runStream();
  while (!result && failure.kind == FailureKind::Refused && WaitForListener()) result = runStream();
  if (!result && m_cancel.IsCancelled()) return Cancelled();
  if (!result) return Fail(failure.kind, result.error().Message());
  m_result.throughput = MakeFigure(result->bitsPerSecond, "bit/s");
  m_result.streamSeconds = MakeFigure(result->seconds, "s");
  SocketFigures& socket = m_result.socket;
  if (result->lastSample) {
    if (result->lastSample->rttMs > 0) socket.smoothedRtt = MakeFigure(result->lastSample->rttMs, "ms");
    socket.receiveSpace = MakeFigure(result->lastSample->receiveSpace, "bytes");
  }
  if (result->recentBitsPerSecond) socket.deliveryRate = MakeFigure(*result->recentBitsPerSecond, "bit/s");
  if (result->senderRetransmissions)
    socket.retransmissions = MakeFigure(static_cast<double>(*result->senderRetransmissions), "count");
  return std::nullopt;
}

MeasureOutcome Run::Go() {
  if (m_request.seconds < 1 || m_request.seconds > kMaxSeconds)
    return Fail(FailureKind::BadTarget,
                Phrase::Format(ZF_SHARED_TRANSLATABLE("zf::measure", "the stream runs 1 to %1 seconds"),
                               {std::to_string(kMaxSeconds)}));
  auto target = ParseTarget(m_request.target);
  if (!target) return Fail(FailureKind::BadTarget, target.error().Message());
  m_target = std::move(target.value());
  auto address = Resolve(m_target.host, m_target.port);
  if (!address) return Fail(FailureKind::NoRoute, address.error().Message());
  m_address = std::move(address.value());
  m_result.target = m_request.target;
  m_result.address = m_address.text;
  m_result.port = m_target.port;
  m_result.method = m_target.kind == Target::Kind::Iperf3 ? "iperf3" : "http";

  if (auto failed = MeasureRoundTrip()) return std::move(*failed);
  const auto wait = std::clamp(std::chrono::milliseconds(static_cast<long long>(3 * m_result.rtt.value)),
                               std::chrono::milliseconds(100), std::chrono::milliseconds(1000));
  if (const auto mtu = ProbePathMtu(m_address, wait, m_cancel)) m_result.pathMtu = MakeFigure(*mtu, "bytes");
  if (m_cancel.IsCancelled()) return Cancelled();
  Report(Stage::PathMtu, kRoundTripShare + kPathMtuShare);
  if (auto failed = MeasureStream()) return std::move(*failed);
  Report(Stage::Done, 1.0, m_result.throughput.value);
  return MeasureOutcome{std::move(m_result), FailureKind::None};
}

}  // namespace

MeasureOutcome MeasureConnection(const MeasureRequest& request, const ProgressFn& progress, const CancelFlag& cancel) {
  return Run(request, progress, cancel).Go();
}

}  // namespace zf::measure
