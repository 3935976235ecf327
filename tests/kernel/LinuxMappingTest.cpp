// SPDX-License-Identifier: GPL-3.0-or-later
// From the store's tuning values to Linux settings and a plan, over a recorded /proc/sys tree.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/ApplySettings.h"
#include "core/RegistrySeed.h"
#include "kernel/KernelTestSupport.h"
#include "kernel/LinuxMapping.h"
#include "kernel/SettingTable.h"
#include "support/Fakes.h"
#include "support/MemoryRegistry.h"
#include "support/TempDir.h"

namespace zf::kernel {
namespace {

const std::string kInterfacesPath = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";
const std::string kNetTransPath = "HKLM\\System\\CurrentControlSet\\Services\\Class\\NetTrans";

class LinuxMappingTest : public ::testing::Test {
 protected:
  void Tune(std::int16_t family, TcpSettings settings) {
    const ApplyResult result = ApplySettings({registry, clock, home / "Backups", family}, settings);
    ASSERT_TRUE(result.ok()) << result.reason;
    m_family = family;
  }
  KernelPlan Plan() {
    auto stored =
        ReadStoredTuning(registry, DetectOSFamily(m_family >= 5 ? kDefaultOSVersion : OSVersionRecord{1, 4, 10}));
    EXPECT_TRUE(stored.has_value());
    const auto desired = MapToLinux(stored.value(), system.links(), ledger.originals, system.live());
    return MakePlan(desired, system.live(), ledger);
  }
  static const KernelChange* Find(const KernelPlan& plan, const std::string& key) {
    for (const auto& change : plan.changes)
      if (change.key == key) return &change;
    return nullptr;
  }
  static bool HasNote(const KernelPlan& plan, const std::string& part) {
    for (const auto& note : plan.notes)
      if (note.English().find(part) != std::string::npos) return true;
    return false;
  }
  static bool HasWarning(const KernelPlan& plan, WarningKind kind, const std::string& part = "") {
    for (const auto& warning : plan.warnings)
      if (warning.kind == kind && warning.text.English().find(part) != std::string::npos) return true;
    return false;
  }

