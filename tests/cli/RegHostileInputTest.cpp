// SPDX-License-Identifier: GPL-3.0-or-later
// What reg add, import and export do with names beyond the registry's limits, control
// characters, signed hex numbers and a folder where someone planted links.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "CliRunner.h"

namespace zf {
namespace {

namespace fs = std::filesystem;
using test::CliResult;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// "HKLM\T\k\k…" with depth names below T.
std::string DeepKey(int depth) {
  std::string key = "HKLM\\T";
  for (int i = 1; i < depth; ++i) key += "\\k";
  return key;
}

// This process's resident set in KiB, as ru_maxrss counts.
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word)
    if (word == "VmRSS:" && status >> word) return std::stol(word);
  return 0;
}

class RegHostileInputTest : public ::testing::Test {
 protected:
  CliResult Run(const std::vector<std::string>& args) { return cli.Run(args); }
  bool KeyExists(const std::string& key) { return Run({"reg", "query", key}).exitStatus == 0; }
  test::CliRunner cli;
};

TEST_F(RegHostileInputTest, LineBreaksAndNulInNamesAreRefusedAndNothingIsWritten) {
  for (const std::string& key :
       {std::string("HKLM\\Bad\nKey"), std::string("HKLM\\Bad\rKey"), std::string("HKLM\\Bad\0Key", 12)}) {
    const CliResult added = Run({"reg", "add", key});
    EXPECT_EQ(added.exitStatus, 1) << key;
    EXPECT_NE(added.err.find("holds a line break or NUL"), std::string::npos) << added.err;
    EXPECT_EQ(added.err.find('\n'), added.err.size() - 1) << "the name is not echoed raw: " << added.err;
  }
  const CliResult value = Run({"reg", "add", "HKLM\\Good", "--value", "two\nlines", "--data", "x"});
  EXPECT_EQ(value.exitStatus, 1);
  EXPECT_NE(value.err.find("the value name \"two?lines\""), std::string::npos) << value.err;
  EXPECT_FALSE(KeyExists("HKLM\\Good"));
  EXPECT_FALSE(KeyExists("HKLM\\Bad"));
}

TEST_F(RegHostileInputTest, KeyNamesValueNamesAndDepthKeepTheRegistrysLimits) {
  EXPECT_EQ(Run({"reg", "add", "HKLM\\" + std::string(255, 'k')}).exitStatus, 0);
  const CliResult longKey = Run({"reg", "add", "HKLM\\" + std::string(256, 'k')});
  EXPECT_EQ(longKey.exitStatus, 1);
  EXPECT_NE(longKey.err.find("is 256 characters long; at most 255"), std::string::npos) << longKey.err;
  EXPECT_LT(longKey.err.size(), 200u) << "a long name is cut in the message";

  EXPECT_EQ(Run({"reg", "add", "HKLM\\V", "--value", std::string(16383, 'v'), "--data", "x"}).exitStatus, 0);
  const CliResult longValue = Run({"reg", "add", "HKLM\\V", "--value", std::string(16384, 'v'), "--data", "x"});
  EXPECT_EQ(longValue.exitStatus, 1);
  EXPECT_NE(longValue.err.find("at most 16383"), std::string::npos) << longValue.err.substr(0, 200);

  EXPECT_EQ(Run({"reg", "add", DeepKey(512)}).exitStatus, 0);
  const CliResult deep = Run({"reg", "add", DeepKey(513)});
  EXPECT_EQ(deep.exitStatus, 1);
  EXPECT_NE(deep.err.find("513 levels deep"), std::string::npos) << deep.err;
  EXPECT_FALSE(KeyExists(DeepKey(513)));
}

TEST_F(RegHostileInputTest, ImportRefusesNamesBeyondTheLimitsByLineAndWritesNothing) {
  const fs::path deep = cli.File("deep.reg");
  std::ofstream(deep, std::ios::binary) << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Fine]\n\"v\"=\"x\"\n\n[" << DeepKey(600)
                                        << "]\n";
  const CliResult tooDeep = Run({"reg", "import", deep.string()});
  EXPECT_EQ(tooDeep.exitStatus, 1);
  EXPECT_NE(tooDeep.err.find("line 6: the key"), std::string::npos) << tooDeep.err.substr(0, 300);
  EXPECT_FALSE(KeyExists("HKLM\\Fine"));
  EXPECT_FALSE(KeyExists("HKLM\\T"));

  const fs::path nul = cli.File("nul.reg");
  std::ofstream(nul, std::ios::binary) << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Fine]\n"
                                       << std::string("\"a\0b\"=\"x\"\n", 10);
  const CliResult withNul = Run({"reg", "import", nul.string()});
  EXPECT_EQ(withNul.exitStatus, 1);
  EXPECT_NE(withNul.err.find("line 4: the value name \"a?b\" holds a line break or NUL"), std::string::npos)
      << withNul.err;
  EXPECT_FALSE(KeyExists("HKLM\\Fine"));
}

