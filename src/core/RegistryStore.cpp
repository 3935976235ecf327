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
  path TEXT NOT NULL UNIQUE,
  UNIQUE(parent, folded));
CREATE TABLE registry_values(
  key INTEGER NOT NULL REFERENCES registry_keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key, folded)) WITHOUT ROWID;
INSERT INTO registry_keys(id, parent, name, folded, path) VALUES(1, NULL, '', '', '');
)sql";

constexpr const char* kInsertHive = "INSERT INTO registry_keys(parent, name, folded, path) VALUES(1, ?1, ?1, ?1)";
constexpr const char* kFindKey = "SELECT id FROM registry_keys WHERE path = ?1";
constexpr const char* kInsertKey = "INSERT INTO registry_keys(parent, name, folded, path) VALUES(?1, ?2, ?3, ?4)";
// A key and everything below it: paths equal to it or starting with it and a backslash, which
// sort between "path\" and "path]" (']' follows '\').
constexpr const char* kDeleteTree = "DELETE FROM registry_keys WHERE path = ?1 OR (path >= ?2 AND path < ?3)";
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
// Long enough for the desktop program and the command-line tool to take turns at writing.
constexpr auto kBusyTimeout = std::chrono::seconds(10);
// Reads never see a snapshot older than this.
constexpr auto kSharedReadLimit = std::chrono::milliseconds(5);

// Levels below the hive of a key with this full path.
std::size_t PathDepth(const std::string& path) {
  return static_cast<std::size_t>(std::count(path.begin(), path.end(), '\\'));
}

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

bool RegistryStore::Attach(std::string* error) {
  for (HKEY hive = kFirstHive; hive <= HKEY_DYN_DATA; ++hive) {
    KeyRef& ref = m_hives[hive - kFirstHive];
    ref.path = std::string(HiveName(hive));
    ref.writable = !m_readOnly;
    if (FindKeyId(ref.path, &ref.id) != ERROR_SUCCESS) {
      *error = "the hive " + ref.path + " is missing";
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

LONG RegistryStore::ChildPath(const KeyRef& base, std::string_view subKey, std::string* path) {
  if (!TrimKeyPath(&subKey)) return ERROR_INVALID_PARAMETER;
  *path = base.path;
  if (subKey.empty()) return ERROR_SUCCESS;
  *path += '\\';
  *path += FoldName(subKey);
  return ERROR_SUCCESS;
}

LONG RegistryStore::FindKeyId(const std::string& path, std::int64_t* id) {
  SqlStatement find(m_db->Prepared(kFindKey));
  const int code = find.Bind(1, path).Step();
  if (code == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
  if (code != SQLITE_ROW) return ReadStatus(code);
  *id = find.Int(0);
  return ERROR_SUCCESS;
}

HKEY RegistryStore::NewHandle(std::int64_t id, std::string path, bool writable) {
  const HKEY handle = m_nextHandle++;
  m_handles.emplace(handle, KeyRef{id, std::move(path), writable});
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

LONG RegistryStore::CreatePath(const KeyRef& base, std::string_view subKey, std::int64_t* id) {
  std::vector<std::string_view> names;
  SplitKeyPath(subKey, &names);
  std::string path = base.path;
  *id = base.id;
  for (std::string_view name : names) {
    const std::string folded = FoldName(name);
    path += "\\" + folded;
    const std::int64_t parent = *id;
    const LONG found = FindKeyId(path, id);
    if (found == ERROR_SUCCESS) continue;
    if (found != ERROR_FILE_NOT_FOUND) return found;
    SqlStatement insert(m_db->Prepared(kInsertKey));
    const int code = insert.Bind(1, parent).Bind(2, name).Bind(3, folded).Bind(4, path).Step();
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
  std::string path;
  LONG status = ChildPath(*base, subKey, &path);
  if (status != ERROR_SUCCESS) return status;
  std::int64_t id = 0;
  StartSharedRead();
  status = FindKeyId(path, &id);
  if (status == ERROR_FILE_NOT_FOUND && !KeyPathProblem(subKey, PathDepth(base->path)).empty())
    status = ERROR_INVALID_PARAMETER;
  if (status == ERROR_FILE_NOT_FOUND)
    status = AtomicWrite(Statements::Several, [&] { return CreatePath(*base, subKey, &id); });
  if (status != ERROR_SUCCESS) {
    if (m_handles.empty()) EndSharedRead();
    return status;
  }
  *result = NewHandle(id, std::move(path), true);
  return ERROR_SUCCESS;
}

LONG RegistryStore::OpenKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) {
  ExpireSharedRead();
  const KeyRef* base = Find(parent);
  if (base == nullptr) return ERROR_INVALID_HANDLE;
  const bool writable = AccessWantsWrite(access);
  if (writable && m_readOnly) return ERROR_ACCESS_DENIED;
  std::string path;
  LONG status = ChildPath(*base, subKey, &path);
  if (status != ERROR_SUCCESS) return status;
  std::int64_t id = 0;
  StartSharedRead();
  status = FindKeyId(path, &id);
  if (status != ERROR_SUCCESS) {
    if (m_handles.empty()) EndSharedRead();
    return status;
  }
  *result = NewHandle(id, std::move(path), writable);
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
  std::string path;
  const LONG status = ChildPath(*base, subKey, &path);
  if (status != ERROR_SUCCESS) return status;
  if (path == base->path) return ERROR_ACCESS_DENIED;  // a key cannot delete itself, nor a hive
  return AtomicWrite(Statements::Several, [&] {
    std::int64_t id = 0;
    const LONG found = FindKeyId(path, &id);
    if (found != ERROR_SUCCESS) return found;
    const std::string below = path + "\\";
    const std::string beyond = path + "]";
    SqlStatement remove(m_db->Prepared(kDeleteTree));
    return WriteStatus(remove.Bind(1, path).Bind(2, below).Bind(3, beyond).Step());
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
