// SPDX-License-Identifier: GPL-3.0-or-later
// A child applies and restores settings against one store and backup folder and is killed with
// SIGKILL at random moments within its work; after every kill the store and the backups must be
// whole. The kills are counted in rounds of work the child reports, not in time, so a slow machine
// runs the same test as a fast one, only longer.
#include <gtest/gtest.h>
#include <poll.h>
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
constexpr int kKills = 200;
// Each child completes at least this many rounds (an apply with its backup, a restore) before the
// kill is armed, and at most kMostRoundsBeforeKill - 1.
constexpr unsigned kFewestRoundsBeforeKill = 1;
constexpr unsigned kMostRoundsBeforeKill = 4;
// The kill then lands this far into the next round: most rounds take a few milliseconds.
constexpr unsigned kLongestDelayIntoRoundUs = 8000;
// A child that reports nothing for this long hangs.
constexpr int kRoundTimeoutMs = 60000;
// A child's exit statuses when the work itself failed, which a kill must never cause.
constexpr int kExitNoStore = 3;
constexpr int kExitApplyFailed = 4;
constexpr int kExitRestoreFailed = 5;
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
// Writes a byte to progress at the start of every round.
[[noreturn]] void ChildLoop(const std::filesystem::path& store, const std::filesystem::path& backups, unsigned seed,
                            int progress) {
  std::string error;
  auto registry = OpenRegistryStore(store, &error);
  if (!registry) _exit(kExitNoStore);
  SystemClock clock;
  TuningContext context{*registry, clock, backups, kFamily};
  std::mt19937 random(seed);
  for (int round = 0;; ++round) {
    if (write(progress, "r", 1) != 1) _exit(kExitNoStore);
    if (!ApplySettings(context, Profiles()[round % 2 == 0 ? 0 : 4]).ok()) _exit(kExitApplyFailed);
    const BackupList list = ListBackups(backups);
    if (!list.entries.empty()) {
      const auto& pick = list.entries[random() % list.entries.size()];
      const auto file = FindBackupFile(backups, pick.fileName);
      if (!file.error.empty() ||
          RestoreSettingsBackup(*registry, kFamily, file.path).outcome != RestoreOutcome::Completed)
        _exit(kExitRestoreFailed);
    }
    if (list.entries.size() > 12) DeleteBackup(backups, list.entries.front().fileName);
  }
}

// Waits until the child has started `rounds` rounds; false when it stopped or hung first.
bool AwaitRounds(int progress, unsigned rounds) {
  for (unsigned started = 0; started < rounds;) {
    pollfd ready{progress, POLLIN, 0};
    if (poll(&ready, 1, kRoundTimeoutMs) != 1) return false;
    char mark = 0;
    if (read(progress, &mark, 1) != 1) return false;
    ++started;
  }
  return true;
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

  int highestBackup = 0;
  for (int kills = 0; kills < kKills; ++kills) {
    int progress[2];
    ASSERT_EQ(pipe(progress), 0);
    const unsigned seed = random();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(progress[0]);
      ChildLoop(store, backups, seed, progress[1]);
    }
    close(progress[1]);
    // Started rounds: the ones completed, plus the one the kill lands in.
    const unsigned rounds = kFewestRoundsBeforeKill + 1 + random() % (kMostRoundsBeforeKill - kFewestRoundsBeforeKill);
    const bool worked = AwaitRounds(progress[0], rounds);
    if (worked) std::this_thread::sleep_for(std::chrono::microseconds(random() % kLongestDelayIntoRoundUs));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(progress[0]);  // only now: a closed reader would stop the child with SIGPIPE at a round's start
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself with status " << WEXITSTATUS(status)
                                     << " after kill " << kills;
    ASSERT_TRUE(worked) << "the child reported no progress for " << kRoundTimeoutMs << " ms after kill " << kills;

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
  // Every child completed at least one apply, each with a backup of its own.
  EXPECT_GE(highestBackup, kKills * static_cast<int>(kFewestRoundsBeforeKill));
  std::cout << kKills << " kills; backups numbered up to " << highestBackup << "\n";
}

}  // namespace
}  // namespace zf
