// SPDX-License-Identifier: GPL-3.0-or-later
// The helper killed at every system call that touches its files, journals left after a partial
// rollback, damaged files and a ledger that keeps growing: each start leaves one whole state.
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include "kernel/HelperProcess.h"
#include "kernel/HelperSession.h"
#include "kernel/KernelPlan.h"
#include "kernel/KernelSandbox.h"
#include "kernel/Ledger.h"
#include "support/KernelNamespace.h"

namespace zf::kernel {
namespace {

using test::SandboxLive;

constexpr const char* kJournal = "/run/zentrofast/journal";
constexpr const char* kSysctlFile = "/etc/sysctl.d/80-zentrofast.conf";

// Sysctls only: an MTU's persistence may start nmcli, whose own calls would blur the counts.
const SettingMap kTuned{{"net/ipv4/ip_default_ttl", "99"},
                        {"net/ipv4/tcp_keepalive_time", "600"},
                        {"net/ipv4/conf/zf0/accept_redirects", "0"},
                        {"net/ipv4/tcp_rmem", "4096 65536 513920"}};

class HelperRecoveryTest : public test::KernelSandboxTest {
 protected:
  void SetUp() override {
    KernelSandboxTest::SetUp();
    originals = Live(kTuned);
  }
  static Ledger CurrentLedger() {
    auto ledger = LoadLedger(kLedgerPath);
    EXPECT_TRUE(ledger.has_value()) << ledger.error().text;
    return ledger ? ledger.value() : Ledger{};
  }
  static HelperRequest ApplyRequest(const SettingMap& desired) {
    const KernelPlan plan = MakePlan(desired, SandboxLive(), CurrentLedger());
    HelperRequest request;
    request.settings = plan.desired;
    request.planHash = plan.hash;
    request.keepWithinSeconds = 30;
    return request;
  }
  static HelperRequest Request(RequestKind kind) {
    HelperRequest request;
    request.kind = kind;
    return request;
  }
  static Result<std::string> Recover() {
    return RunHelperRequest(test::HelperCommand(), Request(RequestKind::Recover));
  }
  static SettingMap Live(const SettingMap& keys) {
    SettingMap values;
    for (const auto& [key, value] : keys) values[key] = SandboxLive().Read(key).value_or("unreadable");
    return values;
  }
  static bool Exists(const char* path) { return ::access(path, F_OK) == 0; }
  void ApplyAndKeep(const SettingMap& desired) {
    HelperSession session(test::HelperCommand(), ApplyRequest(desired));
    ASSERT_EQ(session.Poll(10000), SessionState::Applied) << session.Message();
    auto kept = session.Keep();
    ASSERT_TRUE(kept.has_value()) << kept.error().text;
  }
  // The kernel, the sysctl.d file and the ledger tell the same story: tuned and kept, or untouched.
  bool ExpectOneWholeState() {
    const Ledger ledger = CurrentLedger();
    EXPECT_FALSE(Exists(kJournal));
    if (Live(kTuned) == kTuned) {
      EXPECT_EQ(ledger.managed, kTuned);
      EXPECT_EQ(ledger.originals, originals) << "tuned values live, so their originals must be on record";
      EXPECT_TRUE(Exists(kSysctlFile));
      return true;
    }
    EXPECT_EQ(Live(kTuned), originals);
    EXPECT_TRUE(ledger.managed.empty());
    EXPECT_TRUE(ledger.originals.empty());
    EXPECT_FALSE(Exists(kSysctlFile));
    return false;
  }
  SettingMap originals;
};

enum class Scenario { ApplyKeep, ApplyRevert, Revert };

// Runs one request on the helper under strace, which kills it at the when-th call of syscall (for
// openat: of the journal, the ledger, the sysctl.d file or their folders); true when it was killed.
bool RunKilledAt(const std::string& syscall, int when, Scenario scenario, const HelperRequest& request) {
  std::vector<std::string> command{"/usr/bin/strace",
                                   "-f",
                                   "-qq",
                                   "-o",
                                   "/dev/null",
                                   "-e",
                                   "trace=" + syscall,
                                   "-e",
                                   "inject=" + syscall + ":signal=KILL:when=" + std::to_string(when)};
  if (syscall == "openat")
    for (const char* path :
         {kJournal, kLedgerPath, kSysctlFile, "/run/zentrofast", "/var/lib/zentrofast", "/etc/sysctl.d"})
      command.insert(command.end(), {"-P", path});
  for (const auto& part : test::HelperCommand()) command.push_back(part);
  HelperProcess helper;
  if (!helper.Start(command)) return false;
  helper.Send(FormatRequest(request));
  for (std::string line; helper.ReadLine(10000, line) == ReadOutcome::Line;)
    if (line.starts_with("applied ")) helper.Send(scenario == Scenario::ApplyKeep ? "keep\n" : "revert\n");
  return helper.Finish() == 128 + SIGKILL;
}

TEST_F(HelperRecoveryTest, AHelperKilledAtAnyFileCallLeavesOneWholeStateAfterTheNextStart) {
  ASSERT_EQ(::access("/usr/bin/strace", X_OK), 0) << "strace is needed (scripts/install-deps.sh)";
  int crashPoints = 0;
  for (Scenario scenario : {Scenario::ApplyKeep, Scenario::ApplyRevert, Scenario::Revert}) {
    for (const char* syscall : {"unlink", "openat", "write", "fsync", "rename"}) {
      for (int when = 1;; ++when) {
        SCOPED_TRACE(std::string(scenario == Scenario::ApplyKeep     ? "apply+keep"
                                 : scenario == Scenario::ApplyRevert ? "apply+revert"
                                                                     : "revert") +
                     ", killed at " + syscall + " #" + std::to_string(when));
        ASSERT_EQ(test::FreshKernelMachine(), "");
        if (scenario == Scenario::Revert) ApplyAndKeep(kTuned);
        ASSERT_FALSE(HasFatalFailure());
        const HelperRequest request =
            scenario == Scenario::Revert ? Request(RequestKind::Revert) : ApplyRequest(kTuned);
        const bool killed = RunKilledAt(syscall, when, scenario, request);
        auto recovered = Recover();
        ASSERT_TRUE(recovered.has_value()) << recovered.error().text;
        const bool tuned = ExpectOneWholeState();
        if (scenario == Scenario::ApplyRevert) {
          EXPECT_FALSE(tuned) << "nothing was kept";
        }
        if (HasFailure()) return;
        crashPoints += killed;
        ASSERT_LT(when, 200) << "the calls never ran out";
        if (!killed) break;  // the whole run passed this call: every point of it is covered
      }
    }
  }
  EXPECT_GT(crashPoints, 30);
  std::cout << crashPoints << " crash points, each followed by one whole state\n";
}

// Killed once the ledger records the keep, before it answers: the caller's recovery finds it kept.
TEST_F(HelperRecoveryTest, AHelperKilledRightAfterTheKeepIsReportedAsKept) {
  std::vector<std::string> command{"/usr/bin/strace",
                                   "-f",
                                   "-qq",
                                   "-o",
                                   "/dev/null",
                                   "-P",
                                   "/var/lib/zentrofast",
                                   "-e",
                                   "trace=fsync",
                                   "-e",
                                   "inject=fsync:signal=KILL:when=1"};
  for (const auto& part : test::HelperCommand()) command.push_back(part);
  HelperSession session(command, ApplyRequest(kTuned));
  ASSERT_EQ(session.Poll(10000), SessionState::Applied) << session.Message();
  auto kept = session.Keep();
  EXPECT_TRUE(kept.has_value()) << kept.error().text;
  EXPECT_EQ(session.State(), SessionState::Kept);
  EXPECT_TRUE(ExpectOneWholeState()) << "the kept values are live";
}

// A mount over folder for the scope: a read-only bind of itself, or a tmpfs with options. Exactly
// one mount is made and undone, so the sandbox's own tmpfs below stays.
class ScopedMount {
 public:
  ScopedMount(const char* folder, const char* tmpfsOptions) : m_folder(folder) {
    if (tmpfsOptions != nullptr) {
      m_mounted = ::mount("tmpfs", folder, "tmpfs", 0, tmpfsOptions) == 0;
      m_ready = m_mounted;
      return;
    }
    m_mounted = ::mount(folder, folder, nullptr, MS_BIND, nullptr) == 0;
    m_ready = m_mounted && ::mount(nullptr, folder, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
  }
  ~ScopedMount() {
    if (m_mounted) ::umount2(m_folder, MNT_DETACH);
  }
  ScopedMount(const ScopedMount&) = delete;
  ScopedMount& operator=(const ScopedMount&) = delete;
  bool ok() const { return m_ready; }

 private:
  const char* m_folder;
  bool m_mounted = false;
  bool m_ready = false;
};

// Starts the helper again after a hand-made change: a journal left behind must not undo it.
void ExpectTheNextStartKeepsAHandMadeTtl() {
  test::WriteText("/proc/sys/net/ipv4/ip_default_ttl", "80\n");
  auto recovered = RunHelperRequest(test::HelperCommand(), [] {
    HelperRequest request;
    request.kind = RequestKind::Recover;
    return request;
  }());
  ASSERT_TRUE(recovered.has_value()) << recovered.error().text;
  EXPECT_EQ(recovered.value(), "nothing was left to roll back") << "reported once, not at every start";
  EXPECT_EQ(SandboxLive().Read("net/ipv4/ip_default_ttl"), "80");
  EXPECT_FALSE(::access(kJournal, F_OK) == 0);
}

TEST_F(HelperRecoveryTest, AnInterfaceGoneInTheWindowIsReportedOnceRecordedAndItsJournalRetired) {
  SettingMap desired = kTuned;
  desired["link/zf0/mtu"] = "1400";
  HelperSession session(test::HelperCommand(), ApplyRequest(desired));
  ASSERT_EQ(session.Poll(10000), SessionState::Applied) << session.Message();
  ASSERT_EQ(std::system("/sbin/ip link del zf0"), 0);
  EXPECT_TRUE(session.Revert().has_value());
  EXPECT_NE(session.Message().find("zf0 MTU could not be put back to 1500: its interface is gone"), std::string::npos)
      << session.Message();
  const SettingMap fixed{{"net/ipv4/ip_default_ttl", ""}, {"net/ipv4/tcp_keepalive_time", ""}};
  for (const auto& [key, value] : Live(fixed)) EXPECT_EQ(value, originals.at(key)) << key;
  const std::string outcome = CurrentLedger().history.back().outcome;
  EXPECT_TRUE(outcome.starts_with("reverted except ")) << outcome;
  EXPECT_NE(outcome.find("link/zf0/mtu=1500"), std::string::npos) << outcome;
  ExpectTheNextStartKeepsAHandMadeTtl();
}

TEST_F(HelperRecoveryTest, AKeepFailingOnAReadOnlyOrFullFolderRollsBackWithOneClearReason) {
  const struct {
    const char* what;
    const char* folder;
    const char* options;
    const char* reason;
  } cases[] = {
      {"read-only /etc/sysctl.d", "/etc/sysctl.d", nullptr, "/etc/sysctl.d/80-zentrofast.conf: Read-only file system"},
      {"full /var/lib/zentrofast", "/var/lib/zentrofast", "size=8k,mode=0755",
       "cannot write /var/lib/zentrofast/ledger: No space left on device"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(test::FreshKernelMachine(), "");
    const HelperRequest request = ApplyRequest(kTuned);
    const ScopedMount mount(c.folder, c.options);
    ASSERT_TRUE(mount.ok()) << std::strerror(errno);
    if (c.options != nullptr) std::ofstream(std::string(c.folder) + "/filler") << std::string(64 * 1024, 'x');
    HelperSession session(test::HelperCommand(), request);
    ASSERT_EQ(session.Poll(10000), SessionState::Applied) << session.Message();
    auto kept = session.Keep();
    ASSERT_FALSE(kept.has_value());
    const std::string& message = kept.error().text;
    EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    EXPECT_EQ(message.find("cannot remove"), std::string::npos) << "no such file was there: " << message;
    EXPECT_EQ(message.find("but ;"), std::string::npos) << message;
    EXPECT_EQ(message.find(", but "), std::string::npos) << "the rollback itself went well: " << message;
    EXPECT_EQ(Live(kTuned), originals);
    EXPECT_FALSE(Exists(kSysctlFile));
    ExpectTheNextStartKeepsAHandMadeTtl();
  }
}

TEST_F(HelperRecoveryTest, DamagedNumbersAndForeignKeysInItsOwnFilesAreRefusedNamingFileAndLine) {
  const std::string journalHead = "zentrofast-journal 1\ntransaction\t20260101T000000Z-1\troot\t\n";
  const struct {
    const char* path;
    std::string text;
    const char* says;
  } cases[] = {
      {kJournal, journalHead + "change\tlink/zf0/mtu\tabc\t1400\nend\n", "journal: line 3 is damaged"},
      {kJournal, journalHead + "change\tlink/zf0/mtu\t100000000000000000000\t1400\nend\n", "line 3 is damaged"},
      {kJournal, journalHead + "change\tnet/ipv4/ip_forward\t1\t0\nend\n", "line 3 is damaged"},
      {kLedgerPath, "zentrofast-ledger 1\noriginal\tlink/zf0/mtu\tabc\nmanaged\tlink/zf0/mtu\t1400\truntime\n",
       "ledger's line 2 is damaged"},
      {kLedgerPath,
       "zentrofast-ledger 1\noriginal\tlink/zf0/mtu\t100000000000000000000\nmanaged\tlink/zf0/mtu\t1400\truntime\n",
       "ledger's line 2 is damaged"},
      {kLedgerPath, "zentrofast-ledger 1\noriginal\tnet/ipv4/ip_forward\t1\nmanaged\tnet/ipv4/ip_forward\t0\tsysctl\n",
       "ledger's line 2 is damaged"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(test::FreshKernelMachine(), "");
    test::WriteText(c.path, c.text);
    const auto forwarding = SandboxLive().Read("net/ipv4/ip_forward");
    auto answer = RunHelperRequest(test::HelperCommand(), Request(RequestKind::Revert));
    ASSERT_FALSE(answer.has_value()) << answer.value();
    EXPECT_NE(answer.error().text.find(c.path), std::string::npos) << answer.error().text;
    EXPECT_NE(answer.error().text.find(c.says), std::string::npos) << answer.error().text;
    EXPECT_NE(answer.error().text.find(c.path == kJournal ? "remove the file" : "move the file aside"),
              std::string::npos)
        << answer.error().text;
    EXPECT_EQ(SandboxLive().Read("net/ipv4/ip_forward"), forwarding) << "a key outside the table was written";
    EXPECT_EQ(SandboxLive().Read("link/zf0/mtu"), "1500");
  }
  const auto damaged = LoadLedger(kLedgerPath);
  ASSERT_FALSE(damaged.has_value());
  EXPECT_EQ(damaged.error().kind, ErrorKind::Damaged);
}

TEST_F(HelperRecoveryTest, ALongHistoryIsTrimmedFromItsOldestLinesKeepingOriginalsAndManaged) {
  ApplyAndKeep(kTuned);
  // An old ledger grown past 4 MiB: read, then written back bounded.
  std::string text = test::ReadText(kLedgerPath);
  for (int i = 0; i < 60000; ++i)
    text += "history\t20200101T000000Z-" + std::to_string(i) + "\troot\t001.BCK\treverted and padded to grow\n";
  test::WriteText(kLedgerPath, text);
  ASSERT_GT(text.size(), 4u << 20);
  ApplyAndKeep({{"net/ipv4/ip_default_ttl", "42"}, {"net/ipv4/tcp_keepalive_time", "600"}});
  const Ledger ledger = CurrentLedger();
  EXPECT_EQ(ledger.history.size(), kMaxLedgerHistory);
  EXPECT_EQ(ledger.history.back().outcome, "kept");
  EXPECT_EQ(ledger.history.front().id, "20200101T000000Z-" + std::to_string(60000 - kMaxLedgerHistory + 1));
  EXPECT_EQ(ledger.originals.at("net/ipv4/ip_default_ttl"), originals.at("net/ipv4/ip_default_ttl"));
  EXPECT_EQ(ledger.managed.at("net/ipv4/ip_default_ttl"), "42");
}

}  // namespace
}  // namespace zf::kernel
