// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The durable registry: one SQLite file holding every hive.
//
// Keys form a tree below a sentinel root row; the hives are its children. Each key row keeps only
// its parent and its own name, as first written and folded (for comparison and order), so a
// key costs its own name however deep it lies; opening a key by path is one indexed lookup per
// level. Every write runs in an IMMEDIATE
// transaction of its own, or inside the open batch, so several processes can share the file.
// A store file whose mode bits allow nobody to write it, or that this user may not write, is
// read-only: the mode bits count for root too, who could otherwise write any file.
//
// One store object serves one thread at a time, as the program's single user-interface thread
// does; other threads and processes open stores of their own on the same file.
#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/SqliteDb.h"
#include "core/WriterTurns.h"
#include "platform/registry.h"

namespace zf {

// Opens (creating when missing) the store at path. Null with a message naming the file when the
// file is corrupt, not a store, or cannot be created; such a file is left exactly as it was.
std::unique_ptr<IRegistry> OpenRegistryStore(const std::filesystem::path& path, std::string* error);

class RegistryStore final : public IRegistry {
 public:
  // Takes an open connection to a file that already holds the store's tables. readOnly: every
  // open for writing is refused with access denied. file: where other processes may write the
  // same store (empty when none can).
  RegistryStore(std::unique_ptr<SqliteDb> db, bool readOnly, const std::filesystem::path& file = {});
  ~RegistryStore() override;

  // Loads the hive rows; false (with the reason in *error) when the tables are not the store's.
  bool Attach(std::string* error);
  // Creates the tables, the root and the hives in an empty database.
  static bool CreateTables(SqliteDb& db, std::string* error);
  // The table layouts a store file records in its user version. The first kept every key's full
  // path beside its name; reads work on both, so a read-only file of the first layout is read as
  // it is.
  static constexpr int kFirstLayout = 1;
  static constexpr int kLayout = 2;
  // Brings a file of the first layout to this one in one transaction: all of it or none.
  static bool UpgradeTables(SqliteDb& db, std::string* error);

  LONG CreateKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) override;
  LONG OpenKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) override;
  LONG CloseKey(HKEY key) override;
  LONG QueryValue(HKEY key, std::string_view name, std::uint32_t* type, std::vector<std::uint8_t>* data) override;
  LONG SetValue(HKEY key, std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data) override;
  LONG DeleteValue(HKEY key, std::string_view name) override;
  LONG DeleteKey(HKEY parent, std::string_view subKey) override;
  LONG EnumKey(HKEY key, std::uint32_t index, std::string* name) override;
  LONG EnumValue(HKEY key, std::uint32_t index, std::string* name) override;
  LONG BeginBatch() override;
  LONG CommitBatch() override;
  void RollbackBatch() override;

  bool IsReadOnly() const { return m_readOnly; }
  // What a write to a read-only store answers: access denied, or disk full for a store that was
  // opened read-only because its disk had no room left.
  void RefuseWritesWith(LONG status) { m_writeRefusal = status; }

 private:
  struct KeyRef {
    std::int64_t id = 0;
    std::size_t depth = 0;  // levels below the hive
    bool writable = false;
  };

  const KeyRef* Find(HKEY key) const;
  // ERROR_SUCCESS with *id set, ERROR_FILE_NOT_FOUND, or a read failure.
  LONG FindChild(std::int64_t parent, const std::string& folded, std::int64_t* id);
  // The key at names below base, one level at a time; as FindChild answers.
  LONG FindKey(const KeyRef& base, const std::vector<std::string_view>& names, std::int64_t* id);
  LONG CreatePath(const KeyRef& base, const std::vector<std::string_view>& names, std::int64_t* id);
  HKEY NewHandle(std::int64_t id, std::size_t depth, bool writable);
  // The name at index of the ordered listing sql (subkeys or values of key).
  LONG EnumName(const char* sql, HKEY key, std::uint32_t index, std::string* name);

  enum class Statements { One, Several };
  // Runs body as one atomic write: its own IMMEDIATE transaction outside a batch; inside one, a
  // savepoint when body runs several statements (a single statement is atomic by itself).
  template <class Body>
  LONG AtomicWrite(Statements statements, Body&& body);
  int Run(const char* sql);
  // BEGIN IMMEDIATE, waiting for other writers as long as the busy time-out allows.
  int BeginWrite();
  static int OnBusy(void* self, int attempt);

  // Reads from opening a key to closing the last open one share one read transaction: one
  // snapshot and one lock round trip instead of one per statement. It ends before any write
  // and never outlives a few milliseconds, so a handle left open cannot hide other processes'
  // changes.
  void StartSharedRead();
  void EndSharedRead();
  void ExpireSharedRead();

  std::unique_ptr<SqliteDb> m_db;
  bool m_readOnly;
  LONG m_writeRefusal = ERROR_ACCESS_DENIED;
  std::array<KeyRef, 7> m_hives;  // by HKEY - HKEY_CLASSES_ROOT
  std::unordered_map<HKEY, KeyRef> m_handles;
  HKEY m_nextHandle = 0x1000;
  int m_batchDepth = 0;
  WriterTurns m_turns;
  bool m_beginningWrite = false;
  std::chrono::steady_clock::time_point m_busySince;
  bool m_sharedRead = false;
  std::chrono::steady_clock::time_point m_sharedReadStart;
};

}  // namespace zf
