// SPDX-License-Identifier: GPL-3.0-or-later
// The ping program: started as an ordinary user, it sends with the capability its file carries,
// and holds no capability at all once its socket is open. Runs in this program's own network
// namespace, inside a further fresh one where ICMP datagram sockets are refused.
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "pinger/mdlPing.h"
#include "platform/linux/LinuxIcmp.h"
#include "platform/linux/PingProgramProtocol.h"
#include "support/NetNamespace.h"
#include "support/TempDir.h"

namespace zf {
namespace {

namespace fs = std::filesystem;
namespace protocol = pingprogram;

constexpr uid_t kNobody = 65534;
const std::string kPayload = "Echo This";
const IPv4Address kLoopback{127, 0, 0, 1};

fs::path BuiltProgram(const char* name) {
  const char* bin = std::getenv("ZENTROFAST_BIN");
  return fs::path(bin ? bin : "build/bin") / name;
}

fs::path BuiltPingProgram() { return BuiltProgram("zentrofast-ping"); }

// A copy of the ping program in a folder every user may enter; with the capability when asked.
class PingProgramCopy {
 public:
  explicit PingProgramCopy(bool withCapability) {
    fs::permissions(m_folder.path(), fs::perms(0755));
    fs::copy_file(BuiltPingProgram(), path());
    fs::permissions(path(), fs::perms(0755));
    if (withCapability) m_ok = std::system(("setcap cap_net_raw+ep '" + path().string() + "'").c_str()) == 0;
  }
  fs::path path() const { return m_folder / "zentrofast-ping"; }
  bool ok() const { return m_ok; }
  // Another built program beside it, as the package installs them.
  fs::path AddBeside(const char* name) const {
    fs::copy_file(BuiltProgram(name), m_folder / name);
    fs::permissions(m_folder / name, fs::perms(0755));
    return m_folder / name;
  }

 private:
  test::TempDir m_folder;
  bool m_ok = true;
};

// The program run as nobody, its stdin and stdout one end of a socket pair.
class RunningAsNobody {
 public:
  explicit RunningAsNobody(const fs::path& program) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(ends[1], STDIN_FILENO);
      ::dup2(ends[1], STDOUT_FILENO);
      if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(126);
      char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
      char* const environment[] = {nullptr};
      ::execve(program.c_str(), argv, environment);
      ::_exit(127);
    }
    ::close(ends[1]);
    m_fd = ends[0];
  }
  ~RunningAsNobody() {
    ::close(m_fd);
    if (m_pid > 0) ::waitpid(m_pid, nullptr, 0);
  }

  IcmpEchoReply Echo(const IPv4Address& address) {
    const auto payload = std::span(reinterpret_cast<const std::uint8_t*>(kPayload.data()), kPayload.size());
    const auto request = protocol::EncodeRequest(address, 2000, payload);
    if (::write(m_fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) return {};
    std::array<std::uint8_t, protocol::kReplySize> answer{};
    if (::recv(m_fd, answer.data(), answer.size(), MSG_WAITALL) != static_cast<ssize_t>(answer.size())) return {};
    return protocol::DecodeReply(answer);
  }

  // "Name:\tvalue" lines of /proc/PID/status.
  std::map<std::string, std::string> Status() const {
    std::map<std::string, std::string> fields;
    std::ifstream file("/proc/" + std::to_string(m_pid) + "/status");
    for (std::string line; std::getline(file, line);) {
      const auto colon = line.find(':');
      if (colon == std::string::npos) continue;
      const auto value = line.find_first_not_of(" \t", colon + 1);
      fields[line.substr(0, colon)] = value == std::string::npos ? "" : line.substr(value);
    }
    return fields;
  }

  bool started() const { return m_pid > 0; }

  // Bytes waiting in the program's raw sockets (rx_queue of /proc/net/raw, this namespace only).
  std::uint64_t QueuedBytes() const {
    std::set<std::string> inodes;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(m_pid) + "/fd")) {
      const std::string target = fs::read_symlink(fd.path()).string();
      if (target.starts_with("socket:[")) inodes.insert(target.substr(8, target.size() - 9));
    }
    std::uint64_t queued = 0;
    std::ifstream table("/proc/thread-self/net/raw");
    std::string line;
    std::getline(table, line);  // the heading
    while (std::getline(table, line)) {
      std::istringstream fields(line);
      std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout, inode;
      fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >> timeout >> inode;
      if (inodes.contains(inode)) queued += std::stoull(queues.substr(queues.find(':') + 1), nullptr, 16);
    }
    return queued;
  }

 private:
  pid_t m_pid = -1;
  int m_fd = -1;
};

class PingProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ZF_REQUIRE_OWN_NETWORK_NAMESPACE();
    if (::geteuid() != 0) GTEST_SKIP() << "starting a program as another user needs root";
    ASSERT_TRUE(noDatagrams.ok());
  }
  test::ScopedFreshNetworkNamespace noDatagrams;
};

