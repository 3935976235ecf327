// SPDX-License-Identifier: GPL-3.0-or-later
// The table the helper holds every request to, the ledger's text and the request reader.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "kernel/HelperProtocol.h"
#include "kernel/KernelTestSupport.h"
#include "kernel/Ledger.h"
#include "kernel/PersistTexts.h"
#include "kernel/SettingTable.h"
#include "support/TempDir.h"

namespace zf::kernel {
namespace {

const LinkInfo kEth0{"eth0", 2, 1500, 9000, false, ""};
const LinkInfo kLo{"lo", 1, 65536, 0, true, ""};

TEST(SettingTableTest, BoundsOfEveryScalarSetting) {
  EXPECT_EQ(CheckSetting(kTtlKey, "1", nullptr), "");
  EXPECT_EQ(CheckSetting(kTtlKey, "255", nullptr), "");
  EXPECT_NE(CheckSetting(kTtlKey, "0", nullptr), "");
  EXPECT_NE(CheckSetting(kTtlKey, "256", nullptr), "");
  EXPECT_NE(CheckSetting(kKeepAliveTimeKey, "32768", nullptr), "");
  EXPECT_EQ(CheckSetting(kKeepAliveIntervalKey, "32767", nullptr), "");
  EXPECT_EQ(CheckSetting(kSynCookiesKey, "2", nullptr), "");
  EXPECT_NE(CheckSetting(kSynCookiesKey, "3", nullptr), "");
  EXPECT_NE(CheckSetting(kNoPmtuDiscKey, "2", nullptr), "");
  EXPECT_NE(CheckSetting(kMtuProbingKey, "-1", nullptr), "");
  EXPECT_NE(CheckSetting(kTtlKey, "64 1", nullptr), "");
}

TEST(SettingTableTest, ReceiveBuffersMustBeAnOrderedTripletWithinTheLimit) {
  EXPECT_EQ(CheckSetting(kRmemKey, "4096 131072 2147483647", nullptr), "");
  EXPECT_NE(CheckSetting(kRmemKey, "4096 131072 2147483648", nullptr), "");
  EXPECT_NE(CheckSetting(kRmemKey, "4096 131072", nullptr), "");
  EXPECT_NE(CheckSetting(kRmemKey, "131072 4096 6291456", nullptr), "");
  EXPECT_NE(CheckSetting(kRmemKey, "4096 6291456 131072", nullptr), "");
  EXPECT_NE(CheckSetting(kRmemKey, "0 4096 6291456", nullptr), "");
}

TEST(SettingTableTest, InterfaceSettingsNeedALiveNonLoopbackLinkAndItsMtuRange) {
  EXPECT_EQ(CheckSetting(MtuKey("eth0"), "68", &kEth0), "");
  EXPECT_EQ(CheckSetting(MtuKey("eth0"), "9000", &kEth0), "");
  EXPECT_NE(CheckSetting(MtuKey("eth0"), "67", &kEth0), "");
  EXPECT_NE(CheckSetting(MtuKey("eth0"), "9001", &kEth0), "");
  EXPECT_EQ(CheckSetting(MtuKey("lo"), "1500", &kLo), "loopback is never changed");
  EXPECT_EQ(CheckSetting(MtuKey("eth1"), "1500", nullptr), "there is no interface eth1");
  EXPECT_EQ(CheckSetting(RedirectsKey("eth0"), "0", &kEth0), "");
  EXPECT_EQ(CheckSetting(RedirectsKey("all"), "1", nullptr), "");
  EXPECT_NE(CheckSetting(RedirectsKey("lo"), "0", &kLo), "");
}

TEST(SettingTableTest, GlobalAndUntouchableSettingsAreOutsideTheTable) {
  for (const char* key :
       {"net/core/rmem_max", "net/ipv4/tcp_mem", "net/ipv4/neigh/default/gc_thresh1", "net/ipv4/tcp_sack",
        "net/ipv4/tcp_window_scaling", "net/ipv4/tcp_timestamps",
        "net/ipv4/conf/../../../kernel/core_pattern/accept_redirects", "link/a/b/mtu", "kernel/hostname"})
    EXPECT_EQ(CheckSetting(key, "1", nullptr), "not a setting the bridge manages") << key;
}

TEST(SettingTableTest, DisplayNamesUseSysctlSpelling) {
  EXPECT_EQ(DisplayName("net/ipv4/tcp_rmem"), "net.ipv4.tcp_rmem");
  EXPECT_EQ(DisplayName(RedirectsKey("eth0.100")), "net.ipv4.conf.eth0/100.accept_redirects");
  EXPECT_EQ(DisplayName(MtuKey("eth0")), "eth0 MTU");
  EXPECT_EQ(InterfaceOfKey(RedirectsKey("all")), "");
  EXPECT_EQ(InterfaceOfKey(MtuKey("wlp2s0")), "wlp2s0");
}

TEST(SettingTableTest, ValuesNormaliseToSingleSpacesAndRejectAnythingElse) {
  EXPECT_EQ(NormalizeValue("4096\t131072\t6291456\n"), "4096 131072 6291456");
  EXPECT_EQ(NormalizeValue("64\n"), "64");
  EXPECT_EQ(NormalizeValue("-1"), "");
  EXPECT_EQ(NormalizeValue("6x"), "");
}

TEST(LedgerTest, TextRoundTripsAndDamageIsRefused) {
  Ledger ledger;
  ledger.originals = {{"net/ipv4/ip_default_ttl", "64"}, {"net/ipv4/tcp_rmem", "4096 131072 6291456"}};
  ledger.managed = {{"net/ipv4/ip_default_ttl", "128"}};
  ledger.persistence = {{"net/ipv4/ip_default_ttl", "sysctl"}};
  ledger.history = {{"20261208-1", "alice", "003.BCK", "kept"}, {"20261208-2", "root", "", "reverted"}};
  auto parsed = ParseLedger(FormatLedger(ledger));
  ASSERT_TRUE(parsed.has_value()) << parsed.error().text;
  EXPECT_EQ(parsed->originals, ledger.originals);
  EXPECT_EQ(parsed->managed, ledger.managed);
  EXPECT_EQ(parsed->persistence, ledger.persistence);
  ASSERT_EQ(parsed->history.size(), 2u);
  EXPECT_EQ(parsed->history[0].backupName, "003.BCK");
  EXPECT_TRUE(parsed->Kept("20261208-1"));
  EXPECT_FALSE(parsed->Kept("20261208-2"));
  EXPECT_FALSE(ParseLedger("zentrofast-ledger 1\noriginal\tx\n").has_value());
  EXPECT_FALSE(ParseLedger("something else\n").has_value());
  EXPECT_FALSE(ParseLedger("zentrofast-ledger 1\noriginal\tx\t1").has_value()) << "a torn last line";
}

// The helper acts on its own files as root: a line it could not write itself is damage.
TEST(LedgerTest, LinesWithForeignKeysOrNumbersThatAreNoneAreDamaged) {
  const struct {
    const char* line;
    bool whole;
  } cases[] = {{"original\tlink/eth0/mtu\t1500", true},
               {"original\tnet/ipv4/tcp_rmem\t4096 131072 6291456", true},
               {"original\tnet/ipv4/conf/eth0.100/accept_redirects\t1", true},
               {"original\tlink/eth0/mtu\tabc", false},
               {"original\tlink/eth0/mtu\t100000000000000000000", false},
               {"original\tlink/eth0/mtu\t2147483648", false},
               {"original\tlink/eth0/mtu\t-1", false},
               {"original\tnet/ipv4/tcp_rmem\t4096 131072", false},
               {"original\tnet/ipv4/ip_forward\t1", false},
               {"managed\tnet/ipv4/ip_forward\t0\tsysctl", false},
               {"managed\tlink/../mtu\t1500\tlink", false},
               {"managed\tnet/ipv4/ip_default_ttl\t64 64\tsysctl", false}};
  for (const auto& c : cases) {
    auto parsed = ParseLedger(std::string("zentrofast-ledger 1\n") + c.line + "\n");
    EXPECT_EQ(parsed.has_value(), c.whole) << c.line;
    if (!parsed) {
      EXPECT_NE(parsed.error().text.find("line 2"), std::string::npos) << parsed.error().text;
    }
  }
}

TEST(LedgerTest, TheHistoryKeepsItsNewestTransactions) {
  Ledger ledger;
  for (std::size_t i = 0; i < kMaxLedgerHistory + 5; ++i) ledger.Record({std::to_string(i), "root", "", "kept"});
  ASSERT_EQ(ledger.history.size(), kMaxLedgerHistory);
  EXPECT_EQ(ledger.history.front().id, "5");
  EXPECT_EQ(ledger.history.back().id, std::to_string(kMaxLedgerHistory + 4));
  EXPECT_TRUE(ledger.Concluded(std::to_string(kMaxLedgerHistory + 4)));
  EXPECT_FALSE(ledger.Concluded("4"));
}

HelperRequest ApplyRequest() {
  HelperRequest request;
  request.backupName = "004.BCK";
  request.keepWithinSeconds = 20;
  request.allowIpv6Loss = true;
  request.settings = {{"net/ipv4/ip_default_ttl", "64"}, {"net/ipv4/tcp_rmem", "4096 131072 513920"}};
  request.planHash = "0123456789abcdef";
  return request;
}

Result<HelperRequest> Parse(const std::string& text) {
  RequestParser parser;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    auto done = parser.Line(std::string_view(text).substr(start, end - start));
    if (!done) return done.error();
    if (done.value()) return parser.request();
  }
  return Error{"no end"};
}

TEST(HelperProtocolTest, AFormattedRequestReadsBackWhole) {
  auto parsed = Parse(FormatRequest(ApplyRequest()));
  ASSERT_TRUE(parsed.has_value()) << parsed.error().text;
  EXPECT_EQ(parsed->settings, ApplyRequest().settings);
  EXPECT_EQ(parsed->planHash, "0123456789abcdef");
  EXPECT_EQ(parsed->keepWithinSeconds, 20);
  EXPECT_TRUE(parsed->allowIpv6Loss);
  EXPECT_EQ(parsed->backupName, "004.BCK");
}

TEST(HelperProtocolTest, MalformedRequestsAreRefused) {
  const std::string head = "zentrofast-kernel 1\napply\n";
  EXPECT_FALSE(Parse("zentrofast-kernel 2\napply\nend\n").has_value());
  EXPECT_FALSE(Parse(head + "end\n").has_value()) << "an apply without a plan hash";
  EXPECT_FALSE(Parse(head + "plan 0123456789ABCDEF\nend\n").has_value());
  EXPECT_FALSE(Parse(head + "keep-within 601\nplan 0123456789abcdef\nend\n").has_value());
  EXPECT_FALSE(Parse(head + "set a 1\nset a 2\nplan 0123456789abcdef\nend\n").has_value());
  EXPECT_FALSE(Parse(head + "set /etc/passwd 1\nplan 0123456789abcdef\nend\n").has_value());
  EXPECT_FALSE(Parse(head + "set a  1\nplan 0123456789abcdef\nend\n").has_value());
  EXPECT_FALSE(Parse(head + "set a -1\nplan 0123456789abcdef\nend\n").has_value());
  EXPECT_FALSE(Parse(head + "backup a\tb\nplan 0123456789abcdef\nend\n").has_value());
  EXPECT_FALSE(Parse(head + "frobnicate\nend\n").has_value());
  EXPECT_FALSE(Parse("zentrofast-kernel 1\nrevert\nset a 1\nend\n").has_value());
  EXPECT_TRUE(Parse("zentrofast-kernel 1\nrevert\nbackup 001.BCK\nend\n").has_value());
}

TEST(HelperProtocolTest, AnswersAreKnownWordsOnly) {
  auto answer = ParseAnswer("applied 7 1765190000");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->word, "applied");
  EXPECT_EQ(answer->text, "7 1765190000");
  EXPECT_FALSE(ParseAnswer("maybe so"));
}

}  // namespace
}  // namespace zf::kernel

