// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/RegistryStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/RegistryLimits.h"
#include "core/RegistryNames.h"

namespace zf {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE registry_keys(
  id INTEGER PRIMARY KEY,
  parent INTEGER REFERENCES registry_keys(id),
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  UNIQUE(parent, folded));
CREATE TABLE registry_values(
  key INTEGER NOT NULL REFERENCES registry_keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key, folded)) WITHOUT ROWID;
INSERT INTO registry_keys(id, parent, name, folded) VALUES(1, NULL, '', '');
)sql";

// The first layout kept each key's folded full path beside its name, unique and so indexed:
// a chain of deep keys with long names cost the square of its depth. The keys move to a table
// without it; the values stay where they are. Runs with foreign keys off, so that dropping the
// old table does not cascade into the values.
constexpr const char* kDropFullPaths = R"sql(
CREATE TABLE registry_keys_by_name(
  id INTEGER PRIMARY KEY,
  parent INTEGER REFERENCES registry_keys(id),
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  UNIQUE(parent, folded));
INSERT INTO registry_keys_by_name(id, parent, name, folded) SELECT id, parent, name, folded FROM registry_keys ORDER BY id;
DROP TABLE registry_keys;
ALTER TABLE registry_keys_by_name RENAME TO registry_keys;
)sql";

constexpr const char* kInsertHive = "INSERT INTO registry_keys(parent, name, folded) VALUES(1, ?1, ?1)";
constexpr const char* kFindChild = "SELECT id FROM registry_keys WHERE parent = ?1 AND folded = ?2";
constexpr const char* kInsertKey = "INSERT INTO registry_keys(parent, name, folded) VALUES(?1, ?2, ?3)";
// A key and everything below it, found through the parent links.
constexpr const char* kDeleteTree =
    "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM registry_keys k JOIN tree ON k.parent = tree.id) "
    "DELETE FROM registry_keys WHERE id IN tree";
constexpr const char* kQueryValue = "SELECT type, data FROM registry_values WHERE key = ?1 AND folded = ?2";
constexpr const char* kSetValue =
    "INSERT INTO registry_values(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
    "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data";
constexpr const char* kDeleteValue = "DELETE FROM registry_values WHERE key = ?1 AND folded = ?2";
constexpr const char* kEnumKey = "SELECT name FROM registry_keys WHERE parent = ?1 ORDER BY folded LIMIT 1 OFFSET ?2";
constexpr const char* kEnumValue = "SELECT name FROM registry_values WHERE key = ?1 ORDER BY folded LIMIT 1 OFFSET ?2";
constexpr const char* kBegin = "BEGIN IMMEDIATE";
constexpr const char* kBeginRead = "BEGIN";
constexpr const char* kCommit = "COMMIT";
constexpr const char* kRollback = "ROLLBACK";
constexpr const char* kSavepoint = "SAVEPOINT registry_write";
constexpr const char* kRelease = "RELEASE registry_write";
constexpr const char* kRollbackToSavepoint = "ROLLBACK TO registry_write";

constexpr HKEY kFirstHive = HKEY_CLASSES_ROOT;
constexpr std::int64_t kRootId = 1;  // the sentinel the hives hang under
// Long enough for the desktop program and the command-line tool to take turns at writing.
constexpr auto kBusyTimeout = std::chrono::seconds(10);
// Reads never see a snapshot older than this.
constexpr auto kSharedReadLimit = std::chrono::milliseconds(5);

LONG ReadStatus(int code) {
  switch (code & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return ERROR_SUCCESS;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return ERROR_BADDB;
    default: return ERROR_CANTREAD;
  }
}

LONG WriteStatus(int code) {
  switch (code & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE: return ERROR_SUCCESS;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    // The only constraints a write can break are the references to a key another
    // handle or process has deleted.
    case SQLITE_CONSTRAINT: return ERROR_KEY_DELETED;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return ERROR_BADDB;
    default: return ERROR_CANTWRITE;
  }
}

}  // namespace

RegistryStore::RegistryStore(std::unique_ptr<SqliteDb> db, bool readOnly, const std::filesystem::path& file)
    : m_db(std::move(db)), m_readOnly(readOnly), m_turns(readOnly ? std::filesystem::path() : file) {
  sqlite3_busy_handler(m_db->Handle(), &RegistryStore::OnBusy, this);
}

RegistryStore::~RegistryStore() {
  EndSharedRead();
  if (m_batchDepth > 0) Run(kRollback);
}

