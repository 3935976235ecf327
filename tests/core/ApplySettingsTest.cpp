// SPDX-License-Identifier: GPL-3.0-or-later
// What ApplySettings writes, in which order, and that it never writes without a backup.
#include <gtest/gtest.h>

#include <functional>

#include "core/ApplySettings.h"
#include "core/TuningKeys.h"
#include "support/BackupFiles.h"
#include "support/Fakes.h"
#include "support/MemoryRegistry.h"
#include "support/TempDir.h"

namespace zf {
namespace {

namespace fs = std::filesystem;
using test::RegistryChange;

const std::string kTcpip = "HKLM\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::string kTcpipLower = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\tcpip\\parameters";
const std::string kBrowserNT = "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const std::string kBrowser9x = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const std::string kInterfaces = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";
const std::string kMstcp = "HKLM\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";
const std::string kNetTrans = "HKLM\\System\\CurrentControlSet\\Services\\Class\\NetTrans";
const std::string kCache = "HKLM\\System\\CurrentControlSet\\Services\\VxD\\NWLink\\Ndi\\params\\cachesize";

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}
// One write or delete as "KEY|NAME=VALUE", without regard to letter case (the store has none).
std::string Dword(const std::string& key, const std::string& name, std::int32_t value) {
  return Upper(key + "|" + name + "=dword:" + std::to_string(value));
}
std::string Text(const std::string& key, const std::string& name, const std::string& value) {
  return Upper(key + "|" + name + "=sz:" + value);
}
std::string Delete(const std::string& key, const std::string& name) { return Upper(key + "|" + name + " deleted"); }

std::string Describe(const RegistryChange& c) {
  if (c.kind == RegistryChange::Kind::DeleteValue) return Delete(c.key, c.name);
  if (c.type == REG_SZ) return Text(c.key, c.name, std::string(c.data.begin(), c.data.end() - 1));
  return Dword(c.key, c.name,
               static_cast<std::int32_t>(c.data[0] | c.data[1] << 8 | c.data[2] << 16 | c.data[3] << 24));
}

class ApplySettingsTest : public ::testing::Test {
 protected:
  ApplyResult Apply(std::int16_t family, const TcpSettings& settings) {
    return ApplySettings({registry, clock, backups, family}, settings);
  }
  std::vector<std::string> Writes() const {
    std::vector<std::string> writes;
    for (const RegistryChange& c : registry.Changes())
      if (c.kind == RegistryChange::Kind::SetValue || c.kind == RegistryChange::Kind::DeleteValue)
        writes.push_back(Describe(c));
    return writes;
  }
  static TcpSettings Profile(int index) { return Profiles()[index]; }

