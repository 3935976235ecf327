// SPDX-License-Identifier: GPL-3.0-or-later
// Real echo requests, sent only inside this program's own network namespace.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "pinger/mdlPing.h"
#include "platform/linux/LinuxIcmp.h"
#include "support/Fakes.h"
#include "support/NetNamespace.h"

namespace zf {

void PrintTo(IcmpSocketKinds kinds, std::ostream* out) {
  *out << (kinds == IcmpSocketKinds::DatagramOnly ? "datagram socket" : "raw socket");
}

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class TimedWindowSystem : public test::FakeWindowSystem {
 public:
  void DoEvents(int rounds) override {
    times.push_back(Clock::now());
    FakeWindowSystem::DoEvents(rounds);
  }
  std::vector<Clock::time_point> times;
};

milliseconds Since(Clock::time_point start) { return std::chrono::duration_cast<milliseconds>(Clock::now() - start); }

class EchoTest : public ::testing::TestWithParam<IcmpSocketKinds> {
 protected:
  void SetUp() override { ZF_REQUIRE_OWN_NETWORK_NAMESPACE(); }

  LinuxIcmp icmp{GetParam()};
  TimedWindowSystem windowSystem;
  mdlPing ping{icmp, &windowSystem};
};

TEST_P(EchoTest, LoopbackAddressAndLocalhostAnswer) {
  ASSERT_TRUE(ping.PingHost("127.0.0.1", 2000));
  EXPECT_EQ(ping.LastPing().reply.Address, (IPv4Address{127, 0, 0, 1}));
  EXPECT_EQ(ping.LastPing().reply.DataSize, kEchoPayload.size());
  ASSERT_TRUE(ping.PingHost("localhost", 2000));
  EXPECT_TRUE(ping.LastPing().addressText.starts_with("127.")) << ping.LastPing().addressText;
}

TEST_P(EchoTest, LocalReplyToTheZeroAddressDoesNotCount) {
  // Linux answers an echo to 0.0.0.0 from 127.0.0.1; that is not a reply from the target.
  EXPECT_FALSE(ping.PingHost("10.0.1", 300));
  EXPECT_EQ(ping.LastPing().reply.Status, IcmpStatus::TimedOut);
}

TEST_P(EchoTest, SilentHostTimesOutOnTimeWhileEventsKeepRunning) {
  test::ScopedNetSetting silent("ipv4/icmp_echo_ignore_all", "1");
  ASSERT_TRUE(silent.ok());
  const auto start = Clock::now();
  EXPECT_FALSE(ping.PingHost("127.0.0.1", 1000));
  const auto end = Clock::now();
  EXPECT_EQ(ping.LastPing().reply.Status, IcmpStatus::TimedOut);
  EXPECT_GE(end - start, milliseconds(1000));
  EXPECT_LT(end - start, milliseconds(1250));

  auto timeline = windowSystem.times;
  timeline.insert(timeline.begin(), start);
  timeline.push_back(end);
  milliseconds longestGap{0};
  for (std::size_t i = 1; i < timeline.size(); ++i)
    longestGap = std::max(longestGap, std::chrono::duration_cast<milliseconds>(timeline[i] - timeline[i - 1]));
  EXPECT_LE(longestGap, milliseconds(50 + 25)) << "events must run at least every 50 ms";
}

// Answers each of our echo requests at once with replies that must not count (a foreign
// identifier, a foreign sequence number, a foreign sender), and with the right reply only later.
class ReplyForger {
 public:
  explicit ReplyForger(milliseconds rightReplyDelay) : m_delay(rightReplyDelay) {
    m_listen = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    m_otherSender = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    sockaddr_in other = Address("127.0.0.2");
    m_ok = m_listen >= 0 && m_otherSender >= 0 &&
           ::bind(m_otherSender, reinterpret_cast<sockaddr*>(&other), sizeof other) == 0;
    if (m_ok) m_thread = std::thread([this] { Run(); });
  }
  ~ReplyForger() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_listen >= 0) ::close(m_listen);
    if (m_otherSender >= 0) ::close(m_otherSender);
  }
  bool ok() const { return m_ok; }
  int requestsSeen() const { return m_requests; }

 private:
  static sockaddr_in Address(const char* text) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    ::inet_pton(AF_INET, text, &address.sin_addr);
    return address;
  }

  static std::uint16_t Checksum(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 2)
      sum += (std::uint32_t{bytes[i]} << 8) | (i + 1 < bytes.size() ? bytes[i + 1] : 0);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
  }

  static void Send(int fd, std::vector<std::uint8_t> packet, std::uint16_t identifier, std::uint16_t sequence) {
    packet[0] = 0;  // echo reply
    packet[4] = static_cast<std::uint8_t>(identifier >> 8);
    packet[5] = static_cast<std::uint8_t>(identifier);
    packet[6] = static_cast<std::uint8_t>(sequence >> 8);
    packet[7] = static_cast<std::uint8_t>(sequence);
    packet[2] = packet[3] = 0;
    const std::uint16_t sum = Checksum(packet);
    packet[2] = static_cast<std::uint8_t>(sum >> 8);
    packet[3] = static_cast<std::uint8_t>(sum);
    const sockaddr_in target = Address("127.0.0.1");
    ::sendto(fd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&target), sizeof target);
  }

  void Run() {
    std::uint8_t buffer[1500];
    while (!m_stop) {
      pollfd wait{m_listen, POLLIN, 0};
      if (::poll(&wait, 1, 20) <= 0) continue;
      const ssize_t size = ::recv(m_listen, buffer, sizeof buffer, 0);
      if (size < 28) continue;
      const std::size_t ipHeader = (buffer[0] & 0x0F) * 4u;
      std::vector<std::uint8_t> icmp(buffer + ipHeader, buffer + size);
      const std::string payload(icmp.begin() + 8, icmp.end());
      if (icmp[0] != 8 || payload != kEchoPayload) continue;
      ++m_requests;
      const auto identifier = static_cast<std::uint16_t>((icmp[4] << 8) | icmp[5]);
      const auto sequence = static_cast<std::uint16_t>((icmp[6] << 8) | icmp[7]);
      Send(m_listen, icmp, identifier ^ 0x5A5A, sequence);
      Send(m_listen, icmp, identifier, static_cast<std::uint16_t>(sequence ^ 0x8000));
      Send(m_otherSender, icmp, identifier, sequence);
      std::this_thread::sleep_for(m_delay);
      Send(m_listen, icmp, identifier, sequence);
    }
  }

  milliseconds m_delay;
  int m_listen = -1;
  int m_otherSender = -1;
  bool m_ok = false;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_requests{0};
  std::thread m_thread;
};

