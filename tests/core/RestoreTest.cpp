// SPDX-License-Identifier: GPL-3.0-or-later
// Putting a backup's values back: the three outcomes, value types, and the batch.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <limits>

#include "core/SettingsBackup.h"
#include "support/BackupFiles.h"
#include "support/MemoryRegistry.h"
#include "support/TempDir.h"

namespace zf {
namespace {

using test::CrLfLines;
using test::Quoted;
using test::RegistryChange;

const std::string kTcpipKey = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string kBrowserKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const std::string kCacheKey = "System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize";

// An NT backup of family 7 whose first group holds the given thirteen values.
std::vector<std::string> NTFile(const std::vector<std::string>& first13) {
  const char* names[] = {"SackOpts",
                         "Tcp1323Opts",
                         "TcpMaxDupAcks",
                         "DefaultReceiveWindow",
                         "DefaultTTL",
                         "GlobalMaxTcpWindowSize",
                         "TcpWindowSize",
                         "EnablePMTUBHDetect",
                         "EnablePMTUDiscovery",
                         "KeepAliveTime",
                         "KeepAliveInterval",
                         "SYNAttackProtect",
                         "EnableICMPRedirects"};
  std::vector<std::string> lines{"#2026-12-07#", "#09:05:03#", "7", Quoted(kTcpipKey)};
  for (int i = 0; i < 13; ++i) lines.insert(lines.end(), {Quoted(names[i]), first13.at(i)});
  lines.insert(lines.end(), {Quoted(kBrowserKey), Quoted("MaxConnectionsPer1_0Server"), "4",
                             Quoted("MaxConnectionsPerServer"), "2", Quoted(kCacheKey), Quoted(""), "32"});
  return lines;
}

const std::vector<std::string> kFirst13{"1", "1", "2",       "8192", "128", "65535", "65535",
                                        "0", "1", "7200000", "1000", "0",   "0"};

class RestoreTest : public ::testing::Test {
 protected:
  RestoreResult Restore(const std::vector<std::string>& lines, std::int16_t running = 7) {
    test::WriteBytes(file, CrLfLines(lines));
    return RestoreSettingsBackup(registry, running, file);
  }
  std::vector<std::string> WrittenNames() const {
    std::vector<std::string> names;
    for (const RegistryChange& c : registry.Changes())
      if (c.kind == RegistryChange::Kind::SetValue) names.push_back(c.name);
    return names;
  }