  test::TempDir home;
  fs::path backups = home / "Backups";
  test::MemoryRegistry registry;
  test::FakeClock clock;
};

TEST_F(ApplySettingsTest, NTLayoutWritesNumbersInTableOrderWithInterfaceThenAdapter) {
  registry.AddKey(kInterfaces + "\\{b}");
  registry.AddKey(kInterfaces + "\\{A}");
  const ApplyResult result = Apply(7, Profile(4));
  ASSERT_EQ(result.outcome, ApplyOutcome::Applied) << result.reason;
  EXPECT_EQ(result.backupFile, backups / "001.BCK");
  const std::string a = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\{A}\\Parameters\\Tcpip";
  const std::string b = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\{b}\\Parameters\\Tcpip";
  EXPECT_EQ(Writes(), (std::vector<std::string>{Dword(kTcpip, "SackOpts", 1),
                                                Dword(kTcpip, "Tcp1323Opts", 1),
                                                Dword(kTcpip, "TcpMaxDupAcks", 2),
                                                Dword(kTcpip, "DefaultReceiveWindow", 8192),
                                                Dword(kTcpipLower, "DefaultTTL", 64),
                                                Dword(kTcpipLower, "GlobalMaxTcpWindowSize", 256960),
                                                Dword(kTcpipLower, "TcpWindowSize", 256960),
                                                Dword(kTcpipLower, "EnablePMTUBHDetect", 0),
                                                Dword(kTcpipLower, "EnablePMTUDiscovery", 1),
                                                Dword(kTcpipLower, "KeepAliveTime", 7200000),
                                                Dword(kTcpipLower, "KeepAliveInterval", 1000),
                                                Dword(kTcpipLower, "SYNAttackProtect", 2),
                                                Dword(kTcpipLower, "EnableICMPRedirects", 0),
                                                Dword(kBrowserNT, "MaxConnectionsPer1_0Server", 20),
                                                Dword(kBrowserNT, "MaxConnectionsPerServer", 20),
                                                Dword(kInterfaces + "\\{A}", "MTU", 1500),
                                                Dword(a, "MTU", 1500),
                                                Dword(kInterfaces + "\\{A}", "MSS", 1460),
                                                Dword(a, "MSS", 1460),
                                                Dword(kInterfaces + "\\{b}", "MTU", 1500),
                                                Dword(b, "MTU", 1500),
                                                Dword(kInterfaces + "\\{b}", "MSS", 1460),
                                                Dword(b, "MSS", 1460),
                                                Dword(kCache, "", 0)}));
  EXPECT_EQ(registry.CommittedBatches(), 1);
  EXPECT_EQ(registry.OpenHandleCount(), 0);
}

TEST_F(ApplySettingsTest, NTDeleteMarkersRemoveMtuMssAndWindowEverywhereCreatingTheKeys) {
  registry.AddKey(kInterfaces + "\\{A}");
  registry.PutDword(kInterfaces + "\\{A}", "MSS", 536);
  TcpSettings settings = Profile(4);
  settings.MTU = kDeleteMarker;  // MSS 1460 stays in the record but is written nowhere
  settings.RWIN = kDeleteMarker;
  ASSERT_TRUE(Apply(5, settings).ok());
  const std::string adapter = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\{A}\\Parameters\\Tcpip";
  const std::vector<std::string> writes = Writes();
  EXPECT_EQ(writes.at(5), Delete(kTcpipLower, "GlobalMaxTcpWindowSize"));
  EXPECT_EQ(writes.at(6), Delete(kTcpipLower, "TcpWindowSize"));
  EXPECT_EQ(
      std::vector<std::string>(writes.begin() + 15, writes.end()),
      (std::vector<std::string>{Delete(kInterfaces + "\\{A}", "MTU"), Delete(adapter, "MTU"),
                                Delete(kInterfaces + "\\{A}", "MSS"), Delete(adapter, "MSS"), Dword(kCache, "", 0)}));
  EXPECT_FALSE(registry.HasValue(kInterfaces + "\\{A}", "MSS"));
  EXPECT_TRUE(registry.HasKey(adapter));
  EXPECT_TRUE(registry.HasKey(kCache));
}

TEST_F(ApplySettingsTest, NTWithoutInterfacesKeyStillWritesTheCacheSize) {
  ASSERT_TRUE(Apply(6, Profile(0)).ok());
  const std::vector<std::string> writes = Writes();
  ASSERT_EQ(writes.size(), 16u);
  EXPECT_EQ(writes.back(), Dword(kCache, "", 0));
}

TEST_F(ApplySettingsTest, NineXLayoutWritesTextsWithWindowDeletedAndEveryTransport) {
  registry.AddKey(kNetTrans + "\\0001");
  registry.AddKey(kNetTrans + "\\0000");
  const ApplyResult result = Apply(3, Profile(1));  // receive window left to the system
  ASSERT_TRUE(result.ok()) << result.reason;
  EXPECT_EQ(Writes(),
            (std::vector<std::string>{
                Text(kMstcp, "SackOpts", "1"), Text(kMstcp, "Tcp1323Opts", "1"), Text(kMstcp, "DefaultTTL", "128"),
                Delete(kMstcp, "DefaultRcvWindow"), Delete(kMstcp, "GlobalMaxTcpWindowSize"),
                Text(kMstcp, "PMTUBlackHoleDetect", "0"), Text(kMstcp, "PMTUDiscovery", "1"),
                Text(kMstcp, "KeepAliveTime", "600000"), Text(kMstcp, "KeepAliveInterval", "1000"),
                Text(kBrowser9x, "MaxConnectionsPer1_0Server", "16"), Text(kBrowser9x, "MaxConnectionsPerServer", "8"),
                Text(kCache, "", "0"), Text(kNetTrans + "\\0000", "MaxMTU", "576"),
                Text(kNetTrans + "\\0000", "MaxMSS", "536"), Text(kNetTrans + "\\0001", "MaxMTU", "576"),
                Text(kNetTrans + "\\0001", "MaxMSS", "536")}));
}

TEST_F(ApplySettingsTest, NineXMtuMarkerDeletesBothPerTransportAndTextsEndInOneNul) {
  registry.AddKey(kNetTrans + "\\0000");
  TcpSettings settings = Profile(2);
  settings.TTL = 64;
  ASSERT_TRUE(Apply(4, settings).ok());
  const std::vector<std::string> writes = Writes();
  EXPECT_EQ(std::vector<std::string>(writes.end() - 2, writes.end()),
            (std::vector<std::string>{Delete(kNetTrans + "\\0000", "MaxMTU"), Delete(kNetTrans + "\\0000", "MaxMSS")}));
  EXPECT_EQ(registry.Get(kMstcp, "DefaultTTL"), (std::vector<std::uint8_t>{'6', '4', 0}));
}

TEST_F(ApplySettingsTest, NineXWithoutNetTransStopsAfterTheCacheSize) {
  ASSERT_TRUE(Apply(1, Profile(0)).ok());
  const std::vector<std::string> writes = Writes();
  ASSERT_EQ(writes.size(), 12u);
  EXPECT_EQ(writes.back(), Text(kCache, "", "0"));
  EXPECT_FALSE(registry.HasKey(kNetTrans));
}

TEST_F(ApplySettingsTest, FamilyWithoutLayoutTakesNoBackupAndWritesNothing) {
  for (std::int16_t family : {0, 8, -1}) {
    const ApplyResult result = Apply(family, Profile(0));
    EXPECT_EQ(result.outcome, ApplyOutcome::Skipped);
    EXPECT_FALSE(result.reason.empty());
  }
  EXPECT_TRUE(registry.Changes().empty());
  EXPECT_FALSE(fs::exists(backups));
}

TEST_F(ApplySettingsTest, NoBackupMeansNoWrite) {
  test::WriteBytes(backups, "not a folder");
  ApplyResult result = Apply(7, Profile(4));
  EXPECT_EQ(result.outcome, ApplyOutcome::Refused);
  EXPECT_NE(result.reason.find(backups.string()), std::string::npos) << result.reason;
  EXPECT_TRUE(registry.Changes().empty());

  fs::remove(backups);
  fs::create_directory(backups);
  test::WriteBytes(backups / "999.BCK", "kept");
  result = Apply(7, Profile(4));
  EXPECT_EQ(result.outcome, ApplyOutcome::Refused);
  EXPECT_NE(result.reason.find("999"), std::string::npos) << result.reason;
  EXPECT_TRUE(registry.Changes().empty());
  EXPECT_EQ(test::FolderNames(backups), std::vector<std::string>{"999.BCK"});
  EXPECT_EQ(test::FileBytes(backups / "999.BCK"), "kept");
}

// Calls a check at the first write and at the commit.
class WatchedRegistry : public test::MemoryRegistry {
 public:
  LONG SetValue(HKEY key, std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data) override {
    if (writes++ == 0) onFirstWrite();
    return MemoryRegistry::SetValue(key, name, type, data);
  }
  LONG CommitBatch() override {
    onCommit();
    return MemoryRegistry::CommitBatch();
  }
  int writes = 0;
  std::function<void()> onFirstWrite = [] {};
  std::function<void()> onCommit = [] {};
};

TEST_F(ApplySettingsTest, BackupIsWholeOnDiskBeforeTheFirstWriteAndTheCommit) {
  WatchedRegistry watched;
  watched.PutDword(kTcpip, "DefaultTTL", 128);
  watched.writes = 0;
  std::vector<std::string> seen;
  auto look = [&] { seen.push_back(test::FileBytes(backups / "001.BCK")); };
  watched.onFirstWrite = look;
  watched.onCommit = look;
  ASSERT_TRUE(ApplySettings({watched, clock, backups, 7}, Profile(4)).ok());
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(std::count(seen[0].begin(), seen[0].end(), '\n'), 38);
  EXPECT_NE(seen[0].find("\"DefaultTTL\"\r\n128\r\n"), std::string::npos);
  EXPECT_EQ(seen[1], seen[0]);
}

class FailingCommitRegistry : public test::MemoryRegistry {
 public:
  LONG CommitBatch() override {
    RollbackBatch();
    return ERROR_CANTWRITE;
  }
};

TEST_F(ApplySettingsTest, StoreThatCannotCommitKeepsEveryOldValue) {
  FailingCommitRegistry failing;
  failing.PutDword(kTcpip, "DefaultTTL", 128);
  const ApplyResult result = ApplySettings({failing, clock, backups, 7}, Profile(4));
  EXPECT_EQ(result.outcome, ApplyOutcome::Failed);
  EXPECT_FALSE(result.reason.empty());
  EXPECT_EQ(failing.GetDword(kTcpip, "DefaultTTL"), 128);
  EXPECT_FALSE(failing.HasValue(kTcpip, "SackOpts"));
  EXPECT_FALSE(failing.HasKey(kCache));
}

// Refuses writes below one key, as a store does where rights are missing.
class OneKeyDeniedRegistry : public test::MemoryRegistry {
 public:
  LONG CreateKey(HKEY parent, std::string_view subKey, std::uint32_t access, HKEY* result) override {
    if (subKey.find("Internet Settings") != std::string_view::npos) return ERROR_ACCESS_DENIED;
    return MemoryRegistry::CreateKey(parent, subKey, access, result);
  }
};

TEST_F(ApplySettingsTest, RefusedWritesAreNamedButDoNotStopTheRest) {
  OneKeyDeniedRegistry denying;
  const ApplyResult result = ApplySettings({denying, clock, backups, 7}, Profile(4));
  EXPECT_EQ(result.outcome, ApplyOutcome::Applied);
  ASSERT_EQ(result.failedWrites.size(), 2u);
  EXPECT_NE(result.failedWrites[0].find("MaxConnectionsPer1_0Server: access denied"), std::string::npos)
      << result.failedWrites[0];
  EXPECT_EQ(denying.GetDword(kCache, ""), 0);  // the step after them still ran
}

// A store that takes no batch at all (read-only, or held by another writer too long).
class NoBatchRegistry : public test::MemoryRegistry {
 public:
  LONG BeginBatch() override { return ERROR_ACCESS_DENIED; }
};

TEST_F(ApplySettingsTest, StoreThatTakesNoBatchGetsNeitherBackupNorWrites) {
  NoBatchRegistry refusing;
  const ApplyResult result = ApplySettings({refusing, clock, backups, 7}, Profile(4));
  EXPECT_EQ(result.outcome, ApplyOutcome::Failed);
  EXPECT_FALSE(result.reason.empty());
  EXPECT_TRUE(refusing.Changes().empty());
  EXPECT_FALSE(fs::exists(backups));
}

TEST_F(ApplySettingsTest, RestoringTheBackupPutsBackTheReplacedValues) {
  registry.PutDword(kTcpip, "DefaultTTL", 128);
  registry.PutDword(kInterfaces + "\\{A}", "MTU", 1400);
  registry.PutDword(kBrowserNT, "MaxConnectionsPerServer", 2);
  const ApplyResult applied = Apply(7, Profile(3));
  ASSERT_TRUE(applied.ok());
  ASSERT_EQ(registry.GetDword(kTcpip, "DefaultTTL"), 64);
  const RestoreResult restored = RestoreSettingsBackup(registry, 7, applied.backupFile);
  EXPECT_EQ(restored.outcome, RestoreOutcome::Completed) << restored.description;
  EXPECT_EQ(registry.GetDword(kTcpip, "DefaultTTL"), 128);
  EXPECT_EQ(registry.GetDword(kInterfaces + "\\{A}", "MTU"), 1400);
  EXPECT_EQ(registry.GetDword(kBrowserNT, "MaxConnectionsPerServer"), 2);
}

TEST_F(ApplySettingsTest, NineXRestoreBringsBackTheSameTexts) {
  registry.PutText(kMstcp, "DefaultTTL", "64");
  registry.PutText(kMstcp, "KeepAliveTime", "7200000");  // seven characters: beyond any 32-bit code sum
  registry.PutText(kNetTrans + "\\0000", "MaxMTU", "1500");
  const ApplyResult applied = Apply(3, Profile(0));
  ASSERT_TRUE(applied.ok());
  ASSERT_EQ(registry.GetText(kMstcp, "DefaultTTL"), "128");
  const RestoreResult restored = RestoreSettingsBackup(registry, 3, applied.backupFile);
  EXPECT_EQ(restored.outcome, RestoreOutcome::Completed) << restored.description;
  EXPECT_EQ(registry.GetText(kMstcp, "DefaultTTL"), "64");
  EXPECT_EQ(registry.GetText(kMstcp, "KeepAliveTime"), "7200000");
  EXPECT_EQ(registry.GetText(kNetTrans + "\\0000", "MaxMTU"), "1500");
}

TEST_F(ApplySettingsTest, EveryApplyTakesItsOwnBackup) {
  ASSERT_TRUE(Apply(7, Profile(0)).ok());
  ASSERT_TRUE(Apply(7, Profile(0)).ok());
  EXPECT_EQ(test::FolderNames(backups), (std::vector<std::string>{"001.BCK", "002.BCK"}));
}

}  // namespace
}  // namespace zf

