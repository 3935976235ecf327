// SPDX-License-Identifier: GPL-3.0-or-later
// zentrofastctl measure TARGET [--seconds N] [--json] [--recommend [--apply]]: the connection test
// from the command line, and tuning values from what it measured.
#include <CLI/CLI.hpp>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/CliContext.h"
#include "cli/CliText.h"
#include "cli/JsonOutput.h"
#include "cli/MeasurementHistory.h"
#include "core/Translatable.h"
#include "measure/Measure.h"
#include "measure/Recommend.h"

namespace zf::cli {
namespace {

struct MeasureOptions {
  std::string target;
  int seconds = 5;
  bool json = false;
  bool failureJson = false;
  bool recommend = false;
  bool apply = false;
};

// A recommendation starts from the advanced editor's values for a LAN connection: they are the
// modern profile's values (Automatic-E) for everything the measurement says nothing about.
constexpr int kStartConnectionType = 3;

// The values a recommendation starts from, as the report names them (in English: it is a field's
// value) and as the apply's sentence names them (translated).
constexpr const char* kStartName = ZF_CLI_TRANSLATABLE("the advanced editor's values for a LAN connection");

std::string StartName() { return kStartName; }

const char* FailureName(measure::FailureKind kind) {
  switch (kind) {
    case measure::FailureKind::None: return "none";
    case measure::FailureKind::BadTarget: return "bad_target";
    case measure::FailureKind::NoRoute: return "no_route";
    case measure::FailureKind::Unreachable: return "unreachable";
    case measure::FailureKind::Refused: return "refused";
    case measure::FailureKind::ServerBusy: return "server_busy";
    case measure::FailureKind::TlsFailure: return "tls_failure";
    case measure::FailureKind::HttpStatus: return "http_status";
    case measure::FailureKind::Cancelled: return "cancelled";
    case measure::FailureKind::Failed: break;
  }
  return "failed";
}

// A value as a string; a format as its catalogue context, English format and arguments, so that
// the reader translates it whole in its own catalogue.
nlohmann::json PhraseJson(const Phrase& phrase) {
  if (!phrase.isFormat) return phrase.text;
  nlohmann::json arguments = nlohmann::json::array();
  for (const Phrase& argument : phrase.arguments) arguments.push_back(PhraseJson(argument));
  return {{"context", phrase.context}, {"format", phrase.text}, {"arguments", arguments}};
}

std::string TimeText(measure::WallClock::time_point at) {
  const std::time_t seconds = measure::WallClock::to_time_t(at);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string Rate(double bitsPerSecond) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f Mbit/s", bitsPerSecond / 1e6);
  return text;
}

std::string Number(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// Stable names, numbers as numbers, the unit in each name.
nlohmann::json ToJson(const measure::Measurement& m) {
  nlohmann::json json = {
      {"target", m.target},
      {"address", m.address},
      {"port", m.port},
      {"method", m.method},
      {"measured_at", TimeText(m.throughput.takenAt)},
      {"rtt_ms", m.rtt.value},
      {"loss_percent", m.loss.value},
      {"throughput_bps", m.throughput.value},
      {"stream_seconds", m.streamSeconds.value},
  };
  // Whole quantities (bytes, counts) print as integers.
  const auto optional = [](const std::optional<measure::Figure>& figure) {
    if (!figure) return nlohmann::json(nullptr);
    if (figure->unit == "bytes" || figure->unit == "count") return nlohmann::json(std::llround(figure->value));
    return nlohmann::json(figure->value);
  };
  json["path_mtu_bytes"] = optional(m.pathMtu);
  json["tcp"] = {{"smoothed_rtt_ms", optional(m.socket.smoothedRtt)},
                 {"delivery_rate_bps", optional(m.socket.deliveryRate)},
                 {"retransmissions", optional(m.socket.retransmissions)},
                 {"receive_space_bytes", optional(m.socket.receiveSpace)}};
  return json;
}

void PrintText(std::ostream& out, const measure::Measurement& m) {
  out << "Target:           " << m.target << " (" << m.address << " port " << m.port << ", " << m.method << ")\n";
  out << "Measured at:      " << TimeText(m.throughput.takenAt) << "\n";
  out << "Round trip:       " << Number(m.rtt.value, 1) << " ms (TCP connect), loss " << Number(m.loss.value, 0)
      << " %\n";
  out << "Path MTU:         " << (m.pathMtu ? Number(m.pathMtu->value, 0) + " bytes" : "unknown") << "\n";
  out << "Throughput:       " << Rate(m.throughput.value) << " (one TCP stream, " << Number(m.streamSeconds.value, 1)
      << " s)\n";
  if (m.socket.smoothedRtt) out << "TCP smoothed RTT: " << Number(m.socket.smoothedRtt->value, 1) << " ms\n";
  if (m.socket.deliveryRate) out << "Delivery rate:    " << Rate(m.socket.deliveryRate->value) << " (last 0.5 s)\n";
  if (m.socket.retransmissions)
    out << "Retransmissions:  " << Number(m.socket.retransmissions->value, 0) << " (by the sender)\n";
  if (m.socket.receiveSpace)
    out << "Receive space:    " << Number(m.socket.receiveSpace->value, 0) << " bytes (as the kernel grew it)\n";
}

nlohmann::json CapJson(std::int32_t rwin, double rttMs) {
  const auto cap = measure::CapBitsPerSecond(rwin, rttMs);
  return cap ? nlohmann::json(*cap) : nlohmann::json(nullptr);
}

nlohmann::json ToJson(const measure::Recommendation& r, const measure::PathFacts& facts, const TcpSettings& start) {
  nlohmann::json profiles = nlohmann::json::array();
  for (int i = 0; i < kProfileCount; ++i)
    profiles.push_back({{"index", i},
                        {"caption", ProfileCaption(i)},
                        {"rwin_bytes", Profiles()[i].RWIN},
                        {"cap_bps", CapJson(Profiles()[i].RWIN, facts.rttMs)}});
  return {{"rwin_bytes", r.RWIN},
          {"mtu_bytes", r.MTU},
          {"mss_bytes", r.MSS},
          {"mtu_from_path", r.mtuFromPath},
          {"bdp_bytes", std::llround(r.bdpBytes)},
          {"cap_bps", CapJson(r.RWIN, facts.rttMs)},
          {"replaces",
           {{"values", StartName()},
            {"rwin_bytes", start.RWIN},
            {"mtu_bytes", start.MTU},
            {"mss_bytes", start.MSS},
            {"cap_bps", CapJson(start.RWIN, facts.rttMs)}}},
          {"profiles", profiles}};
}

void PrintRecommendation(std::ostream& out, const measure::Recommendation& r, const measure::PathFacts& facts,
                         const TcpSettings& start) {
  out << "\nRecommended from " << measure::RateText(facts.bitsPerSecond) << " at " << measure::RttText(facts.rttMs)
      << ":\n";
  out << "  RWIN " << r.RWIN << " bytes (" << r.RWIN / r.MSS << " segments: twice the bandwidth-delay product of "
      << std::llround(r.bdpBytes) << " bytes)\n";
  out << "  MTU  " << r.MTU << (r.mtuFromPath ? " (the path MTU)" : " (kept: the path MTU is unknown)") << "\n";
  out << "  MSS  " << r.MSS << " (MTU - 40)\n";
  out << "It replaces " << StartName() << ": RWIN " << start.RWIN << ", MTU " << start.MTU << ", MSS " << start.MSS
      << ".\n";
  out << "  " << measure::CapSentence("The recommendation", r.RWIN, facts) << "\n";
  out << "  " << measure::CapSentence("The replaced values", start.RWIN, facts) << "\n";
  out << "Each profile at " << measure::RttText(facts.rttMs) << ":\n";
  for (int i = 0; i < kProfileCount; ++i)
    out << "  " << measure::CapSentence(ProfileCaption(i), Profiles()[i].RWIN, facts) << "\n";
}

int RunMeasure(CliContext& context, const MeasureOptions& options) {
  if (options.seconds < 1 || options.seconds > measure::kMaxSeconds)
    return context.UsageError(Say("--seconds wants a number from 1 to %1", measure::kMaxSeconds));
  measure::MeasureRequest request;
  request.target = options.target;
  request.seconds = options.seconds;
  measure::CancelFlag never;
  const auto outcome = measure::MeasureConnection(request, {}, never);
  RecordInHistory(context.config, outcome, context.err);
  if (!outcome.result) {
    const Error& error = outcome.result.error();
    if (options.failureJson)
      PrintJson(context.out, nlohmann::json{{"failure", FailureName(outcome.failure)},
                                            {"message", error.text},
                                            {"phrase", PhraseJson(error.Message())}});
    if (outcome.failure == measure::FailureKind::BadTarget) return context.UsageError(Say(error.Message()));
    context.err << "zentrofastctl: " << Say("the measurement failed: %1", Say(error.Message())) << "\n";
    return kExitFailed;
  }
  const measure::Measurement& measured = outcome.result.value();
  if (!options.recommend && !options.apply) {
    if (options.json)
      PrintJson(context.out, ToJson(measured));
    else
      PrintText(context.out, measured);
    return kExitOk;
  }
  const TcpSettings start = RecommendedSettings(kStartConnectionType);
  const measure::PathFacts facts = measure::FactsOf(measured);
  const measure::Recommendation recommendation = measure::Recommend(facts, start.MTU);
  if (options.json) {
    nlohmann::json json = ToJson(measured);
    json["recommendation"] = ToJson(recommendation, facts, start);
    PrintJson(context.out, json);
  } else {
    PrintText(context.out, measured);
    PrintRecommendation(context.out, recommendation, facts, start);
  }
  if (!options.apply) return kExitOk;
  // JSON readers get the figures alone on standard output; the apply's report goes beside them.
  CliContext applying(context.config, context.platform, options.json ? context.err : context.out, context.err);
  return ApplyTuning(applying, measure::WithRecommendation(start, recommendation),
                     Say("the recommendation from %1 (RWIN %2, MTU %3, MSS %4, the rest %5)", options.target,
                         recommendation.RWIN, recommendation.MTU, recommendation.MSS, Say(kStartName)));
}

}  // namespace

void AddMeasureCommand(CLI::App& app, CommandTable& table) {
  auto options = std::make_shared<MeasureOptions>();
  CLI::App* command =
      app.add_subcommand("measure", Say("Measure round trip, path MTU and the throughput of one TCP stream"));
  command->add_option("TARGET", options->target, Say("iperf3://HOST[:PORT] or the http(s) URL of a large file"))
      ->required();
  command->add_option("--seconds", options->seconds, Say("How long the stream runs (default 5)"))->type_name("N");
  command->add_flag("--json", options->json, Say("Print the figures as one JSON object (docs/JSON.md)"));
  command->add_flag("--failure-json", options->failureJson,
                    Say("On a failure, print it as one JSON object for programs (docs/JSON.md)"));
  command->add_flag("--recommend", options->recommend,
                    Say("Also recommend a receive window, MTU and MSS, and show what each profile allows"));
  command->add_flag("--apply", options->apply,
                    Say("Write the recommendation like `apply` does (a backup first); nothing when the measurement "
                        "fails"));
  table[command] = [options](CliContext& context) { return RunMeasure(context, *options); };
}

}  // namespace zf::cli
