// SPDX-License-Identifier: GPL-3.0-or-later
// The ping program: started as an ordinary user, it sends with the capability its file carries,
// and holds no capability at all once its socket is open. Runs in this program's own network
// namespace, inside a further fresh one where ICMP datagram sockets are refused.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

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
