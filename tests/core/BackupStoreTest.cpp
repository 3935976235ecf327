// Numbering, atomic storing, listing, finding and deleting backup files.
#include <gtest/gtest.h>

#include "core/BackupStore.h"
#include "platform/files.h"
#include "support/BackupFiles.h"
#include "support/TempDir.h"

namespace zf {
namespace {

namespace fs = std::filesystem;
using test::FileBytes;
using test::FolderNames;

const std::string kHeader = "#2026-12-07#\r\n#09:05:03#\r\n7\r\n";

class BackupStoreTest : public ::testing::Test {
 protected:
  void Touch(const std::string& name, const std::string& bytes = kHeader) {
    fs::create_directories(backups);
    test::WriteBytes(backups / name, bytes);
  }
  std::string NextName() {
    const BackupPathResult next = NewBackupFilePath(backups);
    EXPECT_TRUE(next.ok()) << next.error;
    return next.path.filename().string();
  }

  test::TempDir home;
  fs::path backups = home / "Backups";
};

TEST_F(BackupStoreTest, FirstBackupIs001AndTheFolderIsCreated) {
  EXPECT_EQ(NextName(), "001.BCK");
  EXPECT_TRUE(fs::is_directory(backups));
  EXPECT_EQ(NewBackupFilePath(backups).path, backups / "001.BCK");
}

TEST_F(BackupStoreTest, NextNumberIsOneAboveTheHighest) {
  Touch("001.BCK");
  Touch("007.BCK");
  EXPECT_EQ(NextName(), "008.BCK");
  Touch("099.BCK");
  EXPECT_EQ(NextName(), "100.BCK");
}

TEST_F(BackupStoreTest, NumberComesFromTheLastThreeCharactersOfTheBaseName) {
  EXPECT_EQ(BackupNumberOf("abc.BCK"), 0);
  EXPECT_EQ(BackupNumberOf("1234.BCK"), 234);
  EXPECT_EQ(BackupNumberOf("x 12.BCK"), 12);
  EXPECT_EQ(BackupNumberOf("7.BCK"), 7);
  EXPECT_EQ(BackupNumberOf("12a.BCK"), 12);
  Touch("abc.BCK");
  EXPECT_EQ(NextName(), "001.BCK");
  Touch("1234.BCK");
  Touch("050.bck");  // the extension in any case counts
  EXPECT_EQ(NextName(), "235.BCK");
}

TEST_F(BackupStoreTest, NumbersEndAt999) {
  Touch("999.BCK", "old");
  const BackupPathResult next = NewBackupFilePath(backups);
  EXPECT_FALSE(next.ok());
  EXPECT_NE(next.error.find("999"), std::string::npos) << next.error;
  const BackupPathResult stored = StoreNewBackup(backups, kHeader);
  EXPECT_FALSE(stored.ok());
  EXPECT_EQ(FolderNames(backups), std::vector<std::string>{"999.BCK"});
  EXPECT_EQ(FileBytes(backups / "999.BCK"), "old");
}

TEST_F(BackupStoreTest, StoredBackupIsCompleteAndLeavesNoTemporaryFile) {
  Touch("004.BCK");
  const BackupPathResult stored = StoreNewBackup(backups, kHeader + "\"x\"\r\n");
  ASSERT_TRUE(stored.ok()) << stored.error;
  EXPECT_EQ(stored.path, backups / "005.BCK");
  EXPECT_EQ(FileBytes(stored.path), kHeader + "\"x\"\r\n");
  EXPECT_EQ(FolderNames(backups), (std::vector<std::string>{"004.BCK", "005.BCK"}));
}

TEST_F(BackupStoreTest, FolderThatCannotBeCreatedRefusesTheBackup) {
  test::WriteBytes(backups, "a file where the folder should be");
  const BackupPathResult stored = StoreNewBackup(backups, kHeader);
  EXPECT_FALSE(stored.ok());
  EXPECT_NE(stored.error.find(backups.string()), std::string::npos) << stored.error;
  EXPECT_EQ(FolderNames(home.path()), std::vector<std::string>{"Backups"});
}

TEST_F(BackupStoreTest, PublishingNeverReplacesAFile) {
  Touch("003.BCK", "taken by someone else");
  std::string error;
  const fs::path temp = WriteDurableTempFile(backups, ".incomplete-", "mine", &error);
  ASSERT_FALSE(temp.empty()) << error;
  EXPECT_EQ(temp.parent_path(), backups);
  EXPECT_EQ(PublishDurably(temp, backups / "003.BCK", &error), PublishResult::TargetExists);
  EXPECT_EQ(FileBytes(backups / "003.BCK"), "taken by someone else");
  EXPECT_EQ(PublishDurably(temp, backups / "004.BCK", &error), PublishResult::Published);
  EXPECT_EQ(FileBytes(backups / "004.BCK"), "mine");
  EXPECT_FALSE(fs::exists(temp));
}

TEST_F(BackupStoreTest, ListShowsPlainBackupsByNameWithTheirRecordedDateAndTime) {
  Touch("002.BCK", "#2025-01-31#\r\n#23:00:01#\r\n5\r\n");
  Touch("001.BCK");
  Touch("003.bck");
  Touch("004.BCK", "garbage\r\n#09:05:03#\r\n7\r\n");
  Touch("005.BCK", "#2026-02-30#\r\n#09:05:03#\r\n7\r\n");  // no such day
  Touch("006.BCK", "#2026-12-07#\r\n#09:05:03#\r\nseven\r\n");
  Touch("abc.BCK");
  Touch("1234.BCK");
  Touch(".incomplete-Ab12Cd");  // left by a crash while writing
  Touch("notes.txt");
  fs::create_directory(backups / "007.BCK");

  const BackupList list = ListBackups(backups);
  EXPECT_TRUE(list.error.empty()) << list.error;
  std::vector<std::string> rows;
  for (const BackupListEntry& e : list.entries) rows.push_back(e.fileName + "|" + e.DateText() + "|" + e.TimeText());
  EXPECT_EQ(rows, (std::vector<std::string>{"001.BCK|2026-12-07|09:05:03", "002.BCK|2025-01-31|23:00:01",
                                            "003.BCK|2026-12-07|09:05:03", "004.BCK||", "005.BCK||", "006.BCK||"}));
  EXPECT_EQ(list.entries[1].taken, (BackupStamp{2025, 1, 31, 23, 0, 1}));
}

TEST_F(BackupStoreTest, MissingFolderListsNothing) {
  const BackupList list = ListBackups(backups);
  EXPECT_TRUE(list.entries.empty());
  EXPECT_TRUE(list.error.empty());
}

TEST_F(BackupStoreTest, OnlyPlainNamesInsideTheFolderAreFound) {
  Touch("003.bck");
  test::WriteBytes(home / "001.BCK", kHeader);  // beside the folder, not in it
  for (const char* bad : {"../001.BCK", "001.BCK/", "1.BCK", "0001.BCK", "001.BAK", "abc.BCK", "", "/tmp/001.BCK",
                          ".incomplete-Ab12Cd", "00 .BCK"}) {
    EXPECT_FALSE(IsBackupFileName(bad)) << bad;
    EXPECT_FALSE(FindBackupFile(backups, bad).ok()) << bad;
  }
  EXPECT_EQ(FindBackupFile(backups, "003.BCK").path, backups / "003.bck");
  EXPECT_EQ(FindBackupFile(backups, "003.bck").path, backups / "003.bck");
  const BackupPathResult missing = FindBackupFile(backups, "001.BCK");
  EXPECT_FALSE(missing.ok());
  EXPECT_NE(missing.error.find("001.BCK"), std::string::npos) << missing.error;
}

TEST_F(BackupStoreTest, DeleteRemovesOneListedBackupAndRefusesOtherNames) {
  Touch("001.BCK");
  Touch("002.BCK");
  test::WriteBytes(home / "003.BCK", kHeader);
  EXPECT_EQ(DeleteBackup(backups, "001.BCK"), "");
  EXPECT_NE(DeleteBackup(backups, "001.BCK"), "");
  EXPECT_NE(DeleteBackup(backups, "../003.BCK"), "");
  EXPECT_NE(DeleteBackup(backups, "003.BCK"), "");
  EXPECT_EQ(FolderNames(backups), std::vector<std::string>{"002.BCK"});
  EXPECT_TRUE(fs::exists(home / "003.BCK"));
}

}  // namespace
}  // namespace zf
