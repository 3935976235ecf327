// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program with the real helper, inside namespaces of the test's own: Optimize Now,
// the preview, the countdown, and what the computer holds afterwards.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <QCoreApplication>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "kernel/KernelSandbox.h"
#include "shell/ProgramRun.h"

namespace zf::test {
namespace {

std::string LiveTtl() { return ReadText("/proc/sys/net/ipv4/ip_default_ttl"); }
std::string LiveMtu() { return SandboxLive().Read("link/zf0/mtu").value_or("unreadable"); }

class KernelDesktopTest : public KernelSandboxTest {
 protected:
  // The program finds its interfaces under /sys/class/net: a sysfs of this network namespace,
  // mounted inside the sandbox's own mount namespace only.
  void SetUp() override {
    KernelSandboxTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_EQ(::mount("sysfs", "/sys", "sysfs", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr), 0) << std::strerror(errno);
  }

  // Profile 0 ("Automatic-A": TTL 128, MTU 576) through the wizard, up to the countdown.
  void OptimizeUpToCountdown(ProgramRun& run) {
    ASSERT_TRUE(run.WaitFor("shown")) << run.Errors().toStdString();
    run.Send("fs IDC_FS_wizardMode");
    run.Send("click cmdOptimize");
    ASSERT_EQ(run.WaitForPrefix("dialog: "), "dialog: frmKernelPreview") << run.Lines().join('\n').toStdString();
    run.Send("click chkIpv6Loss");
    run.Send("click cmdApply");
    ASSERT_FALSE(run.WaitForPrefix("dialog: frmKernelCountdown").isEmpty()) << run.Lines().join('\n').toStdString();
    // Applied by the helper while the countdown runs.
    EXPECT_EQ(LiveTtl(), "128\n");
    EXPECT_EQ(LiveMtu(), "576") << run.Lines().join(QChar(10)).toStdString();
  }
};

TEST_F(KernelDesktopTest, KeepPressedLeavesTheNewValuesLive) {
  ASSERT_EQ(LiveTtl(), "64\n");
  ProgramFolders folders;
  ProgramRun run(folders);
  OptimizeUpToCountdown(run);
  if (HasFatalFailure()) return;
  run.Send("click cmdKeep");
  const QString kept = run.WaitForPrefix("tray: balloon Zentrofast | The new network settings are kept.");
  ASSERT_FALSE(kept.isEmpty()) << run.Lines().join('\n').toStdString();
  EXPECT_EQ(LiveTtl(), "128\n");
  EXPECT_EQ(LiveMtu(), "576");
  EXPECT_NE(ReadText("/etc/sysctl.d/80-zentrofast.conf").find("net.ipv4.ip_default_ttl = 128"), std::string::npos);
  run.Send("fs IDC_FS_close");
  EXPECT_TRUE(run.WaitForEnd());
}

TEST_F(KernelDesktopTest, DesktopKilledInTheWindowBringsTheOldValuesBack) {
  ASSERT_EQ(LiveTtl(), "64\n");
  const std::string mtuBefore = LiveMtu();
  ProgramFolders folders;
  ProgramRun run(folders);
  OptimizeUpToCountdown(run);
  if (HasFatalFailure()) return;
  run.Kill();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (LiveTtl() != "64\n" && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(LiveTtl(), "64\n");
  EXPECT_EQ(LiveMtu(), mtuBefore);
  EXPECT_EQ(ReadText("/etc/sysctl.d/80-zentrofast.conf"), "");
}

}  // namespace
}  // namespace zf::test
