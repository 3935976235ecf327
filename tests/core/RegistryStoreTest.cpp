// SPDX-License-Identifier: GPL-3.0-or-later
// The store file's own promises: persistence, file mode, refusal of foreign and damaged files,
// read-only files, the seeding of a fresh store.
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <regex>
#include <set>

#include "core/RegistrySeed.h"
#include "core/RegistrySettings.h"
#include "core/RegistryStore.h"
#include "support/MemoryRegistry.h"
#include "support/TempDir.h"

namespace zf {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::unique_ptr<IRegistry> Open(const fs::path& path) {
  std::string error;
  auto store = OpenRegistryStore(path, &error);
  EXPECT_TRUE(store) << error;
  return store;
}

std::vector<std::string> Subkeys(IRegistry& registry, HKEY hive, std::string_view path) {
  std::vector<std::string> names;
  HKEY key = 0;
  if (registry.OpenKey(hive, path, KEY_READ, &key) != ERROR_SUCCESS) return names;
  std::string name;
  for (std::uint32_t i = 0; registry.EnumKey(key, i, &name) == ERROR_SUCCESS; ++i) names.push_back(name);
  registry.CloseKey(key);
  return names;
}

// Every value anywhere below key.
int CountValues(IRegistry& registry, HKEY key) {
  std::string name;
  int count = 0;
  while (registry.EnumValue(key, count, &name) == ERROR_SUCCESS) ++count;
  for (std::uint32_t i = 0; registry.EnumKey(key, i, &name) == ERROR_SUCCESS; ++i) {
    HKEY child = 0;
    if (registry.OpenKey(key, name, KEY_READ, &child) != ERROR_SUCCESS) continue;
    count += CountValues(registry, child);
    registry.CloseKey(child);
  }
  return count;
}

class RegistryStoreTest : public ::testing::Test {
 protected:
  test::TempDir folder;
  fs::path file = folder / "data" / "zentrofast" / "registry.sqlite3";
};

TEST_F(RegistryStoreTest, KeepsKeysAndValuesAcrossReopeningWithNamesAsFirstWritten) {
  {
    auto store = Open(file);
    RegFunctions(*store).SetRegistryValue(HKEY_CURRENT_USER, "Software\\MixedCase", "MaxConnectionsPerServer",
                                          REG_DWORD, 20, false);
    RegistrySettings(*store).SaveMachineSetting(SettingsSection(kSectionMainSettings), "chkStartHidden", "true");
  }
  auto store = Open(file);
  EXPECT_EQ(Subkeys(*store, HKEY_CURRENT_USER, "SOFTWARE"), std::vector<std::string>{"MixedCase"});
  HKEY key = 0;
  ASSERT_EQ(store->OpenKey(HKEY_CURRENT_USER, "software\\mixedcase", KEY_READ, &key), ERROR_SUCCESS);
  std::string name;
  ASSERT_EQ(store->EnumValue(key, 0, &name), ERROR_SUCCESS);
  EXPECT_EQ(name, "MaxConnectionsPerServer");
  std::uint32_t type = 0;
  Bytes data;
  ASSERT_EQ(store->QueryValue(key, name, &type, &data), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(data, Bytes({20, 0, 0, 0}));
  store->CloseKey(key);
  EXPECT_EQ(RegistrySettings(*store).GetMachineSetting(SettingsSection(kSectionMainSettings), "chkStartHidden", ""),
            "true");
}

TEST_F(RegistryStoreTest, CreatesItsFolderAndAPrivateFileAndNothingElse) {
  Open(file).reset();
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(file.parent_path())) {
    names.insert(entry.path().filename());
    ASSERT_EQ(stat(entry.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << entry.path();
  }
  // No temporary file and no log are left behind; the writers' lock file stays.
  EXPECT_EQ(names, (std::set<std::string>{"registry.sqlite3", "registry.sqlite3-turns"}));
}

TEST_F(RegistryStoreTest, FileThatIsNoStoreIsRefusedByNameAndLeftUntouched) {
  fs::create_directories(file.parent_path());
  const std::string text =
      "[HKEY_LOCAL_MACHINE]\nnot a database, but longer than one SQLite header of a hundred bytes "
      "so that only the magic tells\n";
  // A SQLite database of some other program, with a table in it.
  const fs::path foreign = folder / "foreign.sqlite3";
  sqlite3* db = nullptr;
  sqlite3_open(foreign.c_str(), &db);
  sqlite3_exec(db, "CREATE TABLE t(x); INSERT INTO t VALUES(1)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  for (const std::string& content : {std::string(), text, ReadFile(foreign)}) {
    WriteFile(file, content);
    std::string error;
    EXPECT_EQ(OpenRegistryStore(file, &error), nullptr);
    EXPECT_NE(error.find(file.string()), std::string::npos) << error;
    EXPECT_NE(error.find("not a Zentrofast registry store"), std::string::npos) << error;
    EXPECT_EQ(ReadFile(file), content);
  }
}

TEST_F(RegistryStoreTest, DamagedStoreIsRefusedAsCorruptAndLeftUntouched) {
  {
    auto store = Open(file);
    RegistryBatch batch(*store);
    for (int i = 0; i < 300; ++i)
      RegFunctions(*store).SetRegistryValue(HKEY_LOCAL_MACHINE, "Bulk\\K" + std::to_string(i % 30),
                                            "V" + std::to_string(i), REG_SZ, std::string(100, 'x'), false);
    batch.commit();
  }
  const std::string good = ReadFile(file);
  ASSERT_GT(good.size(), 8192u);
  std::string scribbled = good;
  std::fill(scribbled.begin() + 4096, scribbled.end(), '\xAA');  // every page but the first
  const std::string truncated = good.substr(0, 4096 + 100);
  for (const std::string& damaged : {scribbled, truncated}) {
    WriteFile(file, damaged);
    std::string error;
    EXPECT_EQ(OpenRegistryStore(file, &error), nullptr);
    EXPECT_NE(error.find(file.string()), std::string::npos) << error;
    EXPECT_NE(error.find("corrupt"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_EQ(ReadFile(file), damaged);
    EXPECT_FALSE(fs::exists(file.string() + "-wal"));
  }
}

// Root may write any file, so the store goes by the mode bits: this holds for every user.
TEST_F(RegistryStoreTest, ReadOnlyFileServesReadsAndIsNeverWritten) {
  Open(file)->SetValue(HKEY_LOCAL_MACHINE, "kept", REG_SZ, {'k', 0});
  chmod(file.c_str(), 0444);
  const std::string before = ReadFile(file);
  const fs::path workingFolder = fs::current_path();
  fs::current_path(folder.path());
  {
    auto store = Open(file);
    ASSERT_TRUE(store);
    RegFunctions functions(*store);
    EXPECT_EQ(functions.SetRegistryValue(HKEY_LOCAL_MACHINE, "New", "v", REG_SZ, "x", false), ERROR_ACCESS_DENIED);
    EXPECT_EQ(store->SetValue(HKEY_LOCAL_MACHINE, "kept", REG_SZ, {'x', 0}), ERROR_ACCESS_DENIED);
    Bytes data;
    EXPECT_EQ(store->QueryValue(HKEY_LOCAL_MACHINE, "kept", nullptr, &data), ERROR_SUCCESS);
    EXPECT_EQ(data, Bytes({'k', 0}));
  }
  EXPECT_EQ(ReadFile(file), before);
  // Nothing beside it either: side files would keep the read-only mode after the file is made
  // writable again.
  EXPECT_FALSE(fs::exists(file.string() + "-wal"));
  EXPECT_FALSE(fs::exists(file.string() + "-shm"));
  // Nor anywhere else: a read-only store once left a lock file in the working folder.
  EXPECT_FALSE(fs::exists(folder.path() / "-turns"));
  fs::current_path(workingFolder);
}

// A store file another user owns: reads work for an ordinary user, writing is denied, also
// when the folder leaves no room for SQLite's side files.
TEST_F(RegistryStoreTest, OrdinaryUserReadsAStoreItMayNotWrite) {
  if (getuid() != 0) GTEST_SKIP() << "needs root to become another user";
  Open(file)->SetValue(HKEY_LOCAL_MACHINE, "kept", REG_SZ, {'k', 0});
  chmod(file.c_str(), 0644);
  for (fs::path p = file.parent_path(); p != folder.path().parent_path(); p = p.parent_path()) chmod(p.c_str(), 0755);
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(10);
    std::string error;
    auto store = OpenRegistryStore(file, &error);
    if (!store) _exit(11);
    Bytes data;
    if (store->QueryValue(HKEY_LOCAL_MACHINE, "kept", nullptr, &data) != ERROR_SUCCESS || data != Bytes{'k', 0})
      _exit(12);
    HKEY key = 0;
    if (store->CreateKey(HKEY_LOCAL_MACHINE, "New", KEY_ALL_ACCESS, &key) != ERROR_ACCESS_DENIED) _exit(13);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// This machine's interfaces as the C library lists them, loopback left out.
std::set<std::string> InterfacesOfThisMachine() {
  std::set<std::string> names;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return names;
  for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next)
    if ((entry->ifa_flags & IFF_LOOPBACK) == 0) names.insert(entry->ifa_name);
  freeifaddrs(list);
  return names;
}

TEST_F(RegistryStoreTest, FreshStoreHoldsOneAdapterKeyPerInterfaceAndNoValue) {
  auto store = Open(file);
  const std::set<std::string> interfaces = InterfacesOfThisMachine();
  std::set<std::string> expectedGuids;
  for (const std::string& name : interfaces) expectedGuids.insert(InterfaceGuid(name));
  const auto guids = Subkeys(*store, HKEY_LOCAL_MACHINE, kInterfacesKey);
  EXPECT_EQ(std::set<std::string>(guids.begin(), guids.end()), expectedGuids);
  std::vector<std::string> transports;
  for (std::size_t i = 0; i < interfaces.size(); ++i) {
    char name[24];
    std::snprintf(name, sizeof name, "%04zu", i);
    transports.push_back(name);
  }
  EXPECT_EQ(Subkeys(*store, HKEY_LOCAL_MACHINE, kNetTransKey), transports);
  EXPECT_EQ(CountValues(*store, HKEY_LOCAL_MACHINE), 0);
  // A second fresh store names the adapters alike.
  auto other = Open(folder / "other.sqlite3");
  EXPECT_EQ(Subkeys(*other, HKEY_LOCAL_MACHINE, kInterfacesKey), guids);
  // Opening an existing store never seeds it again (the programs add new interfaces themselves).
  store->DeleteKey(HKEY_LOCAL_MACHINE, "SYSTEM");
  store.reset();
  EXPECT_TRUE(Subkeys(*Open(file), HKEY_LOCAL_MACHINE, "").empty());
}

TEST(RegistrySeed, AdapterKeysAreWellFormedGuidsAndTransportsCountUp) {
  test::MemoryRegistry registry;
  ASSERT_EQ(SeedNetworkAdapters(registry, {"eth0", "eth1", "wlp2s0"}), ERROR_SUCCESS);
  EXPECT_EQ(registry.CommittedBatches(), 1);
  const std::regex guid("\\{[0-9A-F]{8}-[0-9A-F]{4}-8[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}");
  const auto names = Subkeys(registry, HKEY_LOCAL_MACHINE, kInterfacesKey);
  ASSERT_EQ(names.size(), 3u);
  for (const std::string& name : names) EXPECT_TRUE(std::regex_match(name, guid)) << name;
  // Names one letter apart get unrelated GUIDs.
  EXPECT_NE(InterfaceGuid("eth0").substr(1, 8), InterfaceGuid("eth1").substr(1, 8));
  EXPECT_EQ(Subkeys(registry, HKEY_LOCAL_MACHINE, kNetTransKey), (std::vector<std::string>{"0000", "0001", "0002"}));
  EXPECT_FALSE(registry.HasValue(std::string("HKLM\\") + std::string(kNetTransKey) + "\\0000", ""));
}

TEST(RegistrySeed, OnlyInterfacesTheStoreLacksAreAddedAndNothingIsWrittenWhenNoneIs) {
  test::MemoryRegistry registry;
  ASSERT_EQ(SeedNetworkAdapters(registry, {"eth0"}), ERROR_SUCCESS);
  ASSERT_EQ(AddNewNetworkAdapters(registry, {"eth0"}), ERROR_SUCCESS);
  EXPECT_EQ(registry.CommittedBatches(), 1) << "nothing new, nothing written";
  ASSERT_EQ(AddNewNetworkAdapters(registry, {"eth0", "usb0"}), ERROR_SUCCESS);
  const auto names = Subkeys(registry, HKEY_LOCAL_MACHINE, kInterfacesKey);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
            (std::set<std::string>{InterfaceGuid("eth0"), InterfaceGuid("usb0")}));
  EXPECT_EQ(Subkeys(registry, HKEY_LOCAL_MACHINE, kNetTransKey), (std::vector<std::string>{"0000", "0001"}));
}

}  // namespace
}  // namespace zf
