// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "core/Config.h"
#include "support/TempDir.h"

namespace zf {
namespace {

void Touch(const std::filesystem::path& file) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file) << "x";
}

TEST(ConfigTest, ABuildFolderIsItsOwnProgramFolderAndKeepsItsBackups) {
  test::TempDir dir;
  Touch(dir / "bin" / "speed up.swf");
  const auto [folder, installed] = ProgramFolderFor(dir / "bin");
  EXPECT_EQ(folder, dir / "bin");
  EXPECT_FALSE(installed);
  Config config;
  config.programFolder = folder;
  config.installed = installed;
  EXPECT_EQ(BackupsFolder(config), dir / "bin" / "Backups");
}

TEST(ConfigTest, AnInstalledProgramReadsShareAndWritesBackupsToTheUserDataFolder) {
  test::TempDir dir;
  std::filesystem::create_directories(dir / "usr" / "bin");
  Touch(dir / "usr" / "share" / "zentrofast" / "speed up.swf");
  const auto [folder, installed] = ProgramFolderFor(dir / "usr" / "bin");
  EXPECT_EQ(folder, dir / "usr" / "share" / "zentrofast");
  EXPECT_TRUE(installed);

  setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  Config config = LoadConfig();
  unsetenv("XDG_DATA_HOME");
  config.programFolder = folder;
  config.installed = installed;
  EXPECT_EQ(BackupsFolder(config), dir / "data" / "zentrofast" / "Backups");
  EXPECT_EQ(config.registryFile, dir / "data" / "zentrofast" / "registry.sqlite3");
  EXPECT_EQ(MissingFolderProblem(config), "");
}

// Sets or unsets (nullptr) a variable for the life of the object.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedVariable() { m_old ? setenv(m_name, m_old->c_str(), 1) : unsetenv(m_name); }

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

// A root cron job started in a user's folder has neither HOME nor XDG_DATA_HOME: the data folder
// is the account's home, never the current folder and the link someone planted there.
TEST(ConfigTest, WithoutAnAbsoluteHomeInTheEnvironmentTheDataFolderIsTheAccountsHome) {
  const passwd* account = ::getpwuid(::geteuid());
  ASSERT_NE(account, nullptr);
  const auto expected = std::filesystem::path(account->pw_dir) / ".local" / "share" / "zentrofast";
  test::TempDir current;
  std::filesystem::create_symlink(current / "elsewhere", current / "zentrofast");
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(current.path());
  const struct {
    const char* home;
    const char* dataHome;
  } cases[] = {{nullptr, nullptr}, {"", ""}, {".", "relative/data"}};
  for (const auto& variables : cases) {
    ScopedVariable home("HOME", variables.home);
    ScopedVariable dataHome("XDG_DATA_HOME", variables.dataHome);
    const auto folder = UserDataFolder();
    EXPECT_TRUE(folder.has_value() && folder.value() == expected)
        << (variables.home ? variables.home : "(unset)") << ": " << (folder ? folder->string() : folder.error().text);
  }
  std::filesystem::current_path(previous);
}

// An account the password database does not know, without HOME: nothing to fall back on but a
// clear refusal.
TEST(ConfigTest, AnAccountWithoutAnyHomeIsRefusedWithTheReason) {
  if (::geteuid() != 0) GTEST_SKIP() << "becoming an unknown user needs root";
  constexpr uid_t kUnknownUser = 54321;
  if (::getpwuid(kUnknownUser) != nullptr) GTEST_SKIP() << "uid " << kUnknownUser << " has an account here";
  const pid_t child = ::fork();
  if (child == 0) {
    unsetenv("HOME");
    unsetenv("XDG_DATA_HOME");
    unsetenv("ZENTROFAST_REGISTRY");
    if (::setuid(kUnknownUser) != 0) ::_exit(2);
    const std::string problem = MissingFolderProblem(LoadConfig());
    ::_exit(problem.find("set HOME") != std::string::npos ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST(ConfigTest, WithoutDataFilesAnywhereTheExecutableFolderStands) {
  test::TempDir dir;
  const auto [folder, installed] = ProgramFolderFor(dir.path());
  EXPECT_EQ(folder, dir.path());
  EXPECT_FALSE(installed);
}

TEST(ConfigTest, TheHomeOverrideIsAlwaysAPortableFolder) {
  test::TempDir dir;
  setenv("ZENTROFAST_HOME", dir.path().c_str(), 1);
  setenv("ZENTROFAST_OS_VERSION", "two.five", 1);
  const Config config = LoadConfig();
  unsetenv("ZENTROFAST_HOME");
  unsetenv("ZENTROFAST_OS_VERSION");
  EXPECT_EQ(config.programFolder, dir.path());
  EXPECT_FALSE(config.installed);
  EXPECT_EQ(BackupsFolder(config), dir / "Backups");
  // A version that cannot be read is reported, and the default stands.
  EXPECT_NE(config.warning.find("two.five"), std::string::npos);
  EXPECT_EQ(GetOSVersion(config.osVersion), GetOSVersion(kDefaultOSVersion));
}

}  // namespace
}  // namespace zf
