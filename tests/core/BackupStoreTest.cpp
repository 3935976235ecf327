// SPDX-License-Identifier: GPL-3.0-or-later
// Numbering, atomic storing, listing, finding and deleting backup files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>

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

TEST_F(BackupStoreTest, TemporaryFilesAreEachNewAndNeverAPlantedName) {
  const fs::path victim = home.path() / "victim";
  Touch("../victim", "precious");
  for (const char* planted : {"out.part-", "out.part-XXXXXX"}) fs::create_symlink(victim, backups / planted);
  std::string error;
  const fs::path first = WriteDurableTempFile(backups, "out.part-", "one", &error);
  const fs::path second = WriteDurableTempFile(backups, "out.part-", "two", &error);
  ASSERT_FALSE(first.empty() || second.empty()) << error;
  EXPECT_NE(first, second);
  EXPECT_EQ(FileBytes(first), "one");
  EXPECT_EQ(FileBytes(second), "two");
  EXPECT_EQ(FileBytes(victim), "precious") << "no link planted at the prefix's name was written through";
}

TEST_F(BackupStoreTest, ListShowsPlainBackupsByNameWithTheirRecordedDateAndTime) {
  Touch("002.BCK", "#2025-01-31#\r\n#23:00:01#\r\n5\r\n");
  Touch("001.BCK");
  Touch("003.bck");  // listed by its own name: beside it an 003.BCK may exist
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
                                            "003.bck|2026-12-07|09:05:03", "004.BCK||", "005.BCK||", "006.BCK||"}));
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
  EXPECT_TRUE(DeleteBackup(backups, "001.BCK").empty());
  EXPECT_FALSE(DeleteBackup(backups, "001.BCK").empty());
  EXPECT_FALSE(DeleteBackup(backups, "../003.BCK").empty());
  EXPECT_FALSE(DeleteBackup(backups, "003.BCK").empty());
  EXPECT_EQ(FolderNames(backups), std::vector<std::string>{"002.BCK"});
  EXPECT_TRUE(fs::exists(home / "003.BCK"));
}

}  // namespace
}  // namespace zf

namespace zf {
namespace {

namespace fs = std::filesystem;
using test::FolderNames;

const std::string kValidHeader = "#2026-12-07#\r\n#09:05:03#\r\n7\r\n";

// Entries of a folder others may write: links, folders, FIFOs and names that only look like
// backups must neither be read nor block the numbering.
class HostileBackupsTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(backups); }
  void Plain(const std::string& name) { test::WriteBytes(backups / name, kValidHeader); }
  std::vector<std::string> Listed() {
    std::vector<std::string> names;
    for (const BackupListEntry& entry : ListBackups(backups).entries) names.push_back(entry.fileName);
    return names;
  }
  std::string Stored() {
    const BackupPathResult stored = StoreNewBackup(backups, kValidHeader);
    EXPECT_TRUE(stored.ok()) << stored.error;
    return stored.path.filename().string();
  }

  test::TempDir home;
  fs::path backups = home / "Backups";
  fs::path secret = home / "secret";
};

TEST_F(HostileBackupsTest, LinksFoldersAndFifosAreNeitherListedNorFound) {
  test::WriteBytes(secret, kValidHeader);
  Plain("001.BCK");
  fs::create_symlink(secret, backups / "002.BCK");
  fs::create_directory(backups / "003.BCK");
  ASSERT_EQ(::mkfifo((backups / "004.BCK").c_str(), 0600), 0);
  fs::create_symlink(home / "nowhere", backups / "005.BCK");
  EXPECT_EQ(Listed(), std::vector<std::string>{"001.BCK"});  // a FIFO would hang here when opened
  for (const char* name : {"002.BCK", "003.BCK", "004.BCK", "005.BCK"}) {
    EXPECT_FALSE(FindBackupFile(backups, name).ok()) << name;
    EXPECT_FALSE(DeleteBackup(backups, name).empty()) << name;
  }
  EXPECT_TRUE(fs::exists(secret));
  EXPECT_TRUE(fs::is_symlink(backups / "002.BCK"));
}

TEST_F(HostileBackupsTest, OpeningRefusesLinksAndFifosWithoutWaiting) {
  test::WriteBytes(secret, "top secret bytes\r\n");
  fs::create_symlink(secret, backups / "002.BCK");
  ASSERT_EQ(::mkfifo((backups / "004.BCK").c_str(), 0600), 0);
  const OpenedRegularFile link = OpenBackupFile(backups / "002.BCK");
  EXPECT_FALSE(link.ok());
  EXPECT_FALSE(link.fd.isOpen());
  EXPECT_EQ(link.error.find("top secret"), std::string::npos) << link.error;
  const OpenedRegularFile fifo = OpenBackupFile(backups / "004.BCK");
  EXPECT_FALSE(fifo.ok());
  EXPECT_NE(fifo.error.find("not a regular file"), std::string::npos) << fifo.error;
  Plain("001.BCK");
  EXPECT_TRUE(OpenBackupFile(backups / "001.BCK").ok());
}

