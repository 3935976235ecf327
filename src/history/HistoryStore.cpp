// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/HistoryStore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/SqliteDb.h"

namespace zf {
namespace fs = std::filesystem;
namespace {

constexpr std::uint32_t kApplicationId = 0x5A464849;  // "ZFHI" in the SQLite header
constexpr int kFormatVersion = 2;
// Format 1 kept the echo's time in a column with an index of its own; it is converted on open.
constexpr int kTimeIndexedFormat = 1;
// Long enough to outlast the other program's batch, short enough not to freeze the pinger.
constexpr int kBusyTimeoutMs = 5000;

// An echo's key is its time in ms shifted left by kSequenceBits, plus its place among the echoes
// of that millisecond: the table's own B-tree is then in time order, and recording an echo is a
// single B-tree insert with no time index beside it. 43 bits of ms last until the year 2248.
constexpr int kSequenceBits = 20;
constexpr std::int64_t kLatestTimeMs = (std::int64_t{1} << (63 - kSequenceBits)) - 1;
static_assert(kSequenceBits == 20 && kLatestTimeMs == 8796093022207, "the statements below spell these out");

constexpr const char* kEchoTable =
    "CREATE TABLE IF NOT EXISTS echo(key INTEGER PRIMARY KEY, host TEXT NOT NULL, round_trip_ms INTEGER,"
    " status INTEGER NOT NULL);";

constexpr const char* kMeasurementTable =
    "CREATE TABLE IF NOT EXISTS measurement(id INTEGER PRIMARY KEY, time_ms INTEGER NOT NULL,"
    " target TEXT NOT NULL, throughput_bps REAL, round_trip_ms REAL, loss_percent REAL,"
    " live_settings TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS measurement_time ON measurement(time_ms);";

// Inside the opening transaction, before kEchoTable: the echoes of format 1 keep their order.
constexpr const char* kFromTimeIndexedFormat =
    "ALTER TABLE echo RENAME TO echo_time_indexed;"
    "DROP INDEX IF EXISTS echo_time;"
    "CREATE TABLE echo(key INTEGER PRIMARY KEY, host TEXT NOT NULL, round_trip_ms INTEGER, status INTEGER NOT NULL);"
    "INSERT INTO echo(key, host, round_trip_ms, status)"
    " SELECT (max(0, min(time_ms, 8796093022207)) << 20)"
    "   + row_number() OVER (PARTITION BY max(0, min(time_ms, 8796093022207)) ORDER BY id) - 1,"
    "   host, round_trip_ms, status FROM echo_time_indexed;"
    "DROP TABLE echo_time_indexed;";

std::int64_t KeyOf(std::int64_t timeMs) { return std::clamp<std::int64_t>(timeMs, 0, kLatestTimeMs) << kSequenceBits; }
// The first key after every echo before timeMs.
std::int64_t KeyBefore(std::int64_t timeMs) { return timeMs > kLatestTimeMs ? INT64_MAX : KeyOf(timeMs); }

std::string Quoted(const fs::path& path) { return "\"" + path.string() + "\""; }

// Resets the statement however the scope is left.
class Stepping {
 public:
  explicit Stepping(sqlite3_stmt* statement) : m_statement(statement) {}
  ~Stepping() {
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
  }
  Stepping(const Stepping&) = delete;
  Stepping& operator=(const Stepping&) = delete;
  sqlite3_stmt* get() const { return m_statement; }