  test::TempDir folder;
  std::filesystem::path file = folder / "003.BCK";
  test::MemoryRegistry registry;
};

TEST_F(RestoreTest, OtherFamilyIsRefusedAndWritesNothing) {
  std::vector<std::string> lines = NTFile(kFirst13);
  lines[2] = "6";
  const RestoreResult result = Restore(lines, 7);
  EXPECT_EQ(result.outcome, RestoreOutcome::Refused);
  EXPECT_EQ(result.description, kOtherOSBackupMessage);
  EXPECT_EQ(result.fileFamilyCode, 6);
  EXPECT_TRUE(registry.Changes().empty());
  EXPECT_EQ(registry.CommittedBatches(), 0);
}

TEST_F(RestoreTest, NTFileCompletesAtItsEndWritingNumbersUnderTheRightHives) {
  std::vector<std::string> lines = NTFile(kFirst13);
  const std::string interfaceKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{a}";
  const std::string adapterKey = "SYSTEM\\CurrentControlSet\\Services\\{a}\\Parameters\\Tcpip";
  lines.insert(lines.end(), {Quoted(interfaceKey), Quoted("MTU"), "1500", Quoted("MSS"), "1460", Quoted(adapterKey),
                             Quoted("MTU"), "0", Quoted("MSS"), "0"});
  ASSERT_EQ(lines.size(), 48u);
  const RestoreResult result = Restore(lines);
  EXPECT_EQ(result.outcome, RestoreOutcome::Completed) << result.description;
  EXPECT_EQ(result.valuesWritten, 20);
  EXPECT_EQ(registry.CommittedBatches(), 1);
  EXPECT_EQ(registry.GetDword("HKLM\\" + kTcpipKey, "DefaultTTL"), 128);
  EXPECT_EQ(registry.GetDword("HKLM\\" + kTcpipKey, "EnableICMPRedirects"), 0);
  EXPECT_EQ(registry.GetDword("HKCU\\" + kBrowserKey, "MaxConnectionsPer1_0Server"), 4);
  EXPECT_FALSE(registry.HasKey("HKLM\\" + kBrowserKey));
  EXPECT_EQ(registry.GetDword("HKLM\\" + kCacheKey, ""), 32);
  EXPECT_EQ(registry.GetDword("HKLM\\" + interfaceKey, "MSS"), 1460);
  EXPECT_EQ(registry.GetDword("HKLM\\" + adapterKey, "MTU"), 0);
  EXPECT_EQ(registry.OpenHandleCount(), 0);
}

TEST_F(RestoreTest, FileEndingAfterTheCacheSizeGroupCompletes) {
  const RestoreResult result = Restore(NTFile(kFirst13));
  EXPECT_EQ(result.outcome, RestoreOutcome::Completed);
  EXPECT_EQ(WrittenNames().back(), "");
  EXPECT_EQ(result.valuesWritten, 16);
}

TEST_F(RestoreTest, EndInsideALaterGroupFailsNamingTheLineAndAnEmptyKeyLineCompletes) {
  std::vector<std::string> lines = NTFile(kFirst13);
  lines.insert(lines.end(), {Quoted("A"), Quoted("MTU"), "1", Quoted("MSS")});  // the value is missing
  RestoreResult result = Restore(lines);
  EXPECT_EQ(result.outcome, RestoreOutcome::Failed);
  EXPECT_NE(result.description.find("line 42"), std::string::npos) << result.description;
  EXPECT_NE(result.description.find("line 39"), std::string::npos) << result.description;
  EXPECT_FALSE(registry.HasValue("HKLM\\A", "MSS"));
  EXPECT_EQ(registry.GetDword("HKLM\\A", "MTU"), 1);  // the values before the cut stay written
  EXPECT_EQ(result.valuesWritten, 17);

  lines = NTFile(kFirst13);
  lines.push_back(Quoted("A key line without its pairs"));
  EXPECT_EQ(Restore(lines).outcome, RestoreOutcome::Failed);

  lines = NTFile(kFirst13);
  lines.insert(lines.end(), {"", "whatever follows an empty key line", "is not read"});
  EXPECT_EQ(Restore(lines).outcome, RestoreOutcome::Completed);
}

TEST_F(RestoreTest, OnlyTheEndOfAWholeGroupIsANormalEnd) {
  const std::vector<std::string> whole = NTFile(kFirst13);
  // Header only; after a value name; after a key line; inside the cache-size group.
  for (const std::size_t cut : {3u, 13u, 4u, 37u, 31u}) {
    registry = test::MemoryRegistry();
    const RestoreResult result = Restore({whole.begin(), whole.begin() + static_cast<long>(cut)});
    EXPECT_EQ(result.outcome, RestoreOutcome::Failed) << cut;
    EXPECT_NE(result.description.find("line " + std::to_string(cut)), std::string::npos) << result.description;
    EXPECT_NE(result.description.find("003.BCK"), std::string::npos) << result.description;
  }
  // Right after the first and the second group.
  for (const std::size_t cut : {30u, 35u}) {
    const RestoreResult result = Restore({whole.begin(), whole.begin() + static_cast<long>(cut)});
    EXPECT_EQ(result.outcome, RestoreOutcome::Completed) << cut << ": " << result.description;
  }
}

TEST_F(RestoreTest, ValuesFromMinus2147483648To4294967295RestoreAsTheir32BitPattern) {
  std::vector<std::string> first = kFirst13;
  first[4] = "4294967291";  // DefaultTTL of -5
  first[5] = "2147483647";
  first[6] = "-2147483648";
  first[7] = "2147483648";
  first[8] = "4294967295";
  const RestoreResult result = Restore(NTFile(first));
  ASSERT_EQ(result.outcome, RestoreOutcome::Completed) << result.description;
  const std::string key = "HKLM\\" + kTcpipKey;
  EXPECT_EQ(registry.GetDword(key, "DefaultTTL"), -5);
  EXPECT_EQ(registry.GetDword(key, "GlobalMaxTcpWindowSize"), 2147483647);
  EXPECT_EQ(registry.GetDword(key, "TcpWindowSize"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(registry.Get(key, "EnablePMTUBHDetect"), (std::vector<std::uint8_t>{0, 0, 0, 0x80}));
  EXPECT_EQ(registry.Get(key, "EnablePMTUDiscovery"), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(RestoreTest, ValuesBeyondThe32BitRangeFailThereWithTheEarlierValuesWritten) {
  for (const std::string beyond : {"4294967296", "-2147483649", "99999999999999999999"}) {
    registry = test::MemoryRegistry();
    std::vector<std::string> first = kFirst13;
    first[6] = beyond;  // TcpWindowSize, line 18
    const RestoreResult result = Restore(NTFile(first));
    EXPECT_EQ(result.outcome, RestoreOutcome::Failed) << beyond;
    EXPECT_NE(result.description.find("line 18"), std::string::npos) << result.description;
    EXPECT_NE(result.description.find(beyond), std::string::npos) << result.description;
    EXPECT_EQ(result.valuesWritten, 6);
    EXPECT_EQ(WrittenNames(),
              (std::vector<std::string>{"SackOpts", "Tcp1323Opts", "TcpMaxDupAcks", "DefaultReceiveWindow",
                                        "DefaultTTL", "GlobalMaxTcpWindowSize"}));
    EXPECT_EQ(registry.CommittedBatches(), 1);  // what was written stays written
  }
}

TEST_F(RestoreTest, ADamagedLineIsQuotedAsAShortPrintableExcerpt) {
  std::vector<std::string> lines = NTFile(kFirst13);
  lines[5] = "\x1b]0;owned\x07" + std::string(4000, '7');
  const RestoreResult result = Restore(lines);
  EXPECT_EQ(result.outcome, RestoreOutcome::Failed);
  EXPECT_NE(result.description.find("line 6"), std::string::npos) << result.description;
  EXPECT_EQ(result.description.find('\x1b'), std::string::npos);
  EXPECT_EQ(result.description.find('\x07'), std::string::npos);
  EXPECT_LT(result.description.size(), 300u) << result.description;
}

TEST_F(RestoreTest, OtherReadErrorsFailWithTheLine) {
  std::vector<std::string> lines = NTFile(kFirst13);
  lines[5] = "1.5";
  RestoreResult result = Restore(lines);
  EXPECT_EQ(result.outcome, RestoreOutcome::Failed);
  EXPECT_NE(result.description.find("line 6"), std::string::npos) << result.description;
  EXPECT_EQ(result.valuesWritten, 0);

  lines = NTFile(kFirst13);
  lines[4] = "SackOpts";  // a name without its quotes
  result = Restore(lines);
  EXPECT_EQ(result.outcome, RestoreOutcome::Failed);
  EXPECT_NE(result.description.find("line 5"), std::string::npos) << result.description;
}

TEST_F(RestoreTest, MalformedHeaderFailsWithADescriptionAndWritesNothing) {
  const std::vector<std::vector<std::string>> headers{{},
                                                      {"#2026-12-07#"},
                                                      {"2026-12-07", "#09:05:03#", "7"},
                                                      {"#2026-12-07#", "#24:00:00#", "7"},
                                                      {"#2026-12-07#", "#09:05:03#", "XP"},
                                                      {"#2026-12-07#", "#09:05:03#", "70000"}};
  const std::vector<std::string> whole = NTFile(kFirst13);
  for (const auto& header : headers) {
    std::vector<std::string> lines = header;
    if (header.size() == 3) lines.insert(lines.end(), whole.begin() + 3, whole.end());
    const RestoreResult result = Restore(lines);
    EXPECT_EQ(result.outcome, RestoreOutcome::Failed) << ::testing::PrintToString(header);
    EXPECT_NE(result.description.find("003.BCK"), std::string::npos) << result.description;
  }
  EXPECT_TRUE(registry.Changes().empty());
}

TEST_F(RestoreTest, MissingFileFails) {
  const RestoreResult result = RestoreSettingsBackup(registry, 7, folder / "404.BCK");
  EXPECT_EQ(result.outcome, RestoreOutcome::Failed);
  EXPECT_NE(result.description.find("404.BCK"), std::string::npos) << result.description;
}

TEST_F(RestoreTest, NineXFileWritesTextsAndCountsTenPairsInTheFirstGroup) {
  std::vector<std::string> lines{"#2026-12-07#", "#09:05:03#", "2",
                                 Quoted("System\\CurrentControlSet\\Services\\VxD\\MSTCP")};
  for (int i = 0; i < 10; ++i) lines.insert(lines.end(), {Quoted("V" + std::to_string(i)), std::to_string(i * 10)});
  lines.insert(lines.end(), {Quoted("Software\\Internet"), Quoted("A"), "16", Quoted("B"), "-1"});
  const RestoreResult result = Restore(lines, 2);
  EXPECT_EQ(result.outcome, RestoreOutcome::Completed);
  EXPECT_EQ(registry.GetText("HKLM\\System\\CurrentControlSet\\Services\\VxD\\MSTCP", "V0"), "0");
  EXPECT_EQ(registry.GetText("HKLM\\System\\CurrentControlSet\\Services\\VxD\\MSTCP", "V9"), "90");
  EXPECT_EQ(registry.Get("HKCU\\Software\\Internet", "A"), (std::vector<std::uint8_t>{'1', '6', 0}));
  EXPECT_EQ(registry.GetText("HKCU\\Software\\Internet", "B"), "-1");
}

// Runs body in a child whose address space may grow by at most extraBytes; true when the body
// returned true without running out of memory.
bool RunsWithin(std::size_t extraBytes, const std::function<bool()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + extraBytes;
    const rlimit bound{limit, limit};
    ::setrlimit(RLIMIT_AS, &bound);
    try {
      ::_exit(body() ? 0 : 1);
    } catch (...) {
      ::_exit(2);
    }
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif

TEST_F(RestoreTest, ALargeFileOfEmptyLinesIsReadLineByLine) {
  if (kAddressSanitizer) GTEST_SKIP() << "the sanitizer reserves more address space than the bound allows";
  std::string bytes = CrLfLines({"#2026-12-07#", "#09:05:03#", "7"});
  bytes.resize((16u << 20) - 1, '\n');  // just below the largest backup file
  test::WriteBytes(file, bytes);
  EXPECT_TRUE(RunsWithin(48u << 20, [&] {
    const RestoreResult result = RestoreSettingsBackup(registry, 7, file);
    return result.outcome == RestoreOutcome::Failed && result.description.find("line 6") != std::string::npos;
  }));
  EXPECT_TRUE(RunsWithin(48u << 20, [&] { return ListBackups(folder.path()).entries.size() == 1; }));
}

// A store whose commit fails, rolling the batch back as a durable store does.
class FailingCommitRegistry : public test::MemoryRegistry {
 public:
  LONG CommitBatch() override {
    RollbackBatch();
    return ERROR_CANTWRITE;
  }
};

TEST(RestoreBatch, FailedCommitRestoresNothing) {
  test::TempDir folder;
  test::WriteBytes(folder / "001.BCK", CrLfLines(NTFile(kFirst13)));
  FailingCommitRegistry registry;
  const RestoreResult result = RestoreSettingsBackup(registry, 7, folder / "001.BCK");
  EXPECT_EQ(result.outcome, RestoreOutcome::Failed);
  EXPECT_NE(result.description.find("nothing was restored"), std::string::npos) << result.description;
  EXPECT_FALSE(registry.HasKey("HKLM\\" + kTcpipKey));
}

}  // namespace
}  // namespace zf