TEST_P(EchoTest, RepliesOfOthersAreIgnored) {
  test::ScopedNetSetting silent("ipv4/icmp_echo_ignore_all", "1");
  ASSERT_TRUE(silent.ok());
  const milliseconds rightReplyDelay{300};
  ReplyForger forger(rightReplyDelay);
  ASSERT_TRUE(forger.ok());
  const auto start = Clock::now();
  EXPECT_TRUE(ping.PingHost("127.0.0.1", 3000));
  EXPECT_GE(Since(start), rightReplyDelay) << "a forged reply was taken for ours";
  EXPECT_EQ(forger.requestsSeen(), 1);
}

TEST_P(EchoTest, RequestStartedWhileAnotherWaitsGetsItsOwnReply) {
  test::ScopedNetSetting silent("ipv4/icmp_echo_ignore_all", "1");
  ASSERT_TRUE(silent.ok());
  ReplyForger forger(milliseconds(100));
  ASSERT_TRUE(forger.ok());
  const IPv4Address loopback{127, 0, 0, 1};
  const std::span<const std::uint8_t> payload(reinterpret_cast<const std::uint8_t*>(kEchoPayload.data()),
                                              kEchoPayload.size());
  IcmpEchoReply inner;
  bool nested = false;
  const IcmpEchoReply outer = icmp.SendEcho(loopback, payload, 2000, [&] {
    if (nested) return;
    nested = true;
    inner = icmp.SendEcho(loopback, payload, 2000, nullptr);
  });
  EXPECT_TRUE(nested);
  EXPECT_EQ(inner.Status, IcmpStatus::Success);
  EXPECT_EQ(outer.Status, IcmpStatus::Success);
  EXPECT_EQ(forger.requestsSeen(), 2);
}

INSTANTIATE_TEST_SUITE_P(SocketKinds, EchoTest,
                         ::testing::Values(IcmpSocketKinds::DatagramOnly, IcmpSocketKinds::RawOnly),
                         [](const auto& info) {
                           return info.param == IcmpSocketKinds::DatagramOnly ? "Datagram" : "Raw";
                         });

class EchoNamespaceTest : public ::testing::Test {
 protected:
  void SetUp() override { ZF_REQUIRE_OWN_NETWORK_NAMESPACE(); }
  LinuxIcmp icmp;
  mdlPing ping{icmp, nullptr};
};

TEST_F(EchoNamespaceTest, RawSocketStandsInWhenDatagramSocketsAreRefused) {
  test::ScopedFreshNetworkNamespace noDatagrams;
  ASSERT_TRUE(noDatagrams.ok());
  EXPECT_TRUE(ping.PingHost("127.0.0.1", 2000));
}

TEST_F(EchoNamespaceTest, NeitherSocketKindPermittedIsReportedAsSuch) {
  test::ScopedFreshNetworkNamespace noDatagrams;
  test::ScopedNoRawSockets noRaw;
  ASSERT_TRUE(noDatagrams.ok() && noRaw.ok());
  EXPECT_FALSE(ping.PingHost("127.0.0.1", 2000));
  EXPECT_EQ(ping.LastPing().reply.Status, IcmpStatus::NotPermitted);
}

TEST_F(EchoNamespaceTest, NameThatDoesNotResolve) {
  EXPECT_FALSE(ping.PingHost("no-such-host.invalid", 2000));
  EXPECT_EQ(ping.LastPing().step, PingOutcome::Step::NameNotFound);
}

}  // namespace
}  // namespace zf
