// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "CliRunner.h"
#include "core/RegistryStore.h"
#include "core/TcpSettings.h"

namespace zf {
namespace {

using test::CliResult;
using Bytes = std::vector<std::uint8_t>;

const std::string kKey = "HKLM\\SOFTWARE\\Tessel\\Zentrofast\\Settings\\NetPinger";
const std::string kLongKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tessel\\Zentrofast\\Settings\\NetPinger";

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class RegCommandsTest : public ::testing::Test {
 protected:
  CliResult Run(const std::vector<std::string>& args) { return cli.Run(args); }
  void ExpectSuccess(const std::vector<std::string>& args) {
    const CliResult result = Run(args);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
  }

  test::CliRunner cli;
};

TEST_F(RegCommandsTest, AddedValuesQueryLikeRegExe) {
  ExpectSuccess({"reg", "add", kKey, "--value", "chkDoPinging", "--type", "REG_SZ", "--data", "true"});
  ExpectSuccess({"reg", "add", kKey, "--value", "cmbInterval", "--type", "REG_DWORD", "--data", "0x1F"});
  ExpectSuccess({"reg", "add", kKey, "--value", "txtTimeout", "--type", "REG_DWORD", "--data", "-1"});
  ExpectSuccess({"reg", "add", kKey, "--default", "--data", "C:\\dir \"x\""});
  ExpectSuccess({"reg", "add", kKey + "\\Sub"});
  const CliResult query = Run({"reg", "query", "hklm\\software\\tessel\\zentrofast\\settings\\netpinger"});
  EXPECT_EQ(query.exitStatus, 0) << query.err;
  EXPECT_EQ(query.out,
            "HKEY_LOCAL_MACHINE\\software\\tessel\\zentrofast\\settings\\netpinger\n"
            "    (Default)    REG_SZ    C:\\dir \"x\"\n"
            "    chkDoPinging    REG_SZ    true\n"
            "    cmbInterval    REG_DWORD    0x1f\n"
            "    txtTimeout    REG_DWORD    0xffffffff\n"
            "\n"
            "HKEY_LOCAL_MACHINE\\software\\tessel\\zentrofast\\settings\\netpinger\\Sub\n");
  const CliResult one = Run({"reg", "query", kKey, "--value", "CMBINTERVAL"});
  EXPECT_EQ(one.out, kLongKey + "\n    CMBINTERVAL    REG_DWORD    0x1f\n");
  EXPECT_EQ(Run({"reg", "query", kKey, "--default"}).out, kLongKey + "\n    (Default)    REG_SZ    C:\\dir \"x\"\n");
}

TEST_F(RegCommandsTest, OtherTypesShowAsHexBytes) {
  {
    std::string error;
    auto store = OpenRegistryStore(cli.Store(), &error);
    ASSERT_TRUE(store) << error;
    store->SetValue(HKEY_CURRENT_USER, "bin", 3, {0x00, 0xAB, 0x10});
    store->SetValue(HKEY_CURRENT_USER, "odd", 0x42, {0x01});
    store->SetValue(HKEY_CURRENT_USER, "short", REG_DWORD, {0x05, 0x01});
  }
  EXPECT_EQ(Run({"reg", "query", "HKCU"}).out,
            "HKEY_CURRENT_USER\n"
            "    bin    REG_BINARY    00AB10\n"
            "    odd    REG_0x42    01\n"
            "    short    REG_DWORD    0501\n");
}

TEST_F(RegCommandsTest, DeleteTakesAValueOrAKeyWithItsSubkeys) {
  ExpectSuccess({"reg", "add", kKey, "--value", "a", "--data", "1"});
  ExpectSuccess({"reg", "add", kKey, "--value", "b", "--data", "2"});
  ExpectSuccess({"reg", "add", kKey + "\\Deep\\Deeper", "--value", "c", "--data", "3"});
  ExpectSuccess({"reg", "delete", kKey, "--value", "A"});
  const CliResult missing = Run({"reg", "query", kKey, "--value", "a"});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_NE(missing.err.find("\"a\""), std::string::npos) << missing.err;
  EXPECT_EQ(Run({"reg", "query", kKey, "--value", "b"}).exitStatus, 0);
  ExpectSuccess({"reg", "delete", kKey + "\\deep"});
  EXPECT_EQ(Run({"reg", "query", kKey + "\\Deep\\Deeper"}).exitStatus, 1);
  EXPECT_EQ(Run({"reg", "query", kKey}).out, kLongKey + "\n    b    REG_SZ    2\n");
}

TEST_F(RegCommandsTest, UsageErrorsExitWith2AndSayWhy) {
  struct Case {
    std::vector<std::string> args;
    std::string said;
  };
  const std::vector<Case> cases{
      {{"reg"}, "subcommand"},
      {{"reg", "list", kKey}, "unknown reg subcommand"},
      {{"reg", "query"}, "operand"},
      {{"reg", "query", "HKXX\\Software"}, "unknown hive \"HKXX\""},
      {{"reg", "query", "HKLM\\A\\\\B"}, "empty"},
      {{"reg", "add", "HKLM\\\\Lead"}, "empty"},
      {{"reg", "add", kKey, "--value", "v", "--type", "REG_DWORD", "--data", std::string(100000, '9')}, "--data \"999"},
      {{"apply", "--profile", std::string(100000, '7')}, "--profile wants 0 to 7, not \"777"},
      {{"reg", "query", kKey, "--value", "a", "--default"}, "either --value or --default"},
      {{"reg", "query", kKey, "--type", "REG_SZ"}, "does not take --type"},
      {{"reg", "add", kKey, "--value", "v", "--type", "REG_BINARY", "--data", "1"}, "REG_SZ or REG_DWORD"},
      {{"reg", "add", kKey, "--value", "v", "--type", "REG_DWORD", "--data", "12abc"}, "not a 32-bit number"},
      {{"reg", "add", kKey, "--value", "v", "--type", "REG_DWORD", "--data", "4294967296"}, "not a 32-bit number"},
      {{"reg", "add", kKey, "--value", "v", "--type", "REG_DWORD"}, "needs --data"},
      {{"reg", "add", kKey, "--data", "x"}, "need --value"},
      {{"reg", "add", kKey, "--value"}, "needs a value"},
      {{"reg", "delete", "HKCU"}, "whole hive"},
      {{"reg", "export", kKey}, "operands"},
      {{"profiles", "extra"}, "no operands"},
  };
  for (const Case& c : cases) {
    const CliResult result = Run(c.args);
    EXPECT_EQ(result.exitStatus, 2) << c.args.back();
    EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err.substr(0, 300);
    EXPECT_LT(result.err.size(), 300u) << "a long argument is cut in the message";
    EXPECT_TRUE(result.out.empty());
  }
  EXPECT_FALSE(std::filesystem::exists(cli.Store())) << "a usage error opened the store";
}

TEST_F(RegCommandsTest, FailuresExitWith1AndSayWhat) {
  ExpectSuccess({"reg", "add", kKey, "--value", "kept", "--data", "x"});
  const CliResult noKey = Run({"reg", "query", "HKLM\\Nowhere"});
  EXPECT_EQ(noKey.exitStatus, 1);
  EXPECT_NE(noKey.err.find("HKEY_LOCAL_MACHINE\\Nowhere: not found"), std::string::npos) << noKey.err;
  const CliResult noDefault = Run({"reg", "delete", kKey, "--default"});
  EXPECT_EQ(noDefault.exitStatus, 1);
  EXPECT_NE(noDefault.err.find("default value"), std::string::npos) << noDefault.err;
  EXPECT_EQ(Run({"reg", "delete", "HKLM\\Nowhere"}).exitStatus, 1);
  EXPECT_EQ(Run({"reg", "import", cli.File("absent.reg").string()}).exitStatus, 1);

  chmod(cli.Store().c_str(), 0444);
  const CliResult denied = Run({"reg", "add", kKey, "--value", "new", "--data", "y"});
  EXPECT_EQ(denied.exitStatus, 1);
  EXPECT_NE(denied.err.find("access denied"), std::string::npos) << denied.err;
  EXPECT_EQ(Run({"reg", "query", kKey, "--value", "kept"}).exitStatus, 0);

  WriteAll(cli.Store(), "scribble");
  const CliResult corrupt = Run({"reg", "query", kKey});
  EXPECT_EQ(corrupt.exitStatus, 1);
  EXPECT_NE(corrupt.err.find(cli.Store().string()), std::string::npos) << corrupt.err;
  EXPECT_EQ(ReadAll(cli.Store()), "scribble");
}

TEST_F(RegCommandsTest, ProfilesListsEveryProfileWithItsValues) {
  const CliResult result = Run({"profiles"});
  ASSERT_EQ(result.exitStatus, 0);
  for (int i = 0; i < kProfileCount; ++i)
    EXPECT_NE(result.out.find(std::to_string(i) + "  " + std::string(ProfileCaption(i)) + "\n"), std::string::npos);
  // Each field row holds that field of profiles 0 to 7, in order.
  auto row = [&](const std::string& field) {
    std::istringstream lines(result.out);
    std::string line;
    while (std::getline(lines, line)) {
      std::istringstream words(line);
      std::string first;
      words >> first;
      if (first != field) continue;
      std::vector<std::string> cells;
      for (std::string cell; words >> cell;) cells.push_back(cell);
      return cells;
    }
    return std::vector<std::string>();
  };
  std::vector<std::string> rwin, mss, pmtu, perServer;
  for (const TcpSettings& profile : Profiles()) {
    rwin.push_back(std::to_string(profile.RWIN));
    mss.push_back(std::to_string(profile.MSS));
    pmtu.push_back(profile.PmtuDiscovery ? "on" : "off");
    perServer.push_back(std::to_string(profile.MaxConnPerServer));
  }
  EXPECT_EQ(row("RWIN"), rwin);
  EXPECT_EQ(row("MSS"), mss);
  EXPECT_EQ(row("PmtuDiscovery"), pmtu);
  EXPECT_EQ(row("MaxConnPerServer"), perServer);
  for (const char* field : {"MTU", "TTL", "KeepAliveTime", "KeepAliveInterval", "SYNAttackProtect", "NdiCacheSize",
                            "BlackHoleDetect", "MaxConnPer10Server", "IcmpRedirects"})
    EXPECT_EQ(row(field).size(), 8u) << field;
}

TEST_F(RegCommandsTest, TheBuiltProgramAnswersWithItsExitStatus) {
  const CliResult added = cli.RunProgram({"reg", "add", kKey, "--value", "v", "--type", "REG_DWORD", "--data", "1460"});
  ASSERT_EQ(added.exitStatus, 0) << added.err;
  const CliResult query = cli.RunProgram({"reg", "query", kKey, "--value", "v"});
  EXPECT_EQ(query.exitStatus, 0);
  EXPECT_EQ(query.out, kLongKey + "\n    v    REG_DWORD    0x5b4\n");
  const CliResult missing = cli.RunProgram({"reg", "query", kKey, "--value", "w"});
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_FALSE(missing.err.empty());
  EXPECT_EQ(cli.RunProgram({"reg", "query"}).exitStatus, 2);
}

// Root writes any file; an ordinary user may not write a store another user owns.
TEST_F(RegCommandsTest, OrdinaryUserIsDeniedWritingAStoreOfAnotherUser) {
  if (getuid() != 0) GTEST_SKIP() << "needs root to become another user";
  ExpectSuccess({"reg", "add", kKey, "--value", "v", "--data", "root's"});
  chmod(cli.Store().c_str(), 0644);
  chmod(cli.Store().parent_path().c_str(), 0755);
  cli.UseProgramCopy();
  auto becomeNobody = [] {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(125);
  };
  const CliResult read = cli.RunProgram({"reg", "query", kKey, "--value", "v"}, becomeNobody);
  EXPECT_EQ(read.exitStatus, 0) << read.err;
  EXPECT_NE(read.out.find("root's"), std::string::npos);
  const CliResult write = cli.RunProgram({"reg", "add", kKey, "--value", "v", "--data", "nobody's"}, becomeNobody);
  EXPECT_EQ(write.exitStatus, 1);
  EXPECT_NE(write.err.find("access denied"), std::string::npos) << write.err;
}

}  // namespace
}  // namespace zf