 private:
  sqlite3_stmt* m_statement;
};

void BindOptional(sqlite3_stmt* statement, int index, const std::optional<double>& value) {
  if (value) {
    sqlite3_bind_double(statement, index, *value);
  } else {
    sqlite3_bind_null(statement, index);
  }
}

std::optional<double> ColumnOptional(sqlite3_stmt* statement, int column) {
  if (sqlite3_column_type(statement, column) == SQLITE_NULL) return std::nullopt;
  return sqlite3_column_double(statement, column);
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text == nullptr ? std::string()
                         : std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// Makes the file only its owner may read, without following a link planted in its place.
Result<Done> CreatePrivateFile(const fs::path& path) {
  std::error_code failure;
  if (!path.parent_path().empty()) fs::create_directories(path.parent_path(), failure);
  if (failure) return Failure("cannot create the folder " + Quoted(path.parent_path()) + ": " + failure.message());
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return Failure("cannot open the history " + Quoted(path) + ": " + std::strerror(errno));
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  if (!regular) return Failure("the history " + Quoted(path) + " is not a regular file");
  return Done{};
}

// A file that holds anything but this program's history is refused, never changed. The format
// the file has, 0 for a new one.
Result<int> CheckIdentity(SqliteDb& db, const fs::path& path) {
  const std::string id = db.QueryText("PRAGMA application_id");
  if (id.empty()) return Failure("cannot read the history " + Quoted(path) + ": " + db.Error());
  if (id == std::to_string(kApplicationId)) {
    const std::string version = db.QueryText("PRAGMA user_version");
    if (version == std::to_string(kFormatVersion)) return kFormatVersion;
    if (version == std::to_string(kTimeIndexedFormat)) return kTimeIndexedFormat;
    return Failure("the history " + Quoted(path) + " was made by another version of Zentrofast; it was left untouched");
  }
  if (id != "0" || db.QueryText("SELECT count(*) FROM sqlite_schema") != "0")
    return Failure("the file " + Quoted(path) + " is not a Zentrofast history; it was left untouched");
  return 0;
}

int CountCommit(void* counter) {
  ++*static_cast<std::uint64_t*>(counter);
  return 0;  // let it commit
}

}  // namespace

fs::path HistoryFileFor(const Config& config) {
  const fs::path folder = config.registryFile.parent_path();
  return (folder.empty() ? config.dataFolder : folder) / kHistoryFileName;
}

HistoryStore::HistoryStore(std::unique_ptr<SqliteDb> db, HistoryLimits limits) : m_db(std::move(db)), m_limits(limits) {
  sqlite3_commit_hook(m_db->Handle(), CountCommit, &m_commits);
}

HistoryStore::~HistoryStore() = default;

Result<std::unique_ptr<HistoryStore>> HistoryStore::Open(const fs::path& path, HistoryLimits limits) {
  if (auto made = CreatePrivateFile(path); !made) return made.error();
  auto db = std::make_unique<SqliteDb>();
  if (db->Open(path.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW) != SQLITE_OK)
    return Failure("cannot open the history " + Quoted(path) + ": " + db->Error());
  sqlite3_busy_timeout(db->Handle(), kBusyTimeoutMs);
  const Result<int> format = CheckIdentity(*db, path);
  if (!format) return format.error();
  // The write-ahead log lets a reader in while another writes. A commit reaches the log without
  // an fsync of its own (the log is synced when folded back into the file): a crash of the program
  // loses nothing committed, a power cut at most the last batches, and the file stays sound.
  if (db->QueryText("PRAGMA journal_mode = WAL") != "wal" || db->Execute("PRAGMA synchronous = NORMAL") != SQLITE_OK)
    return Failure("cannot set up the history " + Quoted(path) + ": " + db->Error());
  const std::string identity =
      std::string("BEGIN IMMEDIATE; ") + (format.value() == kTimeIndexedFormat ? kFromTimeIndexedFormat : "") +
      "PRAGMA application_id = " + std::to_string(kApplicationId) +
      "; PRAGMA user_version = " + std::to_string(kFormatVersion) + "; " + kEchoTable + kMeasurementTable + " COMMIT;";
  if (db->Execute(identity.c_str()) != SQLITE_OK) {
    const std::string reason = db->Error();
    db->Execute("ROLLBACK");
    return Failure("cannot set up the history " + Quoted(path) + ": " + reason);
  }
  return std::unique_ptr<HistoryStore>(new HistoryStore(std::move(db), limits));
}

Result<Done> HistoryStore::Fail(const std::string& doing) {
  const std::string reason = m_db->Error();
  m_echoRows.reset();  // the rollback undoes what was counted
  if (!sqlite3_get_autocommit(m_db->Handle())) m_db->Execute("ROLLBACK");
  return Failure("cannot " + doing + " the history: " + reason);
}

Result<Done> HistoryStore::AppendEchoes(std::span<const EchoRecord> echoes, std::int64_t nowMs) {
  if (echoes.empty()) return Done{};
  sqlite3_stmt* insert = m_db->Prepared("INSERT INTO echo(key, host, round_trip_ms, status) VALUES(?1, ?2, ?3, ?4)");
  // The next free key of a millisecond that already has an echo: one seek to its newest key.
  sqlite3_stmt* nextKey = m_db->Prepared("SELECT key + 1 FROM echo WHERE key < ?1 ORDER BY key DESC LIMIT 1");
  if (insert == nullptr || nextKey == nullptr || m_db->Execute("BEGIN IMMEDIATE") != SQLITE_OK || !EchoRows())
    return Fail("write to");
  const auto append = [insert](const EchoRecord& echo, std::int64_t key) {
    Stepping row(insert);
    sqlite3_bind_int64(insert, 1, key);
    sqlite3_bind_text(insert, 2, echo.host.c_str(), static_cast<int>(echo.host.size()), SQLITE_STATIC);
    if (echo.roundTripMs) {
      sqlite3_bind_int64(insert, 3, *echo.roundTripMs);
    } else {
      sqlite3_bind_null(insert, 3);
    }
    sqlite3_bind_int64(insert, 4, echo.status);
    return sqlite3_step(insert);
  };
  for (const EchoRecord& echo : echoes) {
    const std::int64_t first = KeyOf(echo.timeMs);
    int step = append(echo, first);
    if (step == SQLITE_CONSTRAINT) {
      Stepping seek(nextKey);
      sqlite3_bind_int64(nextKey, 1, first + (std::int64_t{1} << kSequenceBits));
      if (sqlite3_step(nextKey) != SQLITE_ROW) return Fail("write to");
      step = append(echo, sqlite3_column_int64(nextKey, 0));
    }
    if (step != SQLITE_DONE) return Fail("write to");
  }
  *m_echoRows += static_cast<std::int64_t>(echoes.size());
  if (auto pruned = Prune(nowMs); !pruned) return pruned;
  if (m_db->Execute("COMMIT") != SQLITE_OK) return Fail("write to");
  return Done{};
}

Result<Done> HistoryStore::AppendMeasurement(const MeasurementRecord& measurement, std::int64_t nowMs) {
  sqlite3_stmt* insert = m_db->Prepared(
      "INSERT INTO measurement(time_ms, target, throughput_bps, round_trip_ms, loss_percent, live_settings)"
      " VALUES(?1, ?2, ?3, ?4, ?5, ?6)");
  if (insert == nullptr || m_db->Execute("BEGIN IMMEDIATE") != SQLITE_OK) return Fail("write to");
  {
    Stepping row(insert);
    sqlite3_bind_int64(insert, 1, measurement.timeMs);
    sqlite3_bind_text(insert, 2, measurement.target.c_str(), static_cast<int>(measurement.target.size()),
                      SQLITE_STATIC);
    BindOptional(insert, 3, measurement.throughputBitsPerSecond);
    BindOptional(insert, 4, measurement.roundTripMs);
    BindOptional(insert, 5, measurement.lossPercent);
    sqlite3_bind_text(insert, 6, measurement.liveSettings.c_str(), static_cast<int>(measurement.liveSettings.size()),
                      SQLITE_STATIC);
    if (sqlite3_step(insert) != SQLITE_DONE) return Fail("write to");
  }
  if (auto pruned = Prune(nowMs); !pruned) return pruned;
  if (m_db->Execute("COMMIT") != SQLITE_OK) return Fail("write to");
  return Done{};
}

// Inside a writing transaction: the echoes the table holds. Counted once, then kept by this
// connection's own writes; counted again when another program has written in between.
std::optional<std::int64_t>& HistoryStore::EchoRows() {
  const std::string version = m_db->QueryText("PRAGMA data_version");
  if (version.empty()) {
    m_echoRows.reset();
  } else if (!m_echoRows || version != m_dataVersion) {
    const std::string counted = m_db->QueryText("SELECT count(*) FROM echo");
    m_echoRows = counted.empty() ? std::nullopt : std::optional<std::int64_t>(std::stoll(counted));
    m_dataVersion = version;
  }
  return m_echoRows;
}

// Inside the writing transaction. Echoes go oldest first by time, measurements in the order they
// were written.
Result<Done> HistoryStore::Prune(std::int64_t nowMs) {
  const std::int64_t cutoff = nowMs - m_limits.maxAge.count();
  const auto run = [this](const char* sql, std::int64_t value) -> std::optional<std::int64_t> {
    sqlite3_stmt* statement = m_db->Prepared(sql);
    if (statement == nullptr) return std::nullopt;
    Stepping step(statement);
    sqlite3_bind_int64(statement, 1, value);
    if (sqlite3_step(statement) != SQLITE_DONE) return std::nullopt;
    return sqlite3_changes64(m_db->Handle());
  };
  std::optional<std::int64_t>& rows = EchoRows();
  const auto drop = [&](const char* sql, std::int64_t value) {
    const std::optional<std::int64_t> dropped = run(sql, value);
    if (dropped) *rows -= *dropped;
    return dropped.has_value();
  };
  const bool trimmed =
      rows && drop("DELETE FROM echo WHERE key < ?1", KeyBefore(cutoff + 1)) &&
      (*rows <= m_limits.maxRows ||
       drop("DELETE FROM echo WHERE key IN (SELECT key FROM echo ORDER BY key LIMIT ?1)", *rows - m_limits.maxRows)) &&
      run("DELETE FROM measurement WHERE time_ms <= ?1", cutoff) &&
      run("DELETE FROM measurement WHERE id <= (SELECT max(id) FROM measurement) - ?1", m_limits.maxRows);
  return trimmed ? Result<Done>(Done{}) : Fail("trim");
}

Result<std::vector<EchoRecord>> HistoryStore::ReadEchoes(const EchoQuery& query) {
  sqlite3_stmt* select = m_db->Prepared(
      "SELECT key >> 20, host, round_trip_ms, status FROM echo WHERE key >= ?1 AND key < ?2"
      " AND (?3 IS NULL OR host = ?3) ORDER BY key");
  if (select == nullptr) return Failure("cannot read the history: " + m_db->Error());
  Stepping rows(select);
  sqlite3_bind_int64(select, 1, KeyBefore(query.sinceMs));
  sqlite3_bind_int64(select, 2, KeyBefore(query.untilMs));
  if (query.host)
    sqlite3_bind_text(select, 3, query.host->c_str(), static_cast<int>(query.host->size()), SQLITE_STATIC);
  std::vector<EchoRecord> echoes;
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(select)) == SQLITE_ROW) {
    EchoRecord& echo = echoes.emplace_back();
    echo.timeMs = sqlite3_column_int64(select, 0);
    echo.host = ColumnText(select, 1);
    if (sqlite3_column_type(select, 2) != SQLITE_NULL)
      echo.roundTripMs = static_cast<std::uint32_t>(sqlite3_column_int64(select, 2));
    echo.status = static_cast<std::uint32_t>(sqlite3_column_int64(select, 3));
  }
  if (step != SQLITE_DONE) return Failure("cannot read the history: " + m_db->Error());
  return echoes;
}