TEST_F(PingProgramTest, OrdinaryUserEchoesThroughTheFileCapabilityAndKeepsNoCapability) {
  PingProgramCopy program(true);
  ASSERT_TRUE(program.ok()) << "setcap failed";
  RunningAsNobody running(program.path());
  ASSERT_TRUE(running.started());
  const IcmpEchoReply reply = running.Echo(kLoopback);
  EXPECT_EQ(reply.Status, IcmpStatus::Success);
  EXPECT_EQ(reply.Address, kLoopback);
  EXPECT_EQ(reply.DataSize, kPayload.size());

  // Still running (waiting for the next request), its socket open and every capability gone.
  const auto status = running.Status();
  EXPECT_TRUE(status.at("Uid").starts_with("65534")) << status.at("Uid");
  EXPECT_EQ(status.at("CapEff"), "0000000000000000");
  EXPECT_EQ(status.at("CapPrm"), "0000000000000000");
  EXPECT_EQ(status.at("CapAmb"), "0000000000000000");
  EXPECT_EQ(status.at("NoNewPrivs"), "1");
  EXPECT_EQ(running.Echo(kLoopback).Status, IcmpStatus::Success) << "the one socket serves every request";
}

// Sends count echo replies of a kilobyte to loopback from a raw socket that takes none itself.
bool FloodLoopbackWithReplies(int count) {
  const int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
  if (fd < 0) return false;
  icmp_filter takeNothing{~0U};
  ::setsockopt(fd, SOL_RAW, ICMP_FILTER, &takeNothing, sizeof takeNothing);
  std::vector<std::uint8_t> reply(1024);  // type 0: an echo reply
  sockaddr_in loopback{};
  loopback.sin_family = AF_INET;
  loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int sent = 0;
  for (int i = 0; i < count; ++i)
    if (::sendto(fd, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&loopback), sizeof loopback) > 0)
      ++sent;
  ::close(fd);
  return sent == count;
}

// Every echo reply of the machine reaches the raw socket of an idle program: it must not hoard them.
TEST_F(PingProgramTest, AnIdleProgramKeepsItsSocketEmptyThroughAFloodOfOtherReplies) {
  PingProgramCopy program(true);
  ASSERT_TRUE(program.ok()) << "setcap failed";
  RunningAsNobody running(program.path());
  ASSERT_EQ(running.Echo(kLoopback).Status, IcmpStatus::Success);
  ASSERT_TRUE(FloodLoopbackWithReplies(500));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (running.QueuedBytes() > 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(running.QueuedBytes(), 0u) << "an idle program holds the replies queued for it";
  EXPECT_EQ(running.Echo(kLoopback).Status, IcmpStatus::Success) << "and still answers the next request";
}

TEST_F(PingProgramTest, WithoutTheCapabilityEveryRequestIsNotPermitted) {
  PingProgramCopy program(false);
  RunningAsNobody running(program.path());
  ASSERT_TRUE(running.started());
  EXPECT_EQ(running.Echo(kLoopback).Status, IcmpStatus::NotPermitted);
  EXPECT_EQ(running.Echo(kLoopback).Status, IcmpStatus::NotPermitted);
}

TEST_F(PingProgramTest, DatagramOnlyEchoFallsBackToThePingProgram) {
  LinuxIcmp icmp(IcmpOptions{IcmpSocketKinds::DatagramOnly, -1, BuiltPingProgram().string()});
  mdlPing ping(icmp, nullptr);
  EXPECT_TRUE(ping.PingHost("127.0.0.1", 2000));
  EXPECT_EQ(ping.LastPing().reply.DataSize, kEchoPayload.size());
  EXPECT_TRUE(ping.PingHost("127.0.0.1", 2000)) << "the idle ping program serves the next request";
}

// The tool carries no capability of its own: it sends through the capable ping program beside it.
TEST_F(PingProgramTest, TheToolPingsAsAnOrdinaryUserThroughThePingProgram) {
  PingProgramCopy program(true);
  ASSERT_TRUE(program.ok()) << "setcap failed";
  const fs::path tool = program.AddBeside("zentrofastctl");
  const int status = std::system(("setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all env -i '" +
                                  tool.string() + "' ping 127.0.0.1 --timeout 2000 >/dev/null")
                                     .c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST_F(PingProgramTest, MissingPingProgramIsNotPermittedAndTheMessageNamesOnlyTheSysctl) {
  test::TempDir empty;
  LinuxIcmp icmp(IcmpOptions{IcmpSocketKinds::DatagramOnly, -1, (empty / "none").string()});
  mdlPing ping(icmp, nullptr);
  EXPECT_FALSE(ping.PingHost("127.0.0.1", 2000));
  EXPECT_EQ(ping.LastPing().reply.Status, IcmpStatus::NotPermitted);
  const std::string message = EchoNotPermittedMessage();
  EXPECT_NE(message.find("net.ipv4.ping_group_range"), std::string::npos);
  EXPECT_EQ(message.find("setcap"), std::string::npos) << message;
}

}  // namespace
}  // namespace zf
