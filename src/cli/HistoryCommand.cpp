// SPDX-License-Identifier: GPL-3.0-or-later
// zentrofastctl history: the pinger's echoes since a time, as summary lines or as rows to export.
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <ostream>

#include "cli/CliContext.h"
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

std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      quoted += escaped;
    } else {
      quoted += static_cast<char>(c);
    }
  }
  return quoted + "\"";
}

void PrintCsv(std::ostream& out, const std::vector<EchoRecord>& echoes) {
  out << "time,host,round_trip_ms,status\n";
  for (const EchoRecord& echo : echoes) {
    out << UtcTime(echo.timeMs) << "," << CsvField(echo.host) << ","
        << (echo.roundTripMs ? std::to_string(*echo.roundTripMs) : "") << "," << echo.status << "\n";
  }
}

void PrintJson(std::ostream& out, const std::vector<EchoRecord>& echoes) {
  out << "[";
  const char* separator = "\n";
  for (const EchoRecord& echo : echoes) {
    out << separator << "  {\"time\": " << JsonString(UtcTime(echo.timeMs)) << ", \"host\": " << JsonString(echo.host)
        << ", \"round_trip_ms\": " << (echo.roundTripMs ? std::to_string(*echo.roundTripMs) : "null")
        << ", \"status\": " << echo.status << "}";
    separator = ",\n";
  }
  out << (echoes.empty() ? "]\n" : "\n]\n");
}

int RunHistory(CliContext& context, const HistoryOptions& options) {
  if (options.csv && options.json) return context.UsageError("history takes --csv or --json, not both");
  const std::int64_t now = NowMs();
  const Result<std::int64_t> since = ParseSince(options.since, now);
  if (!since) return context.UsageError(since.error().text);
  const std::filesystem::path file = HistoryFileFor(context.config);
  std::vector<EchoRecord> echoes;
  // No file yet is an empty history, and reading does not make one.
  if (std::error_code ignored; std::filesystem::exists(file, ignored)) {
    auto store = HistoryStore::Open(file);
    if (!store) {
      context.err << "zentrofastctl: " << store.error().text << "\n";
      return kExitFailed;
    }
    auto read = (*store)->ReadEchoes({*since, now, options.host});
    if (!read) {
      context.err << "zentrofastctl: " << read.error().text << "\n";
      return kExitFailed;
    }
    echoes = std::move(*read);
  }
  if (options.csv) {
    PrintCsv(context.out, echoes);
  } else if (options.json) {
    PrintJson(context.out, echoes);
  } else {
    PrintSummaries(context.out, echoes, *since, now);
  }
  return kExitOk;
}

}  // namespace

void AddHistoryCommand(CLI::App& app, CommandTable& table) {
  auto options = std::make_shared<HistoryOptions>();
  CLI::App* history = app.add_subcommand(
      "history", "the pinger's echoes: a summary line per interval (min/median/p95 round trip, loss), or the rows");
  history->add_option("--since", options->since,
                      "1h, 1d, 7d (any number of m, h, d) or YYYY-MM-DD [HH:MM]; default 1d");
  history->add_option("--host", options->host, "only the echoes to this host");
  history->add_flag("--csv", options->csv, "every echo as a CSV row (times in UTC)");
  history->add_flag("--json", options->json, "every echo as a JSON object (times in UTC)");
  table[history] = [options](CliContext& context) { return RunHistory(context, *options); };
}

}  // namespace zf::cli
