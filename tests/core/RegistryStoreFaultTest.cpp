// SPDX-License-Identifier: GPL-3.0-or-later
// Writes that fail part-way: a step of a batch and a commit made to fail by SQLite triggers
// planted for the test, and the store left with nothing of them.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "core/RegistryStore.h"
#include "support/TempDir.h"

namespace zf {
namespace {

namespace fs = std::filesystem;

class RegistryStoreFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    store = OpenRegistryStore(file, &error);
    ASSERT_TRUE(store) << error;
  }

  // Runs SQL on the store file through a connection of its own.
  void Plant(const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
  }
  // Inserting a key named Boom fails at once.
  void PlantFailingStep() {
    Plant(
        "CREATE TRIGGER boom BEFORE INSERT ON registry_keys WHEN NEW.name = 'Boom' "
        "BEGIN SELECT RAISE(ABORT, 'planted'); END;");
  }
  // Inserting a key named Trap succeeds, but leaves a broken deferred reference that fails the
  // COMMIT.
  void PlantFailingCommit() {
    Plant(
        "CREATE TABLE trap(k INTEGER REFERENCES registry_keys(id) DEFERRABLE INITIALLY DEFERRED);"
        "CREATE TRIGGER trapped AFTER INSERT ON registry_keys WHEN NEW.name = 'Trap' "
        "BEGIN INSERT INTO trap VALUES(-1); END;");
  }

  LONG Create(std::string_view path) {
    HKEY key = 0;
    const LONG status = store->CreateKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS, &key);
    if (status == ERROR_SUCCESS) store->CloseKey(key);
    return status;
  }
  bool Exists(std::string_view path) {
    HKEY key = 0;
    if (store->OpenKey(HKEY_LOCAL_MACHINE, path, KEY_READ, &key) != ERROR_SUCCESS) return false;
    store->CloseKey(key);
    return true;
  }

  test::TempDir folder;
  fs::path file = folder / "registry.sqlite3";
  std::unique_ptr<IRegistry> store;
};

TEST_F(RegistryStoreFaultTest, AFailedStepInsideABatchLeavesNoHalfCreatedParents) {
  PlantFailingStep();
  ASSERT_EQ(store->BeginBatch(), ERROR_SUCCESS);
  EXPECT_EQ(Create("Kept"), ERROR_SUCCESS);
  EXPECT_NE(Create("Half\\Made\\Boom\\Below"), ERROR_SUCCESS);
  EXPECT_EQ(Create("AlsoKept"), ERROR_SUCCESS);
  ASSERT_EQ(store->CommitBatch(), ERROR_SUCCESS);
  EXPECT_TRUE(Exists("Kept"));
  EXPECT_TRUE(Exists("AlsoKept"));
  EXPECT_FALSE(Exists("Half"));
}

TEST_F(RegistryStoreFaultTest, AFailedStepOutsideABatchLeavesNothing) {
  PlantFailingStep();
  EXPECT_NE(Create("Half\\Made\\Boom"), ERROR_SUCCESS);
  EXPECT_FALSE(Exists("Half"));
  EXPECT_EQ(Create("Next"), ERROR_SUCCESS);
}

TEST_F(RegistryStoreFaultTest, AFailedCommitRollsTheWholeBatchBackAndTheStoreGoesOn) {
  PlantFailingCommit();
  ASSERT_EQ(store->BeginBatch(), ERROR_SUCCESS);
  EXPECT_EQ(Create("Before"), ERROR_SUCCESS);
  EXPECT_EQ(Create("Caught\\Trap"), ERROR_SUCCESS);
  EXPECT_NE(store->CommitBatch(), ERROR_SUCCESS);
  // Without a rollback the open transaction would still show them here.
  EXPECT_FALSE(Exists("Before"));
  EXPECT_FALSE(Exists("Caught"));
  ASSERT_EQ(store->BeginBatch(), ERROR_SUCCESS);
  EXPECT_EQ(Create("After"), ERROR_SUCCESS);
  EXPECT_EQ(store->CommitBatch(), ERROR_SUCCESS);
  std::string error;
  auto reopened = OpenRegistryStore(file, &error);
  ASSERT_TRUE(reopened) << error;
  HKEY key = 0;
  EXPECT_EQ(reopened->OpenKey(HKEY_LOCAL_MACHINE, "After", KEY_READ, &key), ERROR_SUCCESS);
  reopened->CloseKey(key);
  EXPECT_EQ(reopened->OpenKey(HKEY_LOCAL_MACHINE, "Before", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryStoreFaultTest, AFailedCommitOfASingleWriteLeavesNothing) {
  PlantFailingCommit();
  EXPECT_NE(Create("Single\\Trap"), ERROR_SUCCESS);
  EXPECT_FALSE(Exists("Single"));
  EXPECT_EQ(Create("Next"), ERROR_SUCCESS);
}

}  // namespace
}  // namespace zf
