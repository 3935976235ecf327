// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

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
  Config config;
  config.programFolder = folder;
  config.installed = installed;
  EXPECT_EQ(BackupsFolder(config), dir / "data" / "zentrofast" / "Backups");
  EXPECT_EQ(DefaultRegistryFile(), dir / "data" / "zentrofast" / "registry.sqlite3");
  unsetenv("XDG_DATA_HOME");
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
