// SPDX-License-Identifier: GPL-3.0-or-later
// The store's table layout: a file of the first layout, which kept every key's full path beside
// its name, is upgraded on opening all at once or not at all, and read as it is when read-only;
// a key costs its own name however deep it lies.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "core/RegistryNames.h"
#include "core/RegistryStore.h"
#include "support/MemoryRegistry.h"
#include "support/TempDir.h"

namespace zf {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The first layout as its version wrote it.
constexpr const char* kFirstLayoutSchema = R"sql(
PRAGMA application_id = 1514558023;  -- "ZFRG"
PRAGMA user_version = 1;
PRAGMA journal_mode = WAL;
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

struct Entry {
  HKEY hive;
  std::string key;  // names as written, below the hive
  std::string value;
  std::uint32_t type;
  Bytes data;
};

// Names in mixed case and beyond ASCII, texts with their NUL, bytes with zeros, an empty default.
std::vector<Entry> SampleEntries(int bulkKeys) {
  std::vector<Entry> entries{
      {HKEY_LOCAL_MACHINE,
       "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
       "DefaultTTL",
       REG_DWORD,
       {128, 0, 0, 0}},
      {HKEY_LOCAL_MACHINE,
       "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters",
       "Hostname",
       REG_SZ,
       {'b', 'o', 'x', 0}},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Grüße\\Ärger", "", REG_SZ, {}},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\grüsse\\b", "Raw", REG_BINARY, {0, 1, 0, 255}},
      {HKEY_LOCAL_MACHINE, "SOFTWARE\\Zeta", "Multi", REG_MULTI_SZ, {'a', 0, 'b', 0, 0}},
      {HKEY_CURRENT_USER, "Software\\alpha\\Beta\\gamma", "Ünïcode", REG_EXPAND_SZ, {'%', 'x', '%', 0}},
      {HKEY_USERS, ".DEFAULT", "Empty", REG_BINARY, {}},
  };
  for (int i = 0; i < bulkKeys; ++i)
    entries.push_back({HKEY_LOCAL_MACHINE,
                       "SOFTWARE\\Bulk\\Key" + std::to_string(i) + "\\Below",
                       "V",
                       REG_DWORD,
                       {static_cast<std::uint8_t>(i), 0, 0, 0}});
  return entries;
}

// Writes entries into a file of the first layout, as its version laid them out.
class FirstLayoutFile {
 public:
  explicit FirstLayoutFile(const fs::path& file) {
    sqlite3_open(file.c_str(), &m_db);
    Execute(kFirstLayoutSchema);
    Execute("BEGIN");
    for (HKEY hive = HKEY_CLASSES_ROOT; hive <= HKEY_DYN_DATA; ++hive) Key(hive, "");
  }
  ~FirstLayoutFile() {
    Execute("COMMIT");
    sqlite3_close(m_db);
  }

  void Write(const Entry& entry) {
    const std::int64_t key = Key(entry.hive, entry.key);
    sqlite3_stmt* insert = Prepare("INSERT OR REPLACE INTO registry_values VALUES(?1, ?2, ?3, ?4, ?5)");
    const std::string folded = FoldName(entry.value);
    sqlite3_bind_int64(insert, 1, key);
    sqlite3_bind_text(insert, 2, entry.value.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 3, folded.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int64(insert, 4, entry.type);
    sqlite3_bind_blob(insert, 5, entry.data.empty() ? "" : static_cast<const void*>(entry.data.data()),
                      static_cast<int>(entry.data.size()), SQLITE_STATIC);
    EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE) << sqlite3_errmsg(m_db);
    sqlite3_finalize(insert);
  }

