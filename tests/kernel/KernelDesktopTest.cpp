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

#include "core/RegistryStore.h"
#include "core/TuningKeys.h"
#include "kernel/KernelSandbox.h"
#include "shell/ProgramRun.h"

namespace zf::test {
namespace {

std::string LiveTtl() { return ReadText("/proc/sys/net/ipv4/ip_default_ttl"); }
std::string LiveMtu() { return SandboxLive().Read("link/zf0/mtu").value_or("unreadable"); }

// The store's DefaultTTL, or 0 when it holds none.
std::uint32_t StoredTtl(const std::string& file) {
  std::string error;
  const auto registry = OpenRegistryStore(file, &error);
  EXPECT_TRUE(registry) << error;
  HKEY key = 0;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  if (!registry || registry->OpenKey(HKEY_LOCAL_MACHINE, kTcpipParametersKey, KEY_READ, &key) != ERROR_SUCCESS)
    return 0;
  const bool read = registry->QueryValue(key, "DefaultTTL", &type, &data) == ERROR_SUCCESS && data.size() == 4;
  registry->CloseKey(key);
  return read ? data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24 : 0;
}

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
  // The store still holds the tuned TTL of 128 until the next start puts it back through the
  // run's backup.
  const std::string store = folders.Path("data").toStdString() + "/registry.sqlite3";
  ASSERT_EQ(StoredTtl(store), 128u);
  ProgramRun again(folders);
  ASSERT_TRUE(again.WaitFor("shown")) << again.Errors().toStdString();
  EXPECT_TRUE(again.Lines().join('\n').contains("so Zentrofast's settings went back to "))
      << again.Lines().join('\n').toStdString();
  EXPECT_NE(StoredTtl(store), 128u);
  again.Send("fs IDC_FS_close");
  EXPECT_TRUE(again.WaitForEnd());
  ProgramRun third(folders);
  ASSERT_TRUE(third.WaitFor("shown"));
  EXPECT_FALSE(third.Lines().join('\n').contains("went back")) << "told once";
  third.Send("fs IDC_FS_close");
  EXPECT_TRUE(third.WaitForEnd());
}

}  // namespace
}  // namespace zf::test
