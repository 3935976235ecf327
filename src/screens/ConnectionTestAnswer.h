// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The connection test as the desktop sees it: the measuring program's answer read into figures
// and a recommendation, the reasons a test ends without figures, and what the screen keeps in
// the store. The desktop never loads the measuring libraries: zentrofastctl measures.
#include <QByteArray>
#include <QString>
#include <optional>
#include <string_view>

#include "core/TcpSettings.h"
#include "platform/registry.h"

namespace zf {

struct ConnectionFigures {
  QString target;
  QString method;      // "iperf3" or "http"
  QString measuredAt;  // UTC, as the program wrote it: 2026-12-08T23:47:03Z
  double throughputBps = 0;
  double rttMs = 0;
  double lossPercent = 0;
  double streamSeconds = 0;
  std::optional<double> pathMtuBytes;
  std::optional<double> smoothedRttMs;  // from the measuring socket's TCP_INFO
  std::optional<double> deliveryRateBps;
  std::optional<double> retransmissions;
  std::optional<double> receiveSpaceBytes;
};

// The window, MTU and MSS the measurement suggests, and the values they would replace.
struct ConnectionRecommendation {
  std::int32_t RWIN = 0;
  std::int32_t MTU = 0;
  std::int32_t MSS = 0;
  bool mtuFromPath = false;
  std::optional<double> capBps;  // what the window allows one connection at the measured RTT
  QString replacedValues;        // "the LAN values"
  std::int32_t replacedRwin = 0;
  std::optional<double> replacedCapBps;
};

enum class TestFailure {
  None,
  NoTarget,           // the box is empty
  BadTarget,          // not iperf3://HOST[:PORT] nor an http(s) address, or the program refused it
  ProgramMissing,     // zentrofastctl could not be started
  MeasurementFailed,  // the program measured and failed: unreachable, refused, busy, TLS, 404 …
  UnreadableAnswer,   // it said it succeeded but its answer holds no figures
  TimedOut,
  Cancelled,
};

struct ConnectionTestOutcome {
  TestFailure failure = TestFailure::None;
  QString message;  // for people; empty on success
  std::optional<ConnectionFigures> figures;
  std::optional<ConnectionRecommendation> recommendation;
  QByteArray answer;  // the JSON as received, what the store keeps as the last result
};

// A sentence when the target cannot be measured as written, else nothing.
std::optional<ConnectionTestOutcome> TargetProblem(const QString& target);

// The program's exit code and output (a crash counts as a failure whatever the code).
ConnectionTestOutcome ReadMeasureAnswer(bool crashed, int exitCode, const QByteArray& out, const QByteArray& err);

// "94.1 Mbit/s", "850 kbit/s", "2.50 Gbit/s".
QString RateText(double bitsPerSecond);
// The figures, one "name: value" line each, for the screen's figure boxes and the last result.
QString ThroughputText(const ConnectionFigures& figures);
QString RoundTripText(const ConnectionFigures& figures);
QString PathMtuText(const ConnectionFigures& figures);
QString TcpText(const ConnectionFigures& figures);
// "RWIN 262144, MTU 1500, MSS 1460: one connection up to 210 Mbit/s at 21 ms (the LAN values: 35 Mbit/s)".
QString RecommendationText(const ConnectionRecommendation& recommendation, const ConnectionFigures& figures);
// The settings record the recommendation means: the replaced values with its window, MTU and MSS.
TcpSettings RecommendedRecord(const ConnectionRecommendation& recommendation);

// The target box and the last answer, under the program's settings key.
QString StoredTarget(IRegistry& registry);
void StoreTarget(IRegistry& registry, const QString& target);
QByteArray StoredAnswer(IRegistry& registry);
void StoreAnswer(IRegistry& registry, const QByteArray& answer);

// The figures of the last stored answer, if a test ever succeeded.
std::optional<ConnectionFigures> LastMeasurement(IRegistry& registry);
// What a receive window would cap one connection at on the measured path: "Automatic-A would cap
// one connection at 1.7 Mbit/s; this connection measured 94 Mbit/s at 21 ms". Empty without a
// measurement.
QString CapLine(std::string_view name, std::int32_t rwin, const std::optional<ConnectionFigures>& measured);

}  // namespace zf