 private:
  // The key's id, adding it and the keys above it with their folded full paths where missing.
  std::int64_t Key(HKEY hive, const std::string& subKey) {
    std::vector<std::string_view> names{HiveName(hive)};
    std::vector<std::string_view> below;
    SplitKeyPath(subKey, &below);
    names.insert(names.end(), below.begin(), below.end());
    std::int64_t parent = 1;
    std::string path;
    for (std::string_view name : names) {
      const std::string folded = FoldName(name);
      path += (path.empty() ? "" : "\\") + folded;
      sqlite3_stmt* insert = Prepare(
          "INSERT INTO registry_keys(parent, name, folded, path) VALUES(?1, ?2, ?3, ?4) "
          "ON CONFLICT(path) DO UPDATE SET name = name RETURNING id");
      sqlite3_bind_int64(insert, 1, parent);
      sqlite3_bind_text(insert, 2, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
      sqlite3_bind_text(insert, 3, folded.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 4, path.c_str(), -1, SQLITE_STATIC);
      EXPECT_EQ(sqlite3_step(insert), SQLITE_ROW) << sqlite3_errmsg(m_db);
      parent = sqlite3_column_int64(insert, 0);
      sqlite3_finalize(insert);
    }
    return parent;
  }
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr), SQLITE_OK) << sqlite3_errmsg(m_db);
    return statement;
  }
  void Execute(const char* sql) { EXPECT_EQ(sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr), SQLITE_OK); }

  sqlite3* m_db = nullptr;
};

void MakeFirstLayoutFile(const fs::path& file, const std::vector<Entry>& entries) {
  FirstLayoutFile writer(file);
  for (const Entry& entry : entries) writer.Write(entry);
}

// Every key in enumeration order with every value's name, type and bytes, one line each.
void Dump(IRegistry& registry, HKEY key, const std::string& path, std::vector<std::string>* lines) {
  lines->push_back(path);
  std::string name;
  for (std::uint32_t i = 0; registry.EnumValue(key, i, &name) == ERROR_SUCCESS; ++i) {
    std::uint32_t type = 0;
    Bytes data;
    EXPECT_EQ(registry.QueryValue(key, name, &type, &data), ERROR_SUCCESS);
    lines->push_back(path + " [" + name + "] " + std::to_string(type) + ":" + std::string(data.begin(), data.end()));
  }
  for (std::uint32_t i = 0; registry.EnumKey(key, i, &name) == ERROR_SUCCESS; ++i) {
    HKEY child = 0;
    ASSERT_EQ(registry.OpenKey(key, name, KEY_READ, &child), ERROR_SUCCESS) << name;
    Dump(registry, child, path + "\\" + name, lines);
    registry.CloseKey(child);
  }
}

std::vector<std::string> Dump(IRegistry& registry) {
  std::vector<std::string> lines;
  for (HKEY hive = HKEY_CLASSES_ROOT; hive <= HKEY_DYN_DATA; ++hive) Dump(registry, hive, "", &lines);
  return lines;
}

