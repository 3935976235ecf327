// SPDX-License-Identifier: GPL-3.0-or-later
// zentrofastctl apply and backup: argument checks, listing and deleting, and whole runs over a
// real registry store.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "LinuxCliPlatform.h"
#include "cli/CliContext.h"
#include "core/CRegister.h"
#include "core/RegistrySettings.h"
#include "core/RegistryStore.h"
#include "support/BackupFiles.h"
#include "support/TempDir.h"

namespace zf {
namespace {

namespace fs = std::filesystem;

struct CtlRun {
  int exitCode;
  std::string out;
  std::string err;
};

class BackupCommandsTest : public ::testing::Test {
 protected:
  CtlRun Ctl(std::vector<std::string> args, const std::string& osVersion = "2.5.1") {
    std::vector<std::string> argv{"--home", home.path().string(), "--registry", registryFile.string(), "--os-version",
                                  osVersion};
    argv.insert(argv.end(), args.begin(), args.end());
    std::ostringstream out, err;
    test::LinuxCliPlatform platform;
    const int code = cli::RunCli(argv, platform.Services(), out, err);
    return {code, out.str(), err.str()};
  }
  void Touch(const std::string& name, const std::string& bytes) {
    fs::create_directories(backups);
    test::WriteBytes(backups / name, bytes);
  }

  // Reads or sets one number of the NT layout in the store the commands use.
  double TcpipValue(const std::string& name) {
    std::string error;
    auto store = OpenRegistryStore(registryFile, &error);
    EXPECT_TRUE(store) << error;
    return store ? CRegister(*store).myREGGetSetting(HKEY_LOCAL_MACHINE, kTcpip, name) : -1;
  }
  void SetTcpipValue(const std::string& name, std::int32_t value) {
    std::string error;
    auto store = OpenRegistryStore(registryFile, &error);
    ASSERT_TRUE(store) << error;
    RegFunctions(*store).SetRegistryValue(HKEY_LOCAL_MACHINE, kTcpip, name, REG_DWORD, value, false);
  }