bool RegistryStore::CreateTables(SqliteDb& db, std::string* error) {
  bool ok = db.Execute("BEGIN IMMEDIATE") == SQLITE_OK && db.Execute(kSchema) == SQLITE_OK;
  for (HKEY hive = kFirstHive; ok && hive <= HKEY_DYN_DATA; ++hive) {
    SqlStatement insert(db.Prepared(kInsertHive));
    ok = insert.Bind(1, HiveName(hive)).Step() == SQLITE_DONE;
  }
  if (ok) ok = db.Execute("COMMIT") == SQLITE_OK;
  if (!ok) *error = db.Error();
  return ok;
}

bool RegistryStore::UpgradeTables(SqliteDb& db, std::string* error) {
  // Foreign keys can only be switched outside a transaction.
  if (db.Execute("PRAGMA foreign_keys = OFF") != SQLITE_OK || db.Execute("BEGIN IMMEDIATE") != SQLITE_OK) {
    *error = db.Error();
    db.Execute("PRAGMA foreign_keys = ON");
    return false;
  }
  // Another process may have upgraded the file while this one waited for its turn.
  bool ok = true;
  if (db.QueryText("PRAGMA user_version") == std::to_string(kFirstLayout)) {
    const std::string layout = "PRAGMA user_version = " + std::to_string(kLayout);
    ok = db.Execute(kDropFullPaths) == SQLITE_OK && db.Execute(layout.c_str()) == SQLITE_OK;
    if (ok && !db.QueryText("PRAGMA foreign_key_check").empty()) {
      *error = "a key or value refers to a key that is missing";
      ok = false;
    } else if (!ok) {
      *error = db.Error();
    }
  }
  if (ok && db.Execute("COMMIT") != SQLITE_OK) {
    *error = db.Error();
    ok = false;
  }
  if (!ok) db.Execute("ROLLBACK");
  db.Execute("PRAGMA foreign_keys = ON");
  return ok;
}

bool RegistryStore::Attach(std::string* error) {
  for (HKEY hive = kFirstHive; hive <= HKEY_DYN_DATA; ++hive) {
    KeyRef& ref = m_hives[hive - kFirstHive];
    ref.writable = !m_readOnly;
    if (FindChild(kRootId, std::string(HiveName(hive)), &ref.id) != ERROR_SUCCESS) {
      *error = "the hive " + std::string(HiveName(hive)) + " is missing";
      return false;
    }
  }
  return true;
}

const RegistryStore::KeyRef* RegistryStore::Find(HKEY key) const {
  if (IsPredefinedHive(key)) return &m_hives[key - kFirstHive];
  auto found = m_handles.find(key);
  return found == m_handles.end() ? nullptr : &found->second;
}