namespace zf::kernel {
namespace {

TEST(PersistTextsTest, ExportsCarryEverySysctlAndMatchLinksByPermanentAddress) {
  const SettingMap desired{{"net/ipv4/ip_default_ttl", "64"},
                           {RedirectsKey("eth0.100"), "0"},
                           {MtuKey("eth0"), "1492"},
                           {MtuKey("veth9"), "1400"}};
  const std::vector<LinkInfo> links{{"eth0", 2, 1500, 9000, false, "52:54:00:12:34:56"},
                                    {"veth9", 3, 1500, 65535, false, ""}};
  auto sysctl = ExportDesiredState(desired, links, "sysctl");
  ASSERT_TRUE(sysctl.has_value());
  EXPECT_NE(sysctl->find("\nnet.ipv4.ip_default_ttl = 64\n"), std::string::npos) << sysctl.value();
  EXPECT_NE(sysctl->find("\nnet.ipv4.conf.eth0/100.accept_redirects = 0\n"), std::string::npos) << sysctl.value();
  EXPECT_EQ(sysctl->find("1492"), std::string::npos) << "an MTU is no sysctl";
  auto tuned = ExportDesiredState(desired, links, "tuned");
  ASSERT_TRUE(tuned.has_value());
  EXPECT_EQ(tuned->rfind("[main]\n", 0), 0u);
  EXPECT_NE(tuned->find("[sysctl]\n# eth0.100 needs TuneD 2.22 or later (older TuneD turns every dot into a slash)"),
            std::string::npos)
      << tuned.value();
  // TuneD's sysctl plugin finds a key's file by swapping dots and slashes, as sysctl(8) does.
  std::map<std::string, std::string> tunedPaths;
  std::istringstream lines(tuned.value());
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find('=');
    if (line.empty() || line[0] == '#' || line[0] == '[' || line.starts_with("summary")) continue;
    std::string path = line.substr(0, equals);
    for (char& c : path) c = c == '.' ? '/' : c == '/' ? '.' : c;
    tunedPaths[path] = line.substr(equals + 1);
  }
  EXPECT_EQ(tunedPaths, (std::map<std::string, std::string>{{"net/ipv4/conf/eth0.100/accept_redirects", "0"},
                                                            {"net/ipv4/ip_default_ttl", "64"}}));
  test::TempDir linkFolder;
  std::ofstream(linkFolder / "99-default.link") << "[Match]\nOriginalName=*\n[Link]\nNamePolicy=keep path\n";
  auto networkd = ExportDesiredState(desired, links, "networkd", {linkFolder.path()});
  ASSERT_TRUE(networkd.has_value());
  EXPECT_NE(networkd->find("# file: 80-zentrofast-eth0.link\n"), std::string::npos) << networkd.value();
  EXPECT_NE(networkd->find("[Match]\nPermanentMACAddress=52:54:00:12:34:56\n\n[Link]\nNamePolicy=keep path\n"
                           "MTUBytes=1492\n"),
            std::string::npos)
      << "the naming of the file ours replaces is carried on\n"
      << networkd.value();
  EXPECT_NE(networkd->find("# veth9 has no permanent address"), std::string::npos);
  EXPECT_FALSE(ExportDesiredState(desired, links, "yaml").has_value());
}

}  // namespace
}  // namespace zf::kernel
