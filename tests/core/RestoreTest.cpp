// Putting a backup's values back: the three outcomes, value types, and the batch.
#include <gtest/gtest.h>

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

TEST_F(RestoreTest, EndInsideAPairOrAnEmptyKeyLineCompletesWithoutTheRest) {
  std::vector<std::string> lines = NTFile(kFirst13);
  lines.insert(lines.end(), {Quoted("A"), Quoted("MTU"), "1", Quoted("MSS")});  // the value is missing
  EXPECT_EQ(Restore(lines).outcome, RestoreOutcome::Completed);
  EXPECT_FALSE(registry.HasValue("HKLM\\A", "MSS"));
  EXPECT_EQ(registry.GetDword("HKLM\\A", "MTU"), 1);

  lines = NTFile(kFirst13);
  lines.insert(lines.end(), {"", "whatever follows an empty key line", "is not read"});
  EXPECT_EQ(Restore(lines).outcome, RestoreOutcome::Completed);
}

TEST_F(RestoreTest, ValueAbove2147483647FailsThereWithTheEarlierValuesWritten) {
  std::vector<std::string> first = kFirst13;
  first[6] = "4294967295";  // TcpWindowSize, line 18
  const RestoreResult result = Restore(NTFile(first));
  EXPECT_EQ(result.outcome, RestoreOutcome::Failed);
  EXPECT_NE(result.description.find("line 18"), std::string::npos) << result.description;
  EXPECT_NE(result.description.find("4294967295"), std::string::npos) << result.description;
  EXPECT_EQ(result.valuesWritten, 6);
  EXPECT_EQ(WrittenNames(), (std::vector<std::string>{"SackOpts", "Tcp1323Opts", "TcpMaxDupAcks",
                                                      "DefaultReceiveWindow", "DefaultTTL", "GlobalMaxTcpWindowSize"}));
  EXPECT_EQ(registry.CommittedBatches(), 1);  // what was written stays written
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
