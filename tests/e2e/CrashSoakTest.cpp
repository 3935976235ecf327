// SPDX-License-Identifier: GPL-3.0-or-later
// A child applies and restores settings against one store and backup folder and is killed with
// SIGKILL at random moments; after every kill the store and the backups must be whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <optional>
#include <random>
#include <thread>

#include "core/ApplySettings.h"
#include "core/BackupStore.h"
#include "core/CRegister.h"
#include "core/RegistryStore.h"
#include "support/MemoryRegistry.h"
#include "support/TempDir.h"

namespace zf {
namespace {

constexpr std::int16_t kFamily = 7;  // NT layout: the values are 32-bit numbers
constexpr int kKills = 300;
constexpr auto kTimeBudget = std::chrono::seconds(90);
const std::string kTcpip = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string kInternet = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The values one apply sets together; a crash must leave all of them from one run.
struct Snapshot {
  std::array<double, 6> values{};
  bool operator==(const Snapshot&) const = default;
};

Snapshot Read(IRegistry& registry) {
  CRegister reg(registry);
  return {{reg.myREGGetSetting(HKEY_LOCAL_MACHINE, kTcpip, "DefaultTTL"),
           reg.myREGGetSetting(HKEY_LOCAL_MACHINE, kTcpip, "TcpWindowSize"),
           reg.myREGGetSetting(HKEY_LOCAL_MACHINE, kTcpip, "GlobalMaxTcpWindowSize"),
           reg.myREGGetSetting(HKEY_LOCAL_MACHINE, kTcpip, "KeepAliveTime"),
           reg.myREGGetSetting(HKEY_CURRENT_USER, kInternet, "MaxConnectionsPer1_0Server"),
           reg.myREGGetSetting(HKEY_CURRENT_USER, kInternet, "MaxConnectionsPerServer")}};
}

Snapshot Expected(const TcpSettings& s) {
  return {{double(s.TTL), double(s.RWIN), double(s.RWIN), double(s.KeepAliveTime), double(s.MaxConnPer10Server),
           double(s.MaxConnPerServer)}};
}

// Runs until killed: applies two profiles in turn, restores a random backup, keeps the folder small.
[[noreturn]] void ChildLoop(const std::filesystem::path& store, const std::filesystem::path& backups, unsigned seed) {
  std::string error;
  auto registry = OpenRegistryStore(store, &error);
  if (!registry) _exit(3);
  SystemClock clock;
  TuningContext context{*registry, clock, backups, kFamily};
  std::mt19937 random(seed);
  for (int round = 0;; ++round) {
    ApplySettings(context, Profiles()[round % 2 == 0 ? 0 : 4]);
    const BackupList list = ListBackups(backups);
    if (!list.entries.empty()) {
      const auto& pick = list.entries[random() % list.entries.size()];
      if (const auto file = FindBackupFile(backups, pick.fileName); file.error.empty())
        RestoreSettingsBackup(*registry, kFamily, file.path);
    }
    if (list.entries.size() > 12) DeleteBackup(backups, list.entries.front().fileName);
  }
}

std::string IntegrityCheck(const std::filesystem::path& store) {
  sqlite3* db = nullptr;
  std::string result = "cannot open";
  if (sqlite3_open_v2(store.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
      result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return result;
}

TEST(CrashSoakTest, KilledAppliesAndRestoresLeaveWholeStoresAndBackups) {
  test::TempDir dir;
  const auto store = dir / "registry.sqlite3";
  const auto backups = dir / "Backups";
  std::mt19937 random(20261208);
  // Before the first apply the values are absent (read as 0); a restore of the first backup
  // writes those zeros back. Every other state is one of the two profiles.
  const std::array<Snapshot, 3> allowed{Snapshot{}, Expected(Profiles()[0]), Expected(Profiles()[4])};

  const auto started = std::chrono::steady_clock::now();
  int kills = 0;
  int highestBackup = 0;
  for (; kills < kKills && std::chrono::steady_clock::now() - started < kTimeBudget; ++kills) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) ChildLoop(store, backups, random());
    std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 40000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself with status " << WEXITSTATUS(status);

    if (!std::filesystem::exists(store)) continue;  // killed before it created the store
    ASSERT_EQ(IntegrityCheck(store), "ok") << "after kill " << kills;
    std::string error;
    auto registry = OpenRegistryStore(store, &error);
    ASSERT_TRUE(registry) << error;
    const Snapshot now = Read(*registry);
    ASSERT_NE(std::find(allowed.begin(), allowed.end(), now), allowed.end())
        << "a half-applied state after kill " << kills;

    const BackupList list = ListBackups(backups);
    ASSERT_TRUE(list.error.empty()) << list.error;
    for (const BackupListEntry& entry : list.entries) {
      ASSERT_TRUE(IsBackupFileName(entry.fileName)) << entry.fileName;
      ASSERT_TRUE(entry.taken) << entry.fileName << " has no readable header after kill " << kills;
      test::MemoryRegistry scratch;
      const auto file = FindBackupFile(backups, entry.fileName);
      const RestoreResult restored = RestoreSettingsBackup(scratch, kFamily, file.path);
      ASSERT_EQ(restored.outcome, RestoreOutcome::Completed)
          << entry.fileName << ": " << restored.description << " (after kill " << kills << ")";
      ASSERT_NE(std::find(allowed.begin(), allowed.end(), Read(scratch)), allowed.end()) << entry.fileName;
    }
    if (!list.entries.empty()) highestBackup = std::max(highestBackup, std::stoi(list.entries.back().fileName));
  }
  EXPECT_GE(kills, 100) << "too few kills in the time budget to mean anything";
  EXPECT_GE(highestBackup, 100) << "the children hardly got to work before they were killed";
  std::cout << kills << " kills; backups numbered up to " << highestBackup << "\n";
}

}  // namespace
}  // namespace zf