  test::TempDir home;
  test::MemoryRegistry registry;
  test::FakeClock clock;
  test::RecordedLiveSystem system;
  Ledger ledger;
  std::int16_t m_family = 7;
};

TEST_F(LinuxMappingTest, NtProfileBecomesEveryTableSettingWithConversions) {
  registry.AddKey(kInterfacesPath + "\\" + InterfaceGuid("eth0"));
  Tune(7, Profiles()[4]);
  const KernelPlan plan = Plan();
  EXPECT_EQ(plan.desired, (SettingMap{{"link/eth0/mtu", "1500"},
                                      {"net/ipv4/conf/all/accept_redirects", "0"},
                                      {"net/ipv4/conf/default/accept_redirects", "0"},
                                      {"net/ipv4/conf/eth0/accept_redirects", "0"},
                                      {"net/ipv4/ip_default_ttl", "64"},
                                      {"net/ipv4/ip_no_pmtu_disc", "0"},
                                      {"net/ipv4/tcp_keepalive_intvl", "1"},
                                      {"net/ipv4/tcp_keepalive_time", "7200"},
                                      {"net/ipv4/tcp_mtu_probing", "0"},
                                      {"net/ipv4/tcp_rmem", "4096 131072 513920"},
                                      {"net/ipv4/tcp_syncookies", "1"}}));
  const KernelChange* ttl = Find(plan, "net/ipv4/ip_default_ttl");
  ASSERT_NE(ttl, nullptr);
  EXPECT_EQ(ttl->now, "64");
  EXPECT_EQ(ttl->setting, "net.ipv4.ip_default_ttl");
  EXPECT_EQ(Find(plan, "net/ipv4/tcp_rmem")->now, "4096 131072 6291456");
  EXPECT_EQ(Find(plan, "net/ipv4/tcp_keepalive_intvl")->note.English(), "KeepAliveInterval 1000 ms");
  EXPECT_EQ(Find(plan, "link/eth0/mtu")->setting, "eth0 MTU");
  EXPECT_TRUE(HasNote(plan, "NdiCacheSize 0 has no Linux equivalent"));
  EXPECT_TRUE(HasNote(plan, "MaxConnPerServer 20 has no Linux equivalent"));
  EXPECT_FALSE(HasNote(plan, "MSS"));
  EXPECT_TRUE(HasWarning(plan, WarningKind::ThroughputCap, "256960 bytes caps one connection at about 102.8 Mbit/s"));
  EXPECT_FALSE(HasWarning(plan, WarningKind::Ipv6Loss));
  EXPECT_FALSE(HasWarning(plan, WarningKind::LinkBounce)) << "1500 is already the MTU";
}

TEST_F(LinuxMappingTest, SmallMtuNeedsIpv6AcceptanceAndWarnsOfBounce) {
  registry.AddKey(kInterfacesPath + "\\" + InterfaceGuid("eth0"));
  Tune(7, Profiles()[0]);
  const KernelPlan plan = Plan();
  EXPECT_EQ(plan.desired.at("link/eth0/mtu"), "576");
  EXPECT_TRUE(plan.NeedsIpv6Acceptance());
  EXPECT_TRUE(HasWarning(plan, WarningKind::Ipv6Loss, "MTU 576 on eth0 is below 1280"));
  EXPECT_TRUE(HasWarning(plan, WarningKind::LinkBounce, "eth0"));
  EXPECT_EQ(plan.desired.at("net/ipv4/tcp_rmem"), "4096 8576 8576") << "default and min shrink under the max";
}

TEST_F(LinuxMappingTest, LoopbackAndInterfacesWithoutAKeyAreLeftAlone) {
  registry.AddKey(kInterfacesPath + "\\" + InterfaceGuid("lo"));
  registry.AddKey(kInterfacesPath + "\\" + InterfaceGuid("gone0"));
  Tune(7, Profiles()[4]);
  const KernelPlan plan = Plan();
  EXPECT_EQ(plan.desired.count("link/lo/mtu"), 0u);
  EXPECT_EQ(plan.desired.count("link/eth0/mtu"), 0u);
  EXPECT_EQ(plan.desired.count("net/ipv4/conf/lo/accept_redirects"), 0u);
  EXPECT_TRUE(HasNote(plan, "interface " + InterfaceGuid("gone0") + " is not on this computer"));
}

TEST_F(LinuxMappingTest, NineXLayoutTakesTheTransportMtuForEveryInterfaceAndHasNoSynOrRedirects) {
  registry.AddKey(kNetTransPath + "\\0000");
  Tune(3, Profiles()[5]);
  const KernelPlan plan = Plan();
  EXPECT_EQ(plan.desired.at("link/eth0/mtu"), "1492");
  EXPECT_EQ(plan.desired.at("net/ipv4/ip_default_ttl"), "64");
  EXPECT_EQ(plan.desired.count("net/ipv4/tcp_syncookies"), 0u);
  EXPECT_EQ(plan.desired.count("net/ipv4/conf/all/accept_redirects"), 0u);
  EXPECT_EQ(plan.desired.count("link/lo/mtu"), 0u);
}

TEST_F(LinuxMappingTest, MssThatIsNotMtuMinus40IsNotedAsRegistryOnly) {
  registry.AddKey(kInterfacesPath + "\\" + InterfaceGuid("eth0"));
  Tune(7, Profiles()[7]);
  EXPECT_TRUE(HasNote(Plan(), "MSS 1500 stays in the registry: Linux derives the MSS from the MTU (1460)"));
}

TEST_F(LinuxMappingTest, ValuesOutsideTheKernelsBoundsAreNotedNotPlanned) {
  TcpSettings settings = Profiles()[4];
  settings.TTL = 256;
  settings.KeepAliveTime = 0;
  Tune(7, settings);
  const KernelPlan plan = Plan();
  EXPECT_EQ(plan.desired.count("net/ipv4/ip_default_ttl"), 0u);
  EXPECT_EQ(plan.desired.count("net/ipv4/tcp_keepalive_time"), 0u);
  EXPECT_TRUE(
      HasNote(plan, "TTL 256 gives net.ipv4.ip_default_ttl = 256, which is not applied: a TTL must be 1 to 255"));
}

TEST_F(LinuxMappingTest, KeepAliveMillisecondsRoundUpToWholeSeconds) {
  // Rounding down would shorten a keep-alive the user asked for, and make 1 to 999 ms none at all.
  const struct {
    std::int32_t milliseconds;
    const char* seconds;
  } cases[] = {{1, "1"}, {999, "1"}, {1000, "1"}, {1001, "2"}, {1500, "2"}, {7199001, "7200"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.milliseconds);
    TcpSettings settings = Profiles()[4];
    settings.KeepAliveTime = c.milliseconds;
    settings.KeepAliveInterval = c.milliseconds;
    Tune(7, settings);
    const SettingMap desired = Plan().desired;
    for (const char* key : {"net/ipv4/tcp_keepalive_time", "net/ipv4/tcp_keepalive_intvl"}) {
      const auto planned = desired.find(key);
      EXPECT_EQ(planned == desired.end() ? "not planned" : planned->second, c.seconds) << key;
    }
  }
}

TEST_F(LinuxMappingTest, ManagedSettingsTheStoreNoLongerSetsReturnToTheirOriginals) {
  registry.AddKey(kInterfacesPath + "\\" + InterfaceGuid("eth0"));
  ledger.originals = {{"link/eth0/mtu", "1500"}, {"net/ipv4/tcp_rmem", "4096 131072 6291456"}};
  ledger.managed = {{"link/eth0/mtu", "576"}, {"net/ipv4/tcp_rmem", "4096 8576 8576"}};
  system.links()[1].mtu = 576;
  system.Write("net/ipv4/tcp_rmem", "4096 8576 8576");
  Tune(7, Profiles()[2]);  // MTU and RWIN left to the system
  const KernelPlan plan = Plan();
  const KernelChange* mtu = Find(plan, "link/eth0/mtu");
  ASSERT_NE(mtu, nullptr);
  EXPECT_EQ(mtu->now, "576");
  EXPECT_EQ(mtu->after, "1500");
  EXPECT_EQ(mtu->note.English(), "back to its original");
  EXPECT_EQ(Find(plan, "net/ipv4/tcp_rmem")->after, "4096 131072 6291456");
  EXPECT_EQ(plan.desired.count("link/eth0/mtu"), 0u);
}

TEST_F(LinuxMappingTest, ReceiveWindowIsDerivedFromTheOriginalTripletNotTheLiveOne) {
  ledger.originals = {{"net/ipv4/tcp_rmem", "4096 131072 6291456"}};
  ledger.managed = {{"net/ipv4/tcp_rmem", "4096 8576 8576"}};
  system.Write("net/ipv4/tcp_rmem", "4096 8576 8576");
  Tune(7, Profiles()[4]);
  EXPECT_EQ(Plan().desired.at("net/ipv4/tcp_rmem"), "4096 131072 513920");
}

TEST_F(LinuxMappingTest, HashIsStableAndFollowsTheLiveValues) {
  Tune(7, Profiles()[3]);
  const std::string first = Plan().hash;
  EXPECT_EQ(Plan().hash, first);
  EXPECT_EQ(first.size(), 16u);
  system.Write("net/ipv4/ip_default_ttl", "99");
  EXPECT_NE(Plan().hash, first);
}

TEST_F(LinuxMappingTest, AStoreWithoutTuningPlansNothing) {
  auto stored = ReadStoredTuning(registry, DetectOSFamily(kDefaultOSVersion));
  ASSERT_TRUE(stored.has_value());
  const auto plan = MakePlan(MapToLinux(stored.value(), system.links(), {}, system.live()), system.live(), ledger);
  EXPECT_TRUE(plan.changes.empty());
  EXPECT_FALSE(plan.ChangesAnything());
  EXPECT_FALSE(ReadStoredTuning(registry, OSFamily{}).has_value());
}

// Every stored value the mapping cannot take as it is says so in the plan, with what happens instead.
TEST_F(LinuxMappingTest, ValuesTakenOtherwiseThanStoredAreNoted) {
  const struct {
    TuningField field;
    long long stored;
    std::optional<long long> mtu;
    const char* key;
    const char* planned;  // nullptr: not planned
    const char* note;
  } cases[] = {
      {TuningField::SYNAttackProtect,
       5,
       {},
       "net/ipv4/tcp_syncookies",
       "1",
       "SYNAttackProtect 5 is not a level (0 to 2); it is applied as protection on"},
      {TuningField::SYNAttackProtect, -1, {}, "net/ipv4/tcp_syncookies", "1", "SYNAttackProtect -1 is not a level"},
      {TuningField::RWIN,
       -2147483648LL,
       {},
       "net/ipv4/tcp_rmem",
       nullptr,
       "RWIN 2147483648 is not applied: Linux takes a receive window of at most 1073741823 bytes"},
      {TuningField::RWIN,
       1073741824,
       {},
       "net/ipv4/tcp_rmem",
       "4096 131072 2147483647",
       "RWIN 1073741824 is capped: tcp_rmem's largest maximum, 2147483647, gives a window of 1073741823 bytes"},
      {TuningField::MSS, 1460, 20, "link/eth0/mtu", nullptr,
       "MSS 1460 stays in the registry: Linux derives the MSS from each interface's MTU"},
      {TuningField::MSS, 1400, 1500, "link/eth0/mtu", "1500",
       "MSS 1400 stays in the registry: Linux derives the MSS from the MTU (1460)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    StoredTuning tuning;
    tuning[c.field] = c.stored;
    if (c.mtu) tuning.interfaceMtus[InterfaceGuid("eth0")] = c.mtu;
    const DesiredState desired = MapToLinux(tuning, system.links(), {}, system.live());
    const auto planned = desired.values.find(c.key);
    EXPECT_EQ(planned == desired.values.end() ? "not planned" : planned->second, c.planned ? c.planned : "not planned");
    std::vector<std::string> notes;
    for (const Phrase& note : desired.notes) notes.push_back(note.English());
    EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [&](const std::string& note) {
      return note.starts_with(c.note);
    })) << ::testing::PrintToString(notes);
  }
}

// The backup and the bridge read a stored value by one rule: a text spelling a number with blanks
// or a '+' is that number to both; data wider than the 32 bits a restore writes is a number to neither.
TEST(StoredValueReadingTest, BackupAndBridgeReadTheSameNumber) {
  const std::string mstcp = "HKLM\\System\\CurrentControlSet\\Services\\VxD\\MSTCP";
  const auto text = [](std::string t) { return std::vector<std::uint8_t>(t.c_str(), t.c_str() + t.size() + 1); };
  const struct {
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    std::string recorded;
    std::optional<long long> bridged;
  } cases[] = {
      {REG_SZ, text("+128"), "128", 128},
      {REG_SZ, text(" 128"), "128", 128},
      {REG_SZ, text("128 "), "128", 128},
      {REG_SZ, text("\t+128 "), "128", 128},
      {REG_BINARY, {0x80, 0, 0, 0}, "128", 128},
      {REG_BINARY, {0, 0, 0, 0, 1}, "0", std::nullopt},
      {REG_DWORD, {0, 0, 0, 0, 1}, "0", std::nullopt},
      {11 /* a QWORD */, {0, 0, 0, 0, 0, 0, 0, 1}, "0", std::nullopt},
  };
  const OSFamily nineX = DetectOSFamily(OSVersionRecord{1, 4, 10});
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.data.begin(), c.data.end()));
    test::MemoryRegistry registry;
    test::FakeClock clock;
    registry.Put(mstcp, "DefaultTTL", c.type, c.data);
    const std::string bytes = SettingsBackupBytes({registry, clock, "unused", nineX.code});
    EXPECT_NE(bytes.find("\"DefaultTTL\"\r\n" + c.recorded + "\r\n"), std::string::npos) << bytes;
    const auto stored = ReadStoredTuning(registry, nineX);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored.value()[TuningField::TTL], c.bridged);
  }
}

}  // namespace
}  // namespace zf::kernel
