// SPDX-License-Identifier: GPL-3.0-or-later
// zentrofastctl history: the pinger's echoes since a time, as summary lines or as rows to export.
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/CliContext.h"
#include "cli/CliText.h"
#include "cli/JsonOutput.h"
#include "history/HistorySince.h"
#include "history/HistoryStore.h"
#include "history/HistorySummary.h"

namespace zf::cli {
namespace {

enum class HistoryFormat { Summary, Csv, Json };

struct HistoryOptions {
  std::string since = "1d";
  std::optional<std::string> host;
  bool csv = false;
  bool json = false;
  bool measurements = false;
};

std::int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string LocalMinute(std::int64_t timeMs) {
  const std::time_t seconds = static_cast<std::time_t>(timeMs / 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
  return text;
}

std::string UtcTime(std::int64_t timeMs) {
  const std::time_t seconds = static_cast<std::time_t>(timeMs / 1000);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  char millis[8];
  std::snprintf(millis, sizeof millis, ".%03dZ", static_cast<int>(timeMs % 1000));
  return std::string(text) + millis;
}

std::string Milliseconds(const std::optional<std::uint32_t>& value) {
  return value ? std::to_string(*value) + " ms" : "-";
}

std::string Percent(const std::optional<double>& value) {
  if (!value) return "-";
  char text[16];
  std::snprintf(text, sizeof text, "%.1f %%", *value);
  return text;
}

void PrintSummaryLine(std::ostream& out, const std::string& label, const EchoSummary& summary) {
  out << label << "  ";
  if (summary.echoes == 0) {
    out << "no echoes\n";
    return;
  }
  out << "echoes " << summary.echoes << "  lost " << summary.lost << "  min " << Milliseconds(summary.minMs)
      << "  median " << Milliseconds(summary.medianMs) << "  p95 " << Milliseconds(summary.p95Ms) << "  loss "
      << Percent(summary.LossPercent()) << "\n";
}

void PrintSummaries(std::ostream& out, const std::vector<EchoRecord>& echoes, std::int64_t sinceMs,
                    std::int64_t nowMs) {
  const std::int64_t interval = SummaryIntervalMs(nowMs - sinceMs);
  for (const EchoSummary& summary : SummarizeIntervals(echoes, sinceMs, nowMs, interval))
    PrintSummaryLine(out, LocalMinute(summary.startMs), summary);
  PrintSummaryLine(out, "total           ", Summarize(echoes, sinceMs, nowMs));
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

void PrintCsv(std::ostream& out, const std::vector<EchoRecord>& echoes) {
  out << "time,host,round_trip_ms,status\n";
  for (const EchoRecord& echo : echoes) {
    out << UtcTime(echo.timeMs) << "," << CsvField(echo.host) << ","
        << (echo.roundTripMs ? std::to_string(*echo.roundTripMs) : "") << "," << echo.status << "\n";
  }
}

JsonObject EchoesJson(const std::vector<EchoRecord>& echoes) {
  JsonObject rows = JsonObject::array();
  for (const EchoRecord& echo : echoes)
    rows.push_back({{"time", UtcTime(echo.timeMs)},
                    {"host", echo.host},
                    {"round_trip_ms", echo.roundTripMs ? JsonObject(*echo.roundTripMs) : JsonObject(nullptr)},
                    {"status", echo.status}});
  return rows;
}

std::string OptionalNumber(const std::optional<double>& value) {
  if (!value) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", *value);
  return text;
}

JsonObject JsonNumber(const std::optional<double>& value) { return value ? JsonObject(*value) : JsonObject(nullptr); }

void PrintMeasurementsCsv(std::ostream& out, const std::vector<MeasurementRecord>& measurements) {
  out << "time,target,throughput_bps,rtt_ms,loss_percent,live_settings\n";
  for (const MeasurementRecord& m : measurements) {
    out << UtcTime(m.timeMs) << "," << CsvField(m.target) << "," << OptionalNumber(m.throughputBitsPerSecond) << ","
        << OptionalNumber(m.roundTripMs) << "," << OptionalNumber(m.lossPercent) << "," << CsvField(m.liveSettings)
        << "\n";
  }
}

JsonObject MeasurementsJson(const std::vector<MeasurementRecord>& measurements) {
  JsonObject rows = JsonObject::array();
  for (const MeasurementRecord& m : measurements)
    rows.push_back({{"time", UtcTime(m.timeMs)},
                    {"target", m.target},
                    {"throughput_bps", JsonNumber(m.throughputBitsPerSecond)},
                    {"rtt_ms", JsonNumber(m.roundTripMs)},
                    {"loss_percent", JsonNumber(m.lossPercent)},
                    {"live_settings", m.liveSettings}});
  return rows;
}

// The period asked for, in UTC like the rows.
JsonObject PeriodJson(std::int64_t sinceMs, std::int64_t nowMs) {
  return {{"since", UtcTime(sinceMs)}, {"until", UtcTime(nowMs)}};
}

// A figure with its decimals and unit, "-" when it was not measured.
std::string Figure(const std::optional<double>& value, double scale, int decimals, const char* unit) {
  if (!value) return std::string("- ") + unit;
  char text[32];
  std::snprintf(text, sizeof text, "%.*f %s", decimals, *value / scale, unit);
  return text;
}

void PrintMeasurementLines(std::ostream& out, const std::vector<MeasurementRecord>& measurements) {
  if (measurements.empty()) out << "no measurements\n";
  for (const MeasurementRecord& m : measurements) {
    out << LocalMinute(m.timeMs) << "  " << m.target << "  " << Figure(m.throughputBitsPerSecond, 1e6, 1, "Mbit/s")
        << "  rtt " << Figure(m.roundTripMs, 1, 1, "ms") << "  loss " << Figure(m.lossPercent, 1, 0, "%")
        << "  settings " << m.liveSettings << "\n";
  }
}

int PrintMeasurements(CliContext& context, const HistoryOptions& options, HistoryStore* store, std::int64_t sinceMs,
                      std::int64_t nowMs) {
  std::vector<MeasurementRecord> measurements;
  if (store != nullptr) {
    auto read = store->ReadMeasurements(sinceMs, nowMs);
    if (!read) {
      context.err << "zentrofastctl: " << read.error().text << "\n";
      return kExitFailed;
    }
    measurements = std::move(*read);
  }
  if (options.csv) {
    PrintMeasurementsCsv(context.out, measurements);
  } else if (options.json) {
    JsonObject json = PeriodJson(sinceMs, nowMs);
    json["measurements"] = MeasurementsJson(measurements);
    PrintJson(context.out, json);
  } else {
    PrintMeasurementLines(context.out, measurements);
  }
  return kExitOk;
}

int RunHistory(CliContext& context, const HistoryOptions& options) {
  if (options.csv && options.json) return context.UsageError(Say("history takes --csv or --json, not both"));
  if (options.measurements && options.host)
    return context.UsageError(Say("--host picks echoes; measurements have targets"));
  const std::int64_t now = NowMs();
  const Result<std::int64_t> since = ParseSince(options.since, now);
  if (!since) return context.UsageError(Say(since.error().text));
  const std::filesystem::path file = HistoryFileFor(context.config);
  std::vector<EchoRecord> echoes;
  std::unique_ptr<HistoryStore> store;
  // No file yet is an empty history, and reading does not make one.
  if (std::error_code ignored; std::filesystem::exists(file, ignored)) {
    auto opened = HistoryStore::Open(file);
    if (!opened) {
      context.err << "zentrofastctl: " << opened.error().text << "\n";
      return kExitFailed;
    }
    store = std::move(*opened);
  }
  if (options.measurements) return PrintMeasurements(context, options, store.get(), *since, now);
  if (store) {
    auto read = store->ReadEchoes({*since, now, options.host});
    if (!read) {
      context.err << "zentrofastctl: " << read.error().text << "\n";
      return kExitFailed;
    }
    echoes = std::move(*read);
  }
  if (options.csv) {
    PrintCsv(context.out, echoes);
  } else if (options.json) {
    JsonObject json = PeriodJson(*since, now);
    json["host"] = options.host ? JsonObject(*options.host) : JsonObject(nullptr);
    json["echoes"] = EchoesJson(echoes);
    PrintJson(context.out, json);
  } else {
    PrintSummaries(context.out, echoes, *since, now);
  }
  return kExitOk;
}

}  // namespace

void AddHistoryCommand(CLI::App& app, CommandTable& table) {
  auto options = std::make_shared<HistoryOptions>();
  CLI::App* history = app.add_subcommand(
      "history",
      Say("the pinger's echoes: a summary line per interval (min/median/p95 round trip, loss), or the rows"));
  history->add_option("--since", options->since,
                      Say("1h, 1d, 7d (any number of m, h, d) or YYYY-MM-DD [HH:MM]; default 1d"));
  history->add_option("--host", options->host, Say("only the echoes to this host"));
  history->add_flag("--csv", options->csv, Say("every echo as a CSV row (times in UTC)"));
  history->add_flag("--json", options->json,
                    Say("every echo (or measurement) as a row of one JSON object, times in UTC (docs/JSON.md)"));
  history->add_flag("--measurements", options->measurements,
                    Say("the connection test's measurements instead of the echoes: time, target, throughput, round "
                        "trip, loss and the settings then live (a backup's name or \"originals\")"));
  table[history] = [options](CliContext& context) { return RunHistory(context, *options); };
}

}  // namespace zf::cli
