// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SqliteDb.h"

#include <sqlite3.h>

namespace zf {

SqlStatement::~SqlStatement() {
  if (m_statement == nullptr) return;
  sqlite3_reset(m_statement);
  sqlite3_clear_bindings(m_statement);
}

SqlStatement& SqlStatement::Bind(int index, std::int64_t value) {
  sqlite3_bind_int64(m_statement, index, value);
  return *this;
}

SqlStatement& SqlStatement::Bind(int index, std::string_view text) {
  // An empty view may have no data pointer, which SQLite would store as NULL: the default value's
  // empty name is still a name.
  sqlite3_bind_text(m_statement, index, text.data() == nullptr ? "" : text.data(), static_cast<int>(text.size()),
                    SQLITE_STATIC);
  return *this;
}

SqlStatement& SqlStatement::Bind(int index, const std::vector<std::uint8_t>& bytes) {
  // A zero-length blob, not NULL: an empty value is still a value.
  sqlite3_bind_blob(m_statement, index, bytes.empty() ? "" : static_cast<const void*>(bytes.data()),
                    static_cast<int>(bytes.size()), SQLITE_STATIC);
  return *this;
}

int SqlStatement::Step() { return m_statement == nullptr ? SQLITE_MISUSE : sqlite3_step(m_statement); }

std::int64_t SqlStatement::Int(int column) const { return sqlite3_column_int64(m_statement, column); }

std::string SqlStatement::Text(int column) const {
  const auto* text = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
  return text == nullptr ? std::string()
                         : std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)));
}

std::vector<std::uint8_t> SqlStatement::Bytes(int column) const {
  const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(m_statement, column));
  if (bytes == nullptr) return {};
  return std::vector<std::uint8_t>(bytes, bytes + sqlite3_column_bytes(m_statement, column));
}

SqliteDb::~SqliteDb() { Close(); }

int SqliteDb::Open(const std::string& path, int flags) {
  Close();
  return sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr);
}

void SqliteDb::Close() {
  for (auto& [sql, statement] : m_statements) sqlite3_finalize(statement);
  m_statements.clear();
  sqlite3_close_v2(m_db);
  m_db = nullptr;
}

void SqliteDb::CloseWithoutCheckpoint() {
  if (m_db != nullptr) sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  Close();
}

sqlite3_stmt* SqliteDb::Prepared(const char* sql) {
  auto found = m_statements.find(sql);
  if (found != m_statements.end()) return found->second;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) return nullptr;
  m_statements.emplace(sql, statement);
  return statement;
}

int SqliteDb::Execute(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr); }

std::string SqliteDb::QueryText(const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK) return {};
  std::string text;
  if (sqlite3_step(statement) == SQLITE_ROW) {
    const auto* row = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    if (row != nullptr) text = row;
  }
  sqlite3_finalize(statement);
  return text;
}

std::string SqliteDb::Error() const { return m_db == nullptr ? "out of memory" : sqlite3_errmsg(m_db); }

int SqliteDb::ErrorCode() const { return m_db == nullptr ? SQLITE_NOMEM : sqlite3_errcode(m_db); }

int SqliteDb::Changes() const { return sqlite3_changes(m_db); }

}  // namespace zf