LONG RegistryStore::FindChild(std::int64_t parent, const std::string& folded, std::int64_t* id) {
  SqlStatement find(m_db->Prepared(kFindChild));
  const int code = find.Bind(1, parent).Bind(2, folded).Step();
  if (code == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
  if (code != SQLITE_ROW) return ReadStatus(code);
  *id = find.Int(0);
  return ERROR_SUCCESS;
}

LONG RegistryStore::FindKey(const KeyRef& base, const std::vector<std::string_view>& names, std::int64_t* id) {
  *id = base.id;
  for (std::string_view name : names) {
    const LONG status = FindChild(*id, FoldName(name), id);
    if (status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}

HKEY RegistryStore::NewHandle(std::int64_t id, std::size_t depth, bool writable) {
  const HKEY handle = m_nextHandle++;
  m_handles.emplace(handle, KeyRef{id, depth, writable});
  return handle;
}

int RegistryStore::Run(const char* sql) {
  SqlStatement statement(m_db->Prepared(sql));
  const int code = statement.Step();
  return code == SQLITE_DONE ? SQLITE_OK : code;
}

void RegistryStore::StartSharedRead() {
  if (m_sharedRead || m_batchDepth > 0) return;
  m_sharedRead = Run(kBeginRead) == SQLITE_OK;
  m_sharedReadStart = std::chrono::steady_clock::now();
}

void RegistryStore::EndSharedRead() {
  if (!m_sharedRead) return;
  m_sharedRead = false;
  if (Run(kCommit) != SQLITE_OK) Run(kRollback);
}

void RegistryStore::ExpireSharedRead() {
  if (m_sharedRead && std::chrono::steady_clock::now() - m_sharedReadStart > kSharedReadLimit) EndSharedRead();
}

int RegistryStore::OnBusy(void* self, int attempt) {
  auto& store = *static_cast<RegistryStore*>(self);
  const auto now = std::chrono::steady_clock::now();
  if (attempt == 0) {
    store.m_busySince = now;
    if (store.m_beginningWrite) store.m_turns.MarkWaiting();
  }
  const auto waited = now - store.m_busySince;
  if (waited >= kBusyTimeout) return 0;
  // Poll briefly at first: a writer that lets us go first waits only a few milliseconds.
  std::this_thread::sleep_for(waited < std::chrono::milliseconds(100) ? std::chrono::microseconds(200)
                                                                      : std::chrono::microseconds(2000));
  return 1;
}

int RegistryStore::BeginWrite() {
  m_turns.LetWaitersGoFirst();
  m_beginningWrite = true;
  const int code = Run(kBegin);
  m_beginningWrite = false;
  m_turns.ClearWaiting();
  return code;
}

template <class Body>
LONG RegistryStore::AtomicWrite(Statements statements, Body&& body) {
  EndSharedRead();
  if (m_batchDepth > 0 && statements == Statements::One) return body();  // atomic by itself
  const bool inBatch = m_batchDepth > 0;
  const int begun = inBatch ? Run(kSavepoint) : BeginWrite();
  if (begun != SQLITE_OK) return WriteStatus(begun);
  LONG status = body();
  if (status == ERROR_SUCCESS) {
    const int ended = Run(inBatch ? kRelease : kCommit);
    if (ended == SQLITE_OK) return ERROR_SUCCESS;
    status = WriteStatus(ended);
  }
  if (inBatch) {
    Run(kRollbackToSavepoint);
    Run(kRelease);
  } else {
    Run(kRollback);
  }
  return status;
}

LONG RegistryStore::CreatePath(const KeyRef& base, const std::vector<std::string_view>& names, std::int64_t* id) {
  *id = base.id;
  for (std::string_view name : names) {
    const std::string folded = FoldName(name);
    const std::int64_t parent = *id;
    const LONG found = FindChild(parent, folded, id);
    if (found == ERROR_SUCCESS) continue;
    if (found != ERROR_FILE_NOT_FOUND) return found;
    SqlStatement insert(m_db->Prepared(kInsertKey));
    const int code = insert.Bind(1, parent).Bind(2, name).Bind(3, folded).Step();
    if (code != SQLITE_DONE) return WriteStatus(code);
    *id = sqlite3_last_insert_rowid(m_db->Handle());
  }
  return ERROR_SUCCESS;
}

LONG RegistryStore::CreateKey(HKEY parent, std::string_view subKey, std::uint32_t, HKEY* result) {
  ExpireSharedRead();
  const KeyRef* base = Find(parent);
  if (base == nullptr) return ERROR_INVALID_HANDLE;
  if (m_readOnly) return m_writeRefusal;
  std::vector<std::string_view> names;
  if (!SplitKeyPath(subKey, &names)) return ERROR_INVALID_PARAMETER;
  std::int64_t id = 0;
  StartSharedRead();
  LONG status = FindKey(*base, names, &id);
  if (status == ERROR_FILE_NOT_FOUND && !KeyPathProblem(subKey, base->depth).empty()) status = ERROR_INVALID_PARAMETER;
  if (status == ERROR_FILE_NOT_FOUND)
    status = AtomicWrite(Statements::Several, [&] { return CreatePath(*base, names, &id); });
  if (status != ERROR_SUCCESS) {
    if (m_handles.empty()) EndSharedRead();
    return status;
  }
  *result = NewHandle(id, base->depth + names.size(), true);
  return ERROR_SUCCESS;
}

LONG RegistryStore::OpenKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) {
  ExpireSharedRead();
  const KeyRef* base = Find(parent);
  if (base == nullptr) return ERROR_INVALID_HANDLE;
  const bool writable = AccessWantsWrite(access);
  if (writable && m_readOnly) return ERROR_ACCESS_DENIED;
  std::vector<std::string_view> names;
  if (!SplitKeyPath(subKey, &names)) return ERROR_INVALID_PARAMETER;
  std::int64_t id = 0;
  StartSharedRead();
  const LONG status = FindKey(*base, names, &id);
  if (status != ERROR_SUCCESS) {
    if (m_handles.empty()) EndSharedRead();
    return status;
  }
  *result = NewHandle(id, base->depth + names.size(), writable);
  return ERROR_SUCCESS;
}

LONG RegistryStore::CloseKey(HKEY key) {
  if (IsPredefinedHive(key)) return ERROR_SUCCESS;
  if (m_handles.erase(key) == 0) return ERROR_INVALID_HANDLE;
  if (m_handles.empty()) EndSharedRead();
  return ERROR_SUCCESS;
}

LONG RegistryStore::QueryValue(HKEY key, std::string_view name, std::uint32_t* type, std::vector<std::uint8_t>* data) {
  ExpireSharedRead();
  const KeyRef* ref = Find(key);
  if (ref == nullptr) return ERROR_INVALID_HANDLE;
  const std::string folded = FoldName(name);
  SqlStatement query(m_db->Prepared(kQueryValue));
  const int code = query.Bind(1, ref->id).Bind(2, folded).Step();
  if (code == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
  if (code != SQLITE_ROW) return ReadStatus(code);
  if (type != nullptr) *type = static_cast<std::uint32_t>(query.Int(0));
  if (data != nullptr) *data = query.Bytes(1);
  return ERROR_SUCCESS;
}

LONG RegistryStore::SetValue(HKEY key, std::string_view name, std::uint32_t type,
                             const std::vector<std::uint8_t>& data) {
  const KeyRef* ref = Find(key);
  if (ref == nullptr) return ERROR_INVALID_HANDLE;
  if (!ref->writable) return m_readOnly ? m_writeRefusal : ERROR_ACCESS_DENIED;
  if (!ValueNameProblem(name).empty()) return ERROR_INVALID_PARAMETER;
  const std::int64_t id = ref->id;
  const std::string folded = FoldName(name);
  return AtomicWrite(Statements::One, [&] {
    SqlStatement set(m_db->Prepared(kSetValue));
    return WriteStatus(set.Bind(1, id).Bind(2, name).Bind(3, folded).Bind(4, std::int64_t{type}).Bind(5, data).Step());
  });
}

LONG RegistryStore::DeleteValue(HKEY key, std::string_view name) {
  const KeyRef* ref = Find(key);
  if (ref == nullptr) return ERROR_INVALID_HANDLE;
  if (!ref->writable) return m_readOnly ? m_writeRefusal : ERROR_ACCESS_DENIED;
  const std::int64_t id = ref->id;
  const std::string folded = FoldName(name);
  return AtomicWrite(Statements::One, [&] {
    SqlStatement remove(m_db->Prepared(kDeleteValue));
    const LONG status = WriteStatus(remove.Bind(1, id).Bind(2, folded).Step());
    if (status != ERROR_SUCCESS) return status;
    return m_db->Changes() == 0 ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
  });
}

LONG RegistryStore::DeleteKey(HKEY parent, std::string_view subKey) {
  const KeyRef* base = Find(parent);
  if (base == nullptr) return ERROR_INVALID_HANDLE;
  if (m_readOnly) return m_writeRefusal;
  std::vector<std::string_view> names;
  if (!SplitKeyPath(subKey, &names)) return ERROR_INVALID_PARAMETER;
  if (names.empty()) return ERROR_ACCESS_DENIED;  // a key cannot delete itself, nor a hive
  return AtomicWrite(Statements::Several, [&] {
    std::int64_t id = 0;
    const LONG found = FindKey(*base, names, &id);
    if (found != ERROR_SUCCESS) return found;
    SqlStatement remove(m_db->Prepared(kDeleteTree));
    return WriteStatus(remove.Bind(1, id).Step());
  });
}

LONG RegistryStore::EnumName(const char* sql, HKEY key, std::uint32_t index, std::string* name) {
  ExpireSharedRead();
  const KeyRef* ref = Find(key);
  if (ref == nullptr) return ERROR_INVALID_HANDLE;
  SqlStatement next(m_db->Prepared(sql));
  const int code = next.Bind(1, ref->id).Bind(2, std::int64_t{index}).Step();
  if (code == SQLITE_DONE) return ERROR_NO_MORE_ITEMS;
  if (code != SQLITE_ROW) return ReadStatus(code);
  *name = next.Text(0);
  return ERROR_SUCCESS;
}

LONG RegistryStore::EnumKey(HKEY key, std::uint32_t index, std::string* name) {
  return EnumName(kEnumKey, key, index, name);
}

LONG RegistryStore::EnumValue(HKEY key, std::uint32_t index, std::string* name) {
  return EnumName(kEnumValue, key, index, name);
}

LONG RegistryStore::BeginBatch() {
  if (m_readOnly) return m_writeRefusal;
  EndSharedRead();
  if (m_batchDepth == 0) {
    const int code = BeginWrite();
    if (code != SQLITE_OK) return WriteStatus(code);
  }
  ++m_batchDepth;
  return ERROR_SUCCESS;
}

LONG RegistryStore::CommitBatch() {
  if (m_batchDepth == 0) return ERROR_CANTWRITE;
  if (--m_batchDepth > 0) return ERROR_SUCCESS;
  const int code = Run(kCommit);
  if (code == SQLITE_OK) return ERROR_SUCCESS;
  Run(kRollback);
  return WriteStatus(code);
}

void RegistryStore::RollbackBatch() {
  if (m_batchDepth == 0) return;
  m_batchDepth = 0;
  Run(kRollback);
}

}  // namespace zf