TEST_F(RegHostileInputTest, HexNumbersCarryNoSign) {
  const CliResult signedHex = Run({"reg", "add", "HKLM\\N", "--value", "v", "--type", "REG_DWORD", "--data", "0x-1"});
  EXPECT_EQ(signedHex.exitStatus, 2);
  EXPECT_NE(signedHex.err.find("not a 32-bit number"), std::string::npos) << signedHex.err;
  EXPECT_EQ(Run({"reg", "add", "HKLM\\N", "--value", "v", "--type", "REG_DWORD", "--data", "0xFFFFFFFF"}).exitStatus,
            0);
  EXPECT_EQ(Run({"reg", "add", "HKLM\\N", "--value", "w", "--type", "REG_DWORD", "--data", "-1"}).exitStatus, 0);
  EXPECT_EQ(Run({"reg", "query", "HKLM\\N", "--value", "w"}).out,
            "HKEY_LOCAL_MACHINE\\N\n    w    REG_DWORD    0xffffffff\n");
}

TEST_F(RegHostileInputTest, ExportNeverWritesThroughALinkPlantedBesideTheFile) {
  ASSERT_EQ(Run({"reg", "add", "HKLM\\E", "--value", "v", "--data", "x"}).exitStatus, 0);
  const fs::path victim = cli.File("victim"), file = cli.File("out.reg");
  std::ofstream(victim) << "precious";
  fs::create_symlink(victim, file.string() + ".part");
  const CliResult exported = Run({"reg", "export", "HKLM\\E", file.string(), "--regedit4"});
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  EXPECT_EQ(ReadAll(victim), "precious");
  EXPECT_EQ(ReadAll(file), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\E]\r\n\"v\"=\"x\"\r\n\r\n");
  EXPECT_TRUE(fs::is_symlink(file.string() + ".part")) << "what was planted stays as it was";
}

TEST_F(RegHostileInputTest, FailedExportLeavesNoTemporaryFile) {
  ASSERT_EQ(Run({"reg", "add", "HKLM\\E", "--value", "v", "--data", "x"}).exitStatus, 0);
  const fs::path file = cli.File("out.reg");
  fs::create_directory(file);  // the finished export cannot take this name
  EXPECT_EQ(Run({"reg", "export", "HKLM\\E", file.string()}).exitStatus, 1);
  EXPECT_EQ(Run({"reg", "export", "HKLM\\Missing", cli.File("other.reg").string()}).exitStatus, 1);
  for (const auto& entry : fs::directory_iterator(file.parent_path()))
    EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos) << entry.path();
  EXPECT_FALSE(fs::exists(cli.File("other.reg")));
}

TEST_F(RegHostileInputTest, DeepestKeysExportInOrder) {
  ASSERT_EQ(Run({"reg", "add", DeepKey(512), "--value", "bottom", "--data", "x"}).exitStatus, 0);
  ASSERT_EQ(Run({"reg", "add", "HKLM\\T\\z"}).exitStatus, 0);
  const fs::path file = cli.File("deep.reg");
  const CliResult exported = Run({"reg", "export", "HKLM\\T", file.string(), "--regedit4"});
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  std::string expected = "REGEDIT4\r\n";
  std::string key = "HKEY_LOCAL_MACHINE\\T";
  for (int depth = 1; depth <= 512; ++depth, key += "\\k") expected += "\r\n[" + key + "]\r\n";
  expected += "\"bottom\"=\"x\"\r\n\r\n[HKEY_LOCAL_MACHINE\\T\\z]\r\n\r\n";
  EXPECT_EQ(ReadAll(file), expected);
}

// Keys this deep with the longest names make an export of 67 MB; it is written key by key, so the
// exporting process holds little more than one key's lines at a time.
TEST_F(RegHostileInputTest, ExportOfDeepLongKeysKeepsItsMemoryFlat) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine, so resident memory says nothing here";
#endif
  std::string reg = "REGEDIT4\r\n";
  for (char chain : {'a', 'b', 'c', 'd'}) {
    reg += "\r\n[HKEY_LOCAL_MACHINE";
    for (int level = 0; level < 256; ++level) reg += "\\" + std::string(255, chain);
    reg += "]\r\n";
  }
  std::ofstream(cli.File("deep.reg"), std::ios::binary) << reg;
  ASSERT_EQ(Run({"reg", "import", cli.File("deep.reg").string()}).exitStatus, 0);
  const long before = ResidentKiB();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(Run({"reg", "export", "HKLM", cli.File("out.reg").string()}).exitStatus);
  int status = 0;
  rusage usage{};
  ASSERT_EQ(wait4(child, &status, 0, &usage), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_GT(fs::file_size(cli.File("out.reg")), 64u << 20);
  EXPECT_LT(usage.ru_maxrss - before, 24L << 10) << "KiB more than the test process held";
}

}  // namespace
}  // namespace zf
