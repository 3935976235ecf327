// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A thin layer over one SQLite connection: prepared statements kept for the connection's life,
// and a statement scope that always resets what it stepped.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace zf {

class SqlStatement {
 public:
  explicit SqlStatement(sqlite3_stmt* statement) : m_statement(statement) {}
  ~SqlStatement();
  SqlStatement(const SqlStatement&) = delete;
  SqlStatement& operator=(const SqlStatement&) = delete;

  // Parameters count from 1. The bound text and bytes must outlive the statement scope.
  SqlStatement& Bind(int index, std::int64_t value);
  SqlStatement& Bind(int index, std::string_view text);
  SqlStatement& Bind(int index, const std::vector<std::uint8_t>& bytes);

  // SQLITE_ROW, SQLITE_DONE or an error code.
  int Step();
  std::int64_t Int(int column) const;
  std::string Text(int column) const;
  std::vector<std::uint8_t> Bytes(int column) const;

 private:
  sqlite3_stmt* m_statement;
};

class SqliteDb {
 public:
  SqliteDb() = default;
  ~SqliteDb();
  SqliteDb(const SqliteDb&) = delete;
  SqliteDb& operator=(const SqliteDb&) = delete;

  // SQLITE_OK or the error code; Error() tells what went wrong.
  int Open(const std::string& path, int flags);
  // Closes without folding the write-ahead log into the file, which then stays as it was.
  void CloseWithoutCheckpoint();
  sqlite3* Handle() const { return m_db; }

  // A statement prepared on first use and kept. sql must be a string literal: its address is
  // the cache key. Null when it does not compile (Error() says why).
  sqlite3_stmt* Prepared(const char* sql);
  // Runs SQL without result rows (several statements allowed); SQLITE_OK or the error code.
  int Execute(const char* sql);
  // Runs one statement that yields one text column, such as a pragma; empty on failure.
  std::string QueryText(const char* sql);

  std::string Error() const;
  // The result code of the last failed call.
  int ErrorCode() const;
  int Changes() const;

 private:
  void Close();

  sqlite3* m_db = nullptr;
  std::unordered_map<const char*, sqlite3_stmt*> m_statements;
};

}  // namespace zf