TEST_F(HostileBackupsTest, NumberingGoesPastNamesItCannotUse) {
  Plain("001.BCK");
  fs::create_directory(backups / "002.BCK");
  EXPECT_EQ(Stored(), "003.BCK");
  fs::create_symlink(home / "nowhere", backups / "004.BCK");
  EXPECT_EQ(Stored(), "005.BCK");
  Plain("copy of 999.BCK");  // counts 999, but is no backup name
  EXPECT_EQ(Stored(), "006.BCK");
  EXPECT_EQ(Listed(), (std::vector<std::string>{"001.BCK", "003.BCK", "005.BCK", "006.BCK"}));
}

TEST_F(HostileBackupsTest, ATakenNumberIsSkippedAndTheEndOfNumbersIsExplained) {
  // Chosen 007 is taken after choosing it (another program): the next attempt goes past it.
  Plain("006.BCK");
  EXPECT_EQ(NewBackupFilePath(backups, 7).path.filename(), "008.BCK");
  fs::create_directory(backups / "999.BCK");
  const BackupPathResult blocked = StoreNewBackup(backups, kValidHeader);
  EXPECT_FALSE(blocked.ok());
  EXPECT_NE(blocked.error.find("999.BCK"), std::string::npos) << blocked.error;
  EXPECT_NE(blocked.error.find("not a backup file"), std::string::npos) << blocked.error;
  EXPECT_EQ(blocked.error.find("Other programs"), std::string::npos) << blocked.error;
}

TEST_F(HostileBackupsTest, TemporaryFilesOlderThanAMinuteAreRemovedByTheNextBackup) {
  const fs::path old = backups / ".incomplete-Old123";
  const fs::path young = backups / ".incomplete-New123";
  test::WriteBytes(old, "half a backup");
  test::WriteBytes(young, "being written");
  fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::minutes(2));
  fs::last_write_time(young, fs::file_time_type::clock::now() - std::chrono::seconds(10));
  fs::create_directory(backups / ".incomplete-Dir123");
  fs::last_write_time(backups / ".incomplete-Dir123", fs::file_time_type::clock::now() - std::chrono::minutes(2));
  EXPECT_EQ(Stored(), "001.BCK");
  EXPECT_EQ(FolderNames(backups), (std::vector<std::string>{".incomplete-Dir123", ".incomplete-New123", "001.BCK"}));
}

TEST_F(HostileBackupsTest, NamesDifferingInLetterCaseAreTwoBackups) {
  test::WriteBytes(backups / "001.bck", "#2026-01-02#\r\n#03:04:05#\r\n7\r\n");
  test::WriteBytes(backups / "001.BCK", "#2026-06-07#\r\n#08:09:10#\r\n7\r\n");
  const BackupList list = ListBackups(backups);
  ASSERT_EQ(list.entries.size(), 2u);
  EXPECT_EQ(list.entries[0].fileName, "001.BCK");
  EXPECT_EQ(list.entries[0].DateText(), "2026-06-07");
  EXPECT_EQ(list.entries[1].fileName, "001.bck");
  EXPECT_EQ(list.entries[1].DateText(), "2026-01-02");
  EXPECT_EQ(FindBackupFile(backups, "001.bck").path, backups / "001.bck");
  EXPECT_EQ(FindBackupFile(backups, "001.BCK").path, backups / "001.BCK");
  const BackupPathResult ambiguous = FindBackupFile(backups, "001.Bck");
  EXPECT_FALSE(ambiguous.ok());
  EXPECT_NE(ambiguous.error.find("exact name"), std::string::npos) << ambiguous.error;
  EXPECT_TRUE(DeleteBackup(backups, "001.bck").empty());
  EXPECT_EQ(FolderNames(backups), std::vector<std::string>{"001.BCK"});
}

}  // namespace
}  // namespace zf

namespace zf {
namespace {

namespace fs = std::filesystem;

// Passes every sync on and notes which file or folder it made durable.
class CountingSync final : public FileSync {
 public:
  int Sync(int fd) override {
    struct stat info {};
    ::fstat(fd, &info);
    synced.push_back(info.st_ino);
    return FileSync::Sync(fd);
  }
  std::vector<ino_t> synced;
};

ino_t InodeOf(const fs::path& path) {
  struct stat info {};
  ::lstat(path.c_str(), &info);
  return info.st_ino;
}

TEST(DurableBackupTest, TheFileIsSyncedBeforeItsNameAndTheFolderAfterIt) {
  test::TempDir home;
  CountingSync sync;
  const BackupPathResult stored = StoreNewBackup(home / "Backups", "#2026-12-07#\r\n", sync);
  ASSERT_TRUE(stored.ok()) << stored.error;
  EXPECT_EQ(sync.synced, (std::vector<ino_t>{InodeOf(stored.path), InodeOf(home / "Backups")}));
}

// A sync that fails like a full disk at its first call.
class FailingSync final : public FileSync {
 public:
  int Sync(int) override {
    errno = ENOSPC;
    return -1;
  }
};

TEST(DurableBackupTest, AFailedSyncStoresNoBackupAndLeavesNoTemporaryFile) {
  test::TempDir home;
  FailingSync sync;
  const BackupPathResult stored = StoreNewBackup(home / "Backups", "#2026-12-07#\r\n", sync);
  EXPECT_FALSE(stored.ok());
  EXPECT_NE(stored.error.find(std::strerror(ENOSPC)), std::string::npos) << stored.error;
  EXPECT_TRUE(test::FolderNames(home / "Backups").empty());
}

}  // namespace
}  // namespace zf