namespace zf {
namespace {

class ApplyRoundTripTest : public ::testing::Test {
 protected:
  ApplyResult Apply(std::int16_t family, const TcpSettings& settings) {
    return ApplySettings({registry, clock, backups, family}, settings);
  }
  test::TempDir folder;
  fs::path backups = folder / "Backups";
  test::MemoryRegistry registry;
  test::FakeClock clock;
};

TEST_F(ApplyRoundTripTest, ValuesWithTheTopBitSetComeBack) {
  TcpSettings settings = Profiles()[0];
  settings.TTL = -5;
  settings.KeepAliveTime = -1;  // 0xFFFFFFFF
  ASSERT_TRUE(Apply(7, settings).ok());
  const ApplyResult second = Apply(7, Profiles()[1]);
  ASSERT_TRUE(second.ok());
  const RestoreResult restored = RestoreSettingsBackup(registry, 7, second.backupFile);
  ASSERT_EQ(restored.outcome, RestoreOutcome::Completed) << restored.description;
  EXPECT_EQ(registry.GetDword(kTcpipLower, "DefaultTTL"), -5);
  EXPECT_EQ(registry.GetDword(kTcpipLower, "KeepAliveTime"), -1);
  EXPECT_TRUE(second.unkeptValues.empty());
}

TEST_F(ApplyRoundTripTest, NTTextValuesComeBackAsTheNumbersTheySpell) {
  registry.PutText(kTcpip, "DefaultTTL", "64");
  registry.PutText(kTcpip, "KeepAliveTime", " 7200000 ");
  const ApplyResult applied = Apply(7, Profiles()[0]);
  ASSERT_TRUE(applied.ok());
  EXPECT_TRUE(applied.unkeptValues.empty()) << ::testing::PrintToString(applied.unkeptValues);
  const RestoreResult restored = RestoreSettingsBackup(registry, 7, applied.backupFile);
  ASSERT_EQ(restored.outcome, RestoreOutcome::Completed) << restored.description;
  EXPECT_EQ(registry.GetDword(kTcpip, "DefaultTTL"), 64);
  EXPECT_EQ(registry.GetDword(kTcpip, "KeepAliveTime"), 7200000);
}

TEST_F(ApplyRoundTripTest, ATextThatSpellsNoNumberIsNamedAndTheApplyGoesOn) {
  registry.PutText(kTcpip, "DefaultTTL", "abc");
  registry.PutText(kMstcp, "DefaultTTL", "4294967295");
  const ApplyResult nt = Apply(7, Profiles()[0]);
  ASSERT_TRUE(nt.ok()) << nt.reason;
  ASSERT_EQ(nt.unkeptValues.size(), 1u);
  EXPECT_NE(nt.unkeptValues[0].find("DefaultTTL"), std::string::npos) << nt.unkeptValues[0];
  EXPECT_EQ(registry.GetDword(kTcpip, "DefaultTTL"), 128);  // written all the same
  const ApplyResult nineX = Apply(3, Profiles()[0]);
  ASSERT_TRUE(nineX.ok()) << nineX.reason;
  ASSERT_EQ(nineX.unkeptValues.size(), 1u);
  EXPECT_NE(nineX.unkeptValues[0].find("4294967295"), std::string::npos) << nineX.unkeptValues[0];
}

// However a value wider than 32 bits came in (hex:, hex(b): or a 5-byte hex(4): in a .reg file), the
// backup records 0 and names it, and the backup restores whole.
TEST_F(ApplyRoundTripTest, AValueWiderThan32BitsIsNamedAndTheBackupRestores) {
  const struct {
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  } cases[] = {
      {REG_BINARY, {0, 0, 0, 0, 1}},
      {11 /* a QWORD */, {0, 0, 0, 0, 1, 0, 0, 0}},
      {REG_DWORD, {0, 0, 0, 0, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    registry.Put(kTcpipLower, "DefaultTTL", c.type, c.data);
    const std::int32_t keepAliveBefore = registry.GetDword(kTcpipLower, "KeepAliveTime").value_or(0);
    const ApplyResult applied = Apply(7, Profiles()[0]);
    ASSERT_TRUE(applied.ok()) << applied.reason;
    ASSERT_EQ(applied.unkeptValues.size(), 1u);
    EXPECT_NE(applied.unkeptValues[0].find("DefaultTTL"), std::string::npos) << applied.unkeptValues[0];
    EXPECT_NE(test::FileBytes(applied.backupFile).find("\"DefaultTTL\"\r\n0\r\n"), std::string::npos);
    const RestoreResult restored = RestoreSettingsBackup(registry, 7, applied.backupFile);
    ASSERT_EQ(restored.outcome, RestoreOutcome::Completed) << restored.description;
    EXPECT_EQ(registry.GetDword(kTcpipLower, "DefaultTTL"), 0);
    EXPECT_EQ(registry.GetDword(kTcpipLower, "KeepAliveTime"), keepAliveBefore);
  }
}

}  // namespace
}  // namespace zf