std::vector<std::string> Expected(const std::vector<Entry>& entries) {
  test::MemoryRegistry memory;
  for (const Entry& entry : entries) {
    HKEY key = 0;
    EXPECT_EQ(memory.CreateKey(entry.hive, entry.key, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    memory.SetValue(key, entry.value, entry.type, entry.data);
    memory.CloseKey(key);
  }
  return Dump(memory);
}

std::string Query(const fs::path& file, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  std::string text;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
    text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return text;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RegistryStoreLayoutTest : public ::testing::Test {
 protected:
  test::TempDir folder;
  fs::path file = folder / "registry.sqlite3";
};

TEST_F(RegistryStoreLayoutTest, FirstLayoutIsUpgradedOnOpeningWithEveryKeyAndValueAsItWas) {
  const std::vector<Entry> entries = SampleEntries(20);
  MakeFirstLayoutFile(file, entries);
  std::string error;
  auto store = OpenRegistryStore(file, &error);
  ASSERT_TRUE(store) << error;
  EXPECT_EQ(Dump(*store), Expected(entries));
  // Writable in the new layout, where a key row has no full path to fill in.
  HKEY key = 0;
  EXPECT_EQ(store->CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Grüße\\New", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  store->CloseKey(key);
  EXPECT_EQ(store->DeleteKey(HKEY_LOCAL_MACHINE, "software\\GRÜßE"), ERROR_SUCCESS);
  for (const char* gone : {"SOFTWARE\\Grüße", "SOFTWARE\\Grüße\\ärger", "SOFTWARE\\Grüße\\New"})
    EXPECT_EQ(store->OpenKey(HKEY_LOCAL_MACHINE, gone, KEY_READ, &key), ERROR_FILE_NOT_FOUND) << gone;
  ASSERT_EQ(store->OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\grüsse\\B", KEY_READ, &key), ERROR_SUCCESS);
  store->CloseKey(key);
  store.reset();
  EXPECT_EQ(Query(file, "PRAGMA user_version"), std::to_string(RegistryStore::kLayout));
  EXPECT_EQ(Query(file, "SELECT count(*) FROM pragma_table_info('registry_keys') WHERE name = 'path'"), "0");
}

// A read-only file is never written, so it keeps its layout and is read as it is.
TEST_F(RegistryStoreLayoutTest, ReadOnlyFileOfTheFirstLayoutIsReadAsItIs) {
  const std::vector<Entry> entries = SampleEntries(3);
  MakeFirstLayoutFile(file, entries);
  chmod(file.c_str(), 0444);
  const std::string before = ReadFile(file);
  {
    std::string error;
    auto store = OpenRegistryStore(file, &error);
    ASSERT_TRUE(store) << error;
    EXPECT_EQ(Dump(*store), Expected(entries));
    HKEY key = 0;
    EXPECT_EQ(store->CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\New", KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
  }
  EXPECT_EQ(ReadFile(file), before);
}

// The upgrade is one transaction: a process killed at any moment of it leaves the old layout
// whole or the new one complete, and the next opening finds every key and value.
TEST_F(RegistryStoreLayoutTest, KilledUpgradeLeavesEveryKeyAndValue) {
  const std::vector<Entry> entries = SampleEntries(600);
  const std::vector<std::string> expected = Expected(entries);
  for (const int delayMs : {2, 8, 25}) {
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(file.string() + suffix);
    MakeFirstLayoutFile(file, entries);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::string error;
      _exit(OpenRegistryStore(file, &error) ? 0 : 1);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) || WEXITSTATUS(status) == 0) << "killed after " << delayMs << " ms";
    std::string error;
    auto store = OpenRegistryStore(file, &error);
    ASSERT_TRUE(store) << error << " (killed after " << delayMs << " ms)";
    EXPECT_EQ(Dump(*store), expected) << "killed after " << delayMs << " ms";
  }
}

// Four chains of keys with the longest names: the store grows by a few times the .reg lines that
// name their deepest keys, not by the square of their depth.
TEST_F(RegistryStoreLayoutTest, DeepKeysCostTheirOwnNamesOnly) {
  constexpr int kDepth = 128;
  std::string error;
  OpenRegistryStore(file, &error).reset();
  const auto before = fs::file_size(file);
  std::size_t regBytes = 0;
  {
    auto store = OpenRegistryStore(file, &error);
    ASSERT_TRUE(store) << error;
    for (char chain : {'a', 'b', 'c', 'd'}) {
      std::string path;
      for (int level = 0; level < kDepth; ++level) path += (level ? "\\" : "") + std::string(255, chain);
      HKEY key = 0;
      ASSERT_EQ(store->CreateKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
      store->CloseKey(key);
      regBytes += ("[HKEY_LOCAL_MACHINE\\" + path + "]\r\n").size();
    }
  }
  std::error_code noLog;
  const auto growth = fs::file_size(file) + fs::file_size(file.string() + "-wal", noLog) - before;
  EXPECT_LE(static_cast<double>(growth) / static_cast<double>(regBytes), 4.0) << growth << " bytes";
}

}  // namespace
}  // namespace zf
