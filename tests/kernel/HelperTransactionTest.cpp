// SPDX-License-Identifier: GPL-3.0-or-later
// The helper for real, inside the sandbox: apply, keep, the confirmation window, dead callers
// and helpers, and refusals that change nothing.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "kernel/HelperSession.h"
#include "kernel/KernelPlan.h"
#include "kernel/KernelSandbox.h"
#include "kernel/Ledger.h"

namespace zf::kernel {
namespace {

using test::SandboxLive;

const SettingMap kTuned{{"net/ipv4/ip_default_ttl", "99"},
                        {"net/ipv4/tcp_keepalive_time", "600"},
                        {"net/ipv4/tcp_keepalive_intvl", "5"},
                        {"net/ipv4/conf/all/accept_redirects", "0"},
                        {"net/ipv4/conf/zf0/accept_redirects", "0"},
                        {"net/ipv4/tcp_rmem", "4096 65536 513920"},
                        {"link/zf0/mtu", "1400"}};

// A sysctl made read-only for the scope, as a container's runtime does: the kernel refuses its writes.
class ReadOnlySysctl {
 public:
  explicit ReadOnlySysctl(std::string path) : m_path(std::move(path)) {
    m_mounted = ::mount(m_path.c_str(), m_path.c_str(), nullptr, MS_BIND, nullptr) == 0;
    m_readOnly = m_mounted && ::mount(nullptr, m_path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
  }
  ~ReadOnlySysctl() {
    if (m_mounted) ::umount2(m_path.c_str(), MNT_DETACH);
  }
  ReadOnlySysctl(const ReadOnlySysctl&) = delete;
  ReadOnlySysctl& operator=(const ReadOnlySysctl&) = delete;
  bool ok() const { return m_readOnly; }

 private:
  std::string m_path;
  bool m_mounted = false;
  bool m_readOnly = false;
};

class HelperTransactionTest : public test::KernelSandboxTest {
 protected:
  static Ledger CurrentLedger() {
    auto ledger = LoadLedger(kLedgerPath);
    EXPECT_TRUE(ledger.has_value()) << ledger.error().text;
    return ledger ? ledger.value() : Ledger{};
  }
  static KernelPlan PlanFor(const SettingMap& desired) { return MakePlan(desired, SandboxLive(), CurrentLedger()); }
  static HelperRequest RequestFor(const KernelPlan& plan, int keepWithin = 30) {
    HelperRequest request;
    request.settings = plan.desired;
    request.planHash = plan.hash;
    request.keepWithinSeconds = keepWithin;
    request.backupName = "002.BCK";
    return request;
  }
  static SettingMap Live(const SettingMap& keys) {
    SettingMap values;
    for (const auto& [key, value] : keys) values[key] = SandboxLive().Read(key).value_or("unreadable");
    return values;
  }
  std::unique_ptr<HelperSession> Start(const HelperRequest& request) {
    auto session = std::make_unique<HelperSession>(test::HelperCommand(), request);
    session->Poll(10000);
    return session;
  }
  void ApplyAndKeep(const SettingMap& desired) {
    auto session = Start(RequestFor(PlanFor(desired)));
    ASSERT_EQ(session->State(), SessionState::Applied) << session->Message();
    auto kept = session->Keep();
    ASSERT_TRUE(kept.has_value()) << kept.error().text;
  }
  static bool JournalExists() { return ::access("/run/zentrofast/journal", F_OK) == 0; }
  void SetUp() override {
    KernelSandboxTest::SetUp();
    originals = Live(kTuned);
  }
  SettingMap originals;
};

TEST_F(HelperTransactionTest, ApplyAndKeepChangesTheKernelPersistsAndRecordsOriginals) {
  ApplyAndKeep(kTuned);
  EXPECT_EQ(Live(kTuned), kTuned);
  EXPECT_EQ(SandboxLive().Read("link/lo/mtu"), "65536") << "loopback is never touched";
  const std::string conf = test::ReadText("/etc/sysctl.d/80-zentrofast.conf");
  EXPECT_NE(conf.find("net.ipv4.ip_default_ttl = 99\n"), std::string::npos) << conf;
  EXPECT_NE(conf.find("net.ipv4.conf.zf0.accept_redirects = 0\n"), std::string::npos) << conf;
  EXPECT_NE(conf.find("net.ipv4.tcp_rmem = 4096 65536 513920\n"), std::string::npos) << conf;
  EXPECT_EQ(conf.find("mtu"), std::string::npos) << "an MTU is no sysctl";
  struct stat info {};
  ASSERT_EQ(::stat("/etc/sysctl.d/80-zentrofast.conf", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  ASSERT_EQ(::stat(kLedgerPath, &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
  const Ledger ledger = CurrentLedger();
  EXPECT_EQ(ledger.originals, originals);
  EXPECT_EQ(ledger.managed, kTuned);
  EXPECT_EQ(ledger.persistence.at("link/zf0/mtu"), "runtime") << "a veth has no permanent address";
  EXPECT_EQ(ledger.persistence.at("net/ipv4/ip_default_ttl"), "sysctl");
  ASSERT_EQ(ledger.history.size(), 1u);
  EXPECT_EQ(ledger.history[0].outcome, "kept");
  EXPECT_EQ(ledger.history[0].user, "root");
  EXPECT_EQ(ledger.history[0].backupName, "002.BCK");
  EXPECT_FALSE(JournalExists());
}

// pkexec names its caller in PKEXEC_UID; that user goes into the ledger, not whoever is the
// helper's parent by the time the request is read.
TEST_F(HelperTransactionTest, TheLedgerNamesTheUserPkexecStartedItFor) {
  std::vector<std::string> command = test::HelperCommand();
  command.insert(command.begin(), {"/usr/bin/env", "PKEXEC_UID=65534"});
  HelperSession session(command, RequestFor(PlanFor(kTuned)));
  session.Poll(10000);
  ASSERT_EQ(session.State(), SessionState::Applied) << session.Message();
  ASSERT_TRUE(session.Keep().has_value());
  const Ledger ledger = CurrentLedger();
  ASSERT_EQ(ledger.history.size(), 1u);
  EXPECT_EQ(ledger.history[0].user, "nobody");
}

TEST_F(HelperTransactionTest, ANewSocketCarriesTheTtlAndKeepAliveTimes) {
  ApplyAndKeep(kTuned);
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  int ttl = 0, idle = 0, interval = 0;
  socklen_t size = sizeof(int);
  ASSERT_EQ(::getsockopt(fd, IPPROTO_IP, IP_TTL, &ttl, &size), 0);
  ASSERT_EQ(::getsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, &size), 0);
  ASSERT_EQ(::getsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, &size), 0);
  ::close(fd);
  EXPECT_EQ(ttl, 99);
  EXPECT_EQ(idle, 600);
  EXPECT_EQ(interval, 5);
}

TEST_F(HelperTransactionTest, TheDeadlinePassingRevertsEverything) {
  auto session = Start(RequestFor(PlanFor(kTuned), 1));
  ASSERT_EQ(session->State(), SessionState::Applied) << session->Message();
  EXPECT_EQ(Live(kTuned), kTuned);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  auto kept = session->Keep();
  EXPECT_FALSE(kept.has_value());
  EXPECT_EQ(session->State(), SessionState::Reverted);
  EXPECT_NE(session->Message().find("not kept in time"), std::string::npos) << session->Message();
  EXPECT_EQ(Live(kTuned), originals);
  EXPECT_FALSE(JournalExists());
  EXPECT_EQ(::access("/etc/sysctl.d/80-zentrofast.conf", F_OK), -1);
  EXPECT_EQ(CurrentLedger().history.back().outcome, "reverted");
}

TEST_F(HelperTransactionTest, RevertDuringTheWindowPutsTheValuesBack) {
  auto session = Start(RequestFor(PlanFor(kTuned)));
  ASSERT_EQ(session->State(), SessionState::Applied) << session->Message();
  ASSERT_TRUE(session->Revert().has_value()) << session->Message();
  EXPECT_EQ(Live(kTuned), originals);
  EXPECT_TRUE(CurrentLedger().managed.empty());
}

TEST_F(HelperTransactionTest, ACallerKilledDuringTheWindowIsRevertedAtOnce) {
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  const HelperRequest request = RequestFor(PlanFor(kTuned), 300);
  const pid_t caller = ::fork();
  if (caller == 0) {
    HelperSession session(test::HelperCommand(), request);
    const pid_t helper = session.Poll(10000) == SessionState::Applied ? session.HelperPid() : -1;
    [[maybe_unused]] auto n = ::write(report[1], &helper, sizeof helper);
    ::pause();
    ::_exit(0);
  }
  ::close(report[1]);
  pid_t helper = -1;
  const bool reported = ::read(report[0], &helper, sizeof helper) == static_cast<ssize_t>(sizeof helper);
  ::close(report[0]);
  const SettingMap during = Live(kTuned);
  const auto killedAt = std::chrono::steady_clock::now();
  ::kill(caller, SIGKILL);
  ::waitpid(caller, nullptr, 0);
  ASSERT_TRUE(reported && helper > 0) << "the caller never saw the changes applied";
  EXPECT_EQ(during, kTuned);
  int status = 0;
  ASSERT_EQ(::waitpid(helper, &status, 0), helper);
  EXPECT_LT(std::chrono::steady_clock::now() - killedAt, std::chrono::seconds(5)) << "not the 300 s deadline";
  EXPECT_EQ(Live(kTuned), originals);
  EXPECT_FALSE(JournalExists());
  EXPECT_EQ(CurrentLedger().history.back().outcome, "reverted");
}

TEST_F(HelperTransactionTest, AKilledHelpersJournalIsRolledBackByTheNextStart) {
  auto session = Start(RequestFor(PlanFor(kTuned), 300));
  ASSERT_EQ(session->State(), SessionState::Applied) << session->Message();
  ASSERT_EQ(::kill(session->HelperPid(), SIGKILL), 0);
  session.reset();
  EXPECT_EQ(Live(kTuned), kTuned) << "a killed helper reverts nothing itself";
  EXPECT_TRUE(JournalExists());
  HelperRequest revert;
  revert.kind = RequestKind::Revert;
  auto answer = RunHelperRequest(test::HelperCommand(), revert);
  ASSERT_TRUE(answer.has_value()) << answer.error().text;
  EXPECT_NE(answer.value().find("rolled back transaction"), std::string::npos) << answer.value();
  EXPECT_EQ(Live(kTuned), originals);
  EXPECT_FALSE(JournalExists());
}

TEST_F(HelperTransactionTest, AStalePlanIsRefusedAndNothingChanges) {
  const KernelPlan plan = PlanFor(kTuned);
  test::WriteText("/proc/sys/net/ipv4/ip_default_ttl", "77\n");
  originals["net/ipv4/ip_default_ttl"] = "77";
  auto session = Start(RequestFor(plan));
  EXPECT_EQ(session->State(), SessionState::Failed);
  EXPECT_NE(session->Message().find("changed since the plan"), std::string::npos) << session->Message();
  EXPECT_EQ(Live(kTuned), originals);
  EXPECT_FALSE(JournalExists());
  EXPECT_EQ(::access(kLedgerPath, F_OK), -1);
}

TEST_F(HelperTransactionTest, OutOfBoundsAndOutsideTheTableAreRefusedWithNothingChanged) {
  const struct {
    SettingMap extra;
    const char* reason;
  } cases[] = {{{{"net/ipv4/ip_default_ttl", "0"}}, "1 to 255"},
               {{{"net/ipv4/ip_default_ttl", "256"}}, "1 to 255"},
               {{{"net/ipv4/tcp_rmem", "4096 6291456 131072"}}, "min <= default <= max"},
               {{{"link/zf0/mtu", "67"}}, "68 to"},
               {{{"link/lo/mtu", "1500"}}, "loopback"},
               {{{"net/core/somaxconn", "1024"}}, "not a setting the bridge manages"},
               {{{"net/ipv4/tcp_sack", "0"}}, "not a setting the bridge manages"}};
  for (const auto& c : cases) {
    SettingMap desired = kTuned;
    for (const auto& [key, value] : c.extra) desired[key] = value;
    auto session = Start(RequestFor(PlanFor(desired)));
    EXPECT_EQ(session->State(), SessionState::Failed);
    EXPECT_NE(session->Message().find(c.reason), std::string::npos) << session->Message();
    EXPECT_EQ(Live(kTuned), originals);
  }
  EXPECT_EQ(test::ReadText("/proc/sys/net/core/somaxconn").empty(), false);
  EXPECT_FALSE(JournalExists());
}

TEST_F(HelperTransactionTest, AWriteFailingPartWayPutsTheEarlierWritesBack) {
  // Five changes, written in this order; the third is refused by the kernel.
  const SettingMap five{{"net/ipv4/conf/all/accept_redirects", "0"},
                        {"net/ipv4/conf/zf0/accept_redirects", "0"},
                        {"net/ipv4/ip_default_ttl", "99"},
                        {"net/ipv4/tcp_keepalive_intvl", "5"},
                        {"net/ipv4/tcp_keepalive_time", "600"}};
  for (const auto& [key, value] : five) ASSERT_NE(originals.at(key), value) << key << " would not change";
  const KernelPlan plan = PlanFor(five);
  const ReadOnlySysctl ttl("/proc/sys/net/ipv4/ip_default_ttl");
  ASSERT_TRUE(ttl.ok()) << std::strerror(errno);
  auto session = Start(RequestFor(plan));
  EXPECT_EQ(session->State(), SessionState::Failed);
  EXPECT_NE(session->Message().find("net.ipv4.ip_default_ttl"), std::string::npos) << session->Message();
  EXPECT_NE(session->Message().find("everything was rolled back"), std::string::npos) << session->Message();
  EXPECT_EQ(Live(kTuned), originals) << "the first two writes stayed live";
  EXPECT_FALSE(JournalExists());
  EXPECT_EQ(::access(kLedgerPath, F_OK), -1) << "nothing was applied, so nothing is recorded";
}

TEST_F(HelperTransactionTest, AnMtuBelow1280NeedsExplicitAcceptance) {
  SettingMap desired{{"link/zf0/mtu", "576"}};
  auto refused = Start(RequestFor(PlanFor(desired)));
  EXPECT_EQ(refused->State(), SessionState::Failed);
  EXPECT_NE(refused->Message().find("IPv6"), std::string::npos) << refused->Message();
  EXPECT_EQ(SandboxLive().Read("link/zf0/mtu"), "1500");
  HelperRequest accepted = RequestFor(PlanFor(desired));
  accepted.allowIpv6Loss = true;
  auto session = Start(accepted);
  ASSERT_EQ(session->State(), SessionState::Applied) << session->Message();
  EXPECT_EQ(SandboxLive().Read("link/zf0/mtu"), "576");
}

TEST_F(HelperTransactionTest, SettingsNoLongerDesiredReturnToTheirOriginalsAndRevertRemovesTheFiles) {
  ApplyAndKeep(kTuned);
  ApplyAndKeep({{"net/ipv4/ip_default_ttl", "42"}});
  SettingMap expected = originals;
  expected["net/ipv4/ip_default_ttl"] = "42";
  EXPECT_EQ(Live(kTuned), expected);
  EXPECT_EQ(CurrentLedger().managed, (SettingMap{{"net/ipv4/ip_default_ttl", "42"}}));
  EXPECT_EQ(CurrentLedger().originals.at("net/ipv4/ip_default_ttl"), originals.at("net/ipv4/ip_default_ttl"))
      << "the original is the value before the first touch";
  HelperRequest revert;
  revert.kind = RequestKind::Revert;
  auto answer = RunHelperRequest(test::HelperCommand(), revert);
  ASSERT_TRUE(answer.has_value()) << answer.error().text;
  EXPECT_EQ(Live(kTuned), originals);
  EXPECT_EQ(::access("/etc/sysctl.d/80-zentrofast.conf", F_OK), -1);
  EXPECT_TRUE(CurrentLedger().managed.empty());
  EXPECT_TRUE(CurrentLedger().originals.empty());
}

}  // namespace
}  // namespace zf::kernel
