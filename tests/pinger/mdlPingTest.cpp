// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "pinger/mdlPing.h"
#include "support/Fakes.h"

namespace zf {
namespace {

using test::FakeIcmp;
using test::FakeWindowSystem;

TEST(TextToIPv4, FourPartsGiveTheirLowBytesInWireOrder) {
  EXPECT_EQ(TextToIPv4("10.0.0.1"), (IPv4Address{10, 0, 0, 1}));
  EXPECT_EQ(TextToIPv4("10.0.0.300"), (IPv4Address{10, 0, 0, 44}));
  EXPECT_EQ(TextToIPv4("256.257.0.255"), (IPv4Address{0, 1, 0, 255}));
  EXPECT_EQ(TextToIPv4("-1.0.0.1"), (IPv4Address{255, 0, 0, 1}));
  EXPECT_EQ(TextToIPv4(" 127.0.0.1 "), (IPv4Address{127, 0, 0, 1}));
}

TEST(TextToIPv4, FewerThanFourPartsGiveTheZeroAddress) {
  EXPECT_EQ(TextToIPv4("10.0.1"), (IPv4Address{0, 0, 0, 0}));
  EXPECT_EQ(TextToIPv4("10"), (IPv4Address{0, 0, 0, 0}));
}

TEST(TextToIPv4, FifthPartOrNonNumberIsAnError) {
  EXPECT_FALSE(TextToIPv4("1.2.3.4.5"));
  EXPECT_FALSE(TextToIPv4("1.2.3.x"));
  EXPECT_FALSE(TextToIPv4("1..3.4"));
  EXPECT_FALSE(TextToIPv4("1.2.3.4."));
  EXPECT_FALSE(TextToIPv4("1.2.3.99999999999999999999"));
}

TEST(HostClassification, NumberBeforeTheFirstDotMakesAnAddressText) {
  EXPECT_TRUE(IsAddressText("10.0.0.1"));
  EXPECT_TRUE(IsAddressText("10.example.org"));
  EXPECT_TRUE(IsAddressText("1.2.3.4.5"));
  EXPECT_FALSE(IsAddressText("www.example.org"));
  EXPECT_FALSE(IsAddressText("localhost"));
  EXPECT_FALSE(IsAddressText("2130706433"));
  EXPECT_FALSE(IsAddressText(".1.2.3"));
  EXPECT_FALSE(IsAddressText("0x7f.0.0.1"));
}

class PingHostTest : public ::testing::Test {
 protected:
  FakeIcmp icmp;
  FakeWindowSystem windowSystem;
  mdlPing ping{icmp, &windowSystem};
};

TEST_F(PingHostTest, BlankHostFailsWithoutAnyActivity) {
  for (const char* blank : {"", " ", " \t  "}) {
    EXPECT_FALSE(ping.PingHost(blank, 10000)) << '"' << blank << '"';
    EXPECT_EQ(ping.LastPing().step, PingOutcome::Step::BlankHost);
  }
  EXPECT_TRUE(icmp.resolved.empty());
  EXPECT_TRUE(icmp.echoes.empty());
  EXPECT_EQ(windowSystem.eventRounds, 0);
}

TEST_F(PingHostTest, AddressTextIsSentOnceWithTheFixedPayloadAndCallersTimeout) {
  EXPECT_TRUE(ping.PingHost("127.0.0.1", 1234));
  ASSERT_EQ(icmp.echoes.size(), 1u);
  EXPECT_EQ(icmp.echoes[0].address, (IPv4Address{127, 0, 0, 1}));
  EXPECT_EQ(icmp.echoes[0].payload, "Echo This");
  EXPECT_EQ(icmp.echoes[0].timeoutMs, 1234u);
  EXPECT_TRUE(icmp.resolved.empty());
  EXPECT_GT(windowSystem.eventRounds, 0);
  EXPECT_EQ(ping.SocketsLayerUsers(), 0);

  ping.PingHost("10.0.1", 100);
  EXPECT_EQ(icmp.echoes.back().address, (IPv4Address{0, 0, 0, 0}));
}

TEST_F(PingHostTest, MalformedAddressTextFailsWithoutSending) {
  for (const char* text : {"1.2.3.4.5", "10.0.0.x"}) {
    EXPECT_FALSE(ping.PingHost(text, 100)) << text;
    EXPECT_EQ(ping.LastPing().reply.Status, IcmpStatus::BadDestination);
  }
  EXPECT_TRUE(icmp.echoes.empty());
  EXPECT_EQ(ping.SocketsLayerUsers(), 0);
}

TEST_F(PingHostTest, HostNameUsesTheFirstResolvedAddress) {
  icmp.hosts["www.example.org"] = {{192, 0, 2, 7}, {192, 0, 2, 8}};
  icmp.hosts["router"] = {{192, 0, 2, 1}};
  EXPECT_TRUE(ping.PingHost("www.example.org", 100));
  EXPECT_TRUE(ping.PingHost("router", 100));
  ASSERT_EQ(icmp.echoes.size(), 2u);
  EXPECT_EQ(icmp.echoes[0].address, (IPv4Address{192, 0, 2, 7}));
  EXPECT_EQ(icmp.echoes[1].address, (IPv4Address{192, 0, 2, 1}));
  EXPECT_EQ(ping.LastPing().addressText, "192.0.2.1");
  EXPECT_EQ(ping.SocketsLayerUsers(), 0);
}

TEST_F(PingHostTest, NameThatDoesNotResolveFailsAndStopsTheSocketsLayer) {
  EXPECT_FALSE(ping.PingHost("nowhere.invalid", 100));
  EXPECT_EQ(icmp.resolved, std::vector<std::string>{"nowhere.invalid"});
  EXPECT_TRUE(icmp.echoes.empty());
  EXPECT_EQ(ping.LastPing().step, PingOutcome::Step::NameNotFound);
  EXPECT_EQ(ping.SocketsLayerUsers(), 0);
}

TEST_F(PingHostTest, HostTextIsNotTrimmedBeforeResolving) {
  ping.PingHost(" localhost ", 100);
  EXPECT_EQ(icmp.resolved, std::vector<std::string>{" localhost "});
}

TEST_F(PingHostTest, NestedPingFromPendingEventsKeepsBothOutcomesApart) {
  icmp.hosts["inner"] = {{192, 0, 2, 9}};
  bool nestedReplied = true;
  icmp.duringEcho = [&] {
    icmp.duringEcho = nullptr;
    icmp.status = IcmpStatus::TimedOut;
    nestedReplied = ping.PingHost("inner", 100);
    icmp.status = IcmpStatus::Success;
  };
  EXPECT_TRUE(ping.PingHost("127.0.0.1", 100));
  EXPECT_FALSE(nestedReplied);
  EXPECT_EQ(ping.LastPing().addressText, "127.0.0.1");
  EXPECT_EQ(ping.LastPing().reply.Status, IcmpStatus::Success);
  EXPECT_EQ(ping.SocketsLayerUsers(), 0);
}

TEST(ResolveHostName, AddressTextsInTheResolversOrder) {
  FakeIcmp icmp;
  icmp.hosts["multi"] = {{10, 1, 2, 3}, {0, 0, 0, 0}, {255, 255, 255, 255}};
  mdlPing ping{icmp, nullptr};
  EXPECT_EQ(ping.ResolveHostName("multi"), (std::vector<std::string>{"10.1.2.3", "0.0.0.0", "255.255.255.255"}));
  EXPECT_TRUE(ping.ResolveHostName("unknown").empty());
  EXPECT_EQ(ping.SocketsLayerUsers(), 0);
}

}  // namespace
}  // namespace zf
