// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The connection's history on disk: pinger echoes and connection-test measurements in a SQLite
// file of its own beside the registry store, so it stays readable while the store is locked.
// Writes come in batches, each one transaction; the oldest rows go once the bounds are passed.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/Config.h"
#include "core/ConnectionHistory.h"
#include "core/Result.h"

namespace zf {

class SqliteDb;

// One measurement of the connection test. The settings that were live are named by the backup
// of the tuning run that set them, or kOriginalSettings before any run.
struct MeasurementRecord {
  std::int64_t timeMs = 0;
  std::string target;
  std::optional<double> throughputBitsPerSecond;
  std::optional<double> roundTripMs;
  std::optional<double> lossPercent;
  std::string liveSettings;

  bool operator==(const MeasurementRecord&) const = default;
};

inline constexpr const char* kOriginalSettings = "originals";
inline constexpr const char* kHistoryFileName = "history.sqlite3";

struct HistoryLimits {
  std::chrono::milliseconds maxAge = std::chrono::hours(24 * 90);
  std::int64_t maxRows = 1'000'000;  // per kind of record
};

// Which echoes to read: [sinceMs, untilMs), one host or all.
struct EchoQuery {
  std::int64_t sinceMs = 0;
  std::int64_t untilMs = INT64_MAX;
  std::optional<std::string> host;
};

// history.sqlite3 in the registry store's folder.
std::filesystem::path HistoryFileFor(const Config& config);

class HistoryStore {
 public:
  ~HistoryStore();
  HistoryStore(const HistoryStore&) = delete;
  HistoryStore& operator=(const HistoryStore&) = delete;

  // Creates the file (mode 0600) and its folder when missing; refuses a file that is not a
  // history of this program, leaving it untouched.
  static Result<std::unique_ptr<HistoryStore>> Open(const std::filesystem::path& path, HistoryLimits limits = {});

  // Appends the echoes in one transaction, then drops what lies beyond the bounds as seen at nowMs.
  Result<Done> AppendEchoes(std::span<const EchoRecord> echoes, std::int64_t nowMs);
  Result<Done> AppendMeasurement(const MeasurementRecord& measurement, std::int64_t nowMs);

  // In time order.
  Result<std::vector<EchoRecord>> ReadEchoes(const EchoQuery& query);
  Result<std::vector<MeasurementRecord>> ReadMeasurements(std::int64_t sinceMs, std::int64_t untilMs = INT64_MAX);

  // Transactions this connection committed: the batching is counted here.
  std::uint64_t Commits() const { return m_commits; }
  // "ok" or SQLite's first finding.
  std::string IntegrityCheck();

 private:
  HistoryStore(std::unique_ptr<SqliteDb> db, HistoryLimits limits);
  Result<Done> Prune(std::int64_t nowMs);
  std::optional<std::int64_t>& EchoRows();
  Result<Done> Fail(const std::string& doing);

  std::unique_ptr<SqliteDb> m_db;
  HistoryLimits m_limits;
  std::uint64_t m_commits = 0;
  std::optional<std::int64_t> m_echoRows;
  std::string m_dataVersion;
};

}  // namespace zf