  static constexpr const char* kTcpip = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
  test::TempDir home;
  fs::path backups = home / "Backups";
  fs::path registryFile = home / "registry.sqlite3";
};

TEST_F(BackupCommandsTest, BadArgumentsAreUsageErrorsThatTouchNothing) {
  const std::vector<std::vector<std::string>> lines{
      {"apply"},
      {"apply", "--profile"},
      {"apply", "--profile", "8"},
      {"apply", "--profile", "-1"},
      {"apply", "--profile", "1x"},
      {"apply", "--connection-type", "4"},
      {"apply", "--profile", "1", "--connection-type", "2"},
      {"apply", "--profile", "1", "--profile", "2"},
      {"apply", "--bogus", "1"},
      {"apply", "--profile", "1", "--set", "Speed=1"},
      {"apply", "--profile", "1", "--set", "TTL"},
      {"apply", "--profile", "1", "--set", "TTL=abc"},
      {"apply", "--profile", "1", "--set", "MTU=2147483648"},
      {"apply", "--profile", "1", "--set", "SYNAttackProtect=40000"},
      {"apply", "--profile", "1", "--set", "PmtuDiscovery=maybe"},
      {"backup"},
      {"backup", "list", "extra"},
      {"backup", "restore"},
      {"backup", "restore", "../001.BCK"},
      {"backup", "restore", "1.BCK"},
      {"backup", "delete", "001.BAK"},
      {"backup", "copy", "001.BCK"},
  };
  for (const auto& line : lines) {
    const CtlRun run = Ctl(line);
    EXPECT_EQ(run.exitCode, cli::kExitUsage) << ::testing::PrintToString(line);
    EXPECT_FALSE(run.err.empty()) << ::testing::PrintToString(line);
  }
  EXPECT_EQ(test::FolderNames(home.path()), std::vector<std::string>{});
}

TEST_F(BackupCommandsTest, ListPrintsNameDateAndTimeOnePerLine) {
  EXPECT_EQ(Ctl({"backup", "list"}).out, "");
  Touch("002.BCK", "#2026-12-08#\r\n#10:00:00#\r\n7\r\n");
  Touch("001.BCK", "#2026-12-07#\r\n#09:05:03#\r\n7\r\n");
  Touch("003.BCK", "not a backup");
  Touch(".incomplete-x1Y2z3", "");
  const CtlRun run = Ctl({"backup", "list"});
  EXPECT_EQ(run.exitCode, cli::kExitOk);
  EXPECT_EQ(run.out, "001.BCK  2026-12-07  09:05:03\n002.BCK  2026-12-08  10:00:00\n003.BCK\n");
}

TEST_F(BackupCommandsTest, DeleteRemovesTheNamedBackupOnly) {
  Touch("001.BCK", "a");
  Touch("002.BCK", "b");
  CtlRun run = Ctl({"backup", "delete", "001.BCK"});
  EXPECT_EQ(run.exitCode, cli::kExitOk) << run.err;
  EXPECT_EQ(test::FolderNames(backups), std::vector<std::string>{"002.BCK"});
  run = Ctl({"backup", "delete", "001.BCK"});
  EXPECT_EQ(run.exitCode, cli::kExitFailed);
  EXPECT_NE(run.err.find("001.BCK"), std::string::npos) << run.err;
}

TEST_F(BackupCommandsTest, RestoreOfAMissingBackupFails) {
  const CtlRun run = Ctl({"backup", "restore", "005.BCK"});
  EXPECT_EQ(run.exitCode, cli::kExitFailed);
  EXPECT_NE(run.err.find("005.BCK"), std::string::npos) << run.err;
}

TEST_F(BackupCommandsTest, ApplyThenRestorePutsTheStoreBack) {
  SetTcpipValue("DefaultTTL", 128);
  CtlRun run = Ctl({"apply", "--profile", "4", "--set", "ttl=100"});
  ASSERT_EQ(run.exitCode, cli::kExitOk) << run.err;
  EXPECT_NE(run.out.find("001.BCK"), std::string::npos) << run.out;
  EXPECT_EQ(TcpipValue("DefaultTTL"), 100);
  EXPECT_EQ(TcpipValue("TcpWindowSize"), 256960);

  run = Ctl({"backup", "restore", "001.BCK"});
  EXPECT_EQ(run.exitCode, cli::kExitOk) << run.err;
  EXPECT_EQ(TcpipValue("DefaultTTL"), 128);
  EXPECT_EQ(TcpipValue("TcpWindowSize"), 0);  // missing before the apply: recorded and restored as 0
}

TEST_F(BackupCommandsTest, RestoreOfAnotherFamilyIsRefusedAndChangesNothing) {
  ASSERT_EQ(Ctl({"apply", "--profile", "0"}).exitCode, cli::kExitOk);
  const CtlRun run = Ctl({"backup", "restore", "001.BCK"}, "1.4.10");
  EXPECT_EQ(run.exitCode, cli::kExitFailed);
  EXPECT_NE(run.err.find("This backup file was taken from another operating system!!"), std::string::npos) << run.err;
  EXPECT_EQ(TcpipValue("DefaultTTL"), 128);
}

TEST_F(BackupCommandsTest, DamagedBackupFailsAtItsLineKeepingTheValuesBefore) {
  Touch("005.BCK", test::CrLfLines({"#2026-12-07#", "#09:05:03#", "7", test::Quoted(kTcpip), test::Quoted("DefaultTTL"),
                                    "77", test::Quoted("TcpWindowSize"), "4294967296", test::Quoted("MTU"), "1"}));
  const CtlRun run = Ctl({"backup", "restore", "005.BCK"});
  EXPECT_EQ(run.exitCode, cli::kExitFailed);
  EXPECT_NE(run.err.find("line 8"), std::string::npos) << run.err;
  EXPECT_EQ(TcpipValue("DefaultTTL"), 77);
  EXPECT_EQ(TcpipValue("MTU"), 0);
}

TEST_F(BackupCommandsTest, ApplyWithoutAFreeBackupNumberChangesNothing) {
  Touch("999.BCK", "");
  const CtlRun run = Ctl({"apply", "--profile", "4"});
  EXPECT_EQ(run.exitCode, cli::kExitFailed);
  EXPECT_NE(run.err.find("999"), std::string::npos) << run.err;
  EXPECT_EQ(TcpipValue("DefaultTTL"), 0);
  EXPECT_EQ(test::FolderNames(backups), std::vector<std::string>{"999.BCK"});
}

TEST_F(BackupCommandsTest, ANegativeTtlComesBackFromItsBackup) {
  ASSERT_EQ(Ctl({"apply", "--profile", "0", "--set", "TTL=-5"}).exitCode, cli::kExitOk);
  ASSERT_EQ(Ctl({"apply", "--profile", "1"}).exitCode, cli::kExitOk);
  const CtlRun run = Ctl({"backup", "restore", "002.BCK"});
  EXPECT_EQ(run.exitCode, cli::kExitOk) << run.err;
  EXPECT_EQ(TcpipValue("DefaultTTL"), 4294967291.0);  // -5 as a REG_DWORD's bytes
}

TEST_F(BackupCommandsTest, ApplyNamesTheValuesItsBackupCouldNotKeepAndGoesOn) {
  {
    std::string error;
    auto store = OpenRegistryStore(registryFile, &error);
    ASSERT_TRUE(store) << error;
    RegFunctions(*store).SetRegistryValue(HKEY_LOCAL_MACHINE, kTcpip, "DefaultTTL", REG_SZ, "abc", false);
  }
  const CtlRun run = Ctl({"apply", "--profile", "0"});
  EXPECT_EQ(run.exitCode, cli::kExitOk) << run.err;
  EXPECT_NE(run.err.find("could not keep"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("DefaultTTL"), std::string::npos) << run.err;
  EXPECT_EQ(TcpipValue("DefaultTTL"), 128);
}

TEST_F(BackupCommandsTest, LinksAndFifosInTheFolderAreNeitherListedNorRestored) {
  ASSERT_EQ(Ctl({"apply", "--profile", "0"}).exitCode, cli::kExitOk);
  test::WriteBytes(home / "secret", "#2026-12-07#\r\n#09:05:03#\r\n7\r\nSECRET-BYTES\r\n");
  fs::create_symlink(home / "secret", backups / "002.BCK");
  ASSERT_EQ(::mkfifo((backups / "003.BCK").c_str(), 0600), 0);
  CtlRun run = Ctl({"backup", "list"});  // a FIFO opened for reading would wait here for ever
  EXPECT_EQ(run.exitCode, cli::kExitOk) << run.err;
  EXPECT_NE(run.out.find("001.BCK"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("002.BCK"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("003.BCK"), std::string::npos) << run.out;
  for (const char* name : {"002.BCK", "003.BCK"}) {
    run = Ctl({"backup", "restore", name});
    EXPECT_EQ(run.exitCode, cli::kExitFailed) << name;
    EXPECT_EQ(run.err.find("SECRET"), std::string::npos) << run.err;
  }
  // With 002 and 003 taken by odd entries, the next apply still finds a number.
  run = Ctl({"apply", "--profile", "1"});
  EXPECT_EQ(run.exitCode, cli::kExitOk) << run.err;
  EXPECT_NE(run.out.find("004.BCK"), std::string::npos) << run.out;
}

// Runs body in a child process of its own and hands back what it reported ("" when all was well).
std::string InChild(const std::function<std::string()>& body) {
  int ends[2];
  if (pipe(ends) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(ends[0]);
    const std::string report = body();
    (void)!write(ends[1], report.data(), report.size());
    _exit(0);
  }
  close(ends[1]);
  std::string report;
  char buffer[512];
  for (ssize_t got; (got = read(ends[0], buffer, sizeof buffer)) > 0;) report.append(buffer, std::size_t(got));
  close(ends[0]);
  waitpid(child, nullptr, 0);
  return report;
}

TEST_F(BackupCommandsTest, OnAFullDiskApplyAndRestoreSayTheDiskIsFullAndChangeNothing) {
  if (getuid() != 0) GTEST_SKIP() << "needs root to mount a small file system";
  const std::string report = InChild([&]() -> std::string {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      return "SKIP no mount namespace of our own";
    if (mount("tmpfs", home.path().c_str(), "tmpfs", 0, "size=1m,mode=0700") != 0) return "cannot mount a tmpfs";
    if (Ctl({"apply", "--profile", "4", "--set", "ttl=100"}).exitCode != cli::kExitOk) return "the first apply failed";
    std::ofstream filler(home / "filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size())) filler.flush();

    std::string problems;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"apply", "--profile", "0"}, {"backup", "restore", "001.BCK"}}) {
      const CtlRun run = Ctl(args);
      if (run.exitCode != cli::kExitFailed || run.err.find("disk full") == std::string::npos)
        problems += args[0] + " ended " + std::to_string(run.exitCode) + " saying: " + run.err;
    }
    if (TcpipValue("DefaultTTL") != 100) problems += "the stored TTL changed";
    return problems;
  });
  if (report.starts_with("SKIP")) GTEST_SKIP() << report;
  EXPECT_EQ(report, "");
}

}  // namespace
}  // namespace zf