Result<std::vector<MeasurementRecord>> HistoryStore::ReadMeasurements(std::int64_t sinceMs, std::int64_t untilMs) {
  sqlite3_stmt* select = m_db->Prepared(
      "SELECT time_ms, target, throughput_bps, round_trip_ms, loss_percent, live_settings FROM measurement"
      " WHERE time_ms >= ?1 AND time_ms < ?2 ORDER BY time_ms, id");
  if (select == nullptr) return Failure("cannot read the history: " + m_db->Error());
  Stepping rows(select);
  sqlite3_bind_int64(select, 1, sinceMs);
  sqlite3_bind_int64(select, 2, untilMs);
  std::vector<MeasurementRecord> measurements;
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(select)) == SQLITE_ROW) {
    measurements.push_back({sqlite3_column_int64(select, 0), ColumnText(select, 1), ColumnOptional(select, 2),
                            ColumnOptional(select, 3), ColumnOptional(select, 4), ColumnText(select, 5)});
  }
  if (step != SQLITE_DONE) return Failure("cannot read the history: " + m_db->Error());
  return measurements;
}

std::string HistoryStore::IntegrityCheck() {
  const std::string report = m_db->QueryText("PRAGMA integrity_check");
  return report.empty() ? m_db->Error() : report;
}

}  // namespace zf
