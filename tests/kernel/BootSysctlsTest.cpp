// SPDX-License-Identifier: GPL-3.0-or-later
// The administrator's sysctl files that win at boot over the bridge's own, read in systemd's order.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "kernel/BootSysctls.h"
#include "support/TempDir.h"

namespace zf::kernel {
namespace {

namespace fs = std::filesystem;

const std::string kTtl = "net/ipv4/ip_default_ttl";
const std::string kKeepAlive = "net/ipv4/tcp_keepalive_time";
const std::string kCookies = "net/ipv4/tcp_syncookies";
const std::string kProbing = "net/ipv4/tcp_mtu_probing";
const std::string kVlanRedirects = "net/ipv4/conf/eth0.100/accept_redirects";
const std::string kAllRedirects = "net/ipv4/conf/all/accept_redirects";

class BootSysctlsTest : public ::testing::Test {
 protected:
  BootSysctlsTest() {
    for (const char* folder : {"etc/sysctl.d", "run/sysctl.d", "usr/local/lib/sysctl.d", "usr/lib/sysctl.d"}) {
      fs::create_directories(root / folder);
      files.folders.push_back((root / folder).string());
    }
    files.lastFile = (root / "etc/sysctl.conf").string();
    files.ownFile = (root / "etc/sysctl.d/80-zentrofast.conf").string();
  }
  void Write(const std::string& path, const std::string& text) { std::ofstream(root / path) << text; }
  std::string At(const std::string& path) { return (root / path).string(); }
  std::map<std::string, std::string> Overrides() {
    std::map<std::string, std::string> found;
    for (const auto& [key, boot] :
         FindBootOverrides(files, {kTtl, kKeepAlive, kCookies, kProbing, kVlanRedirects, kAllRedirects}))
      found[key] = boot.file + " = " + boot.value;
    return found;
  }

  test::TempDir dir;
  fs::path root = dir.path();
  BootSysctlFiles files{{}, {}, {}};
};

TEST_F(BootSysctlsTest, TheLastFileAfterTheBridgesOwnWinsInSystemdsOrder) {
  Write("etc/sysctl.d/80-zentrofast.conf", "net.ipv4.ip_default_ttl = 64\n");
  Write("etc/sysctl.conf", "# Debian's\n  net.ipv4.ip_default_ttl=128  \n");
  fs::create_symlink("../sysctl.conf", root / "etc/sysctl.d/99-sysctl.conf");
  Write("usr/lib/sysctl.d/99-sysctl.conf", "net.ipv4.tcp_syncookies = 0\n");  // shadowed by /etc's
  Write("usr/lib/sysctl.d/90-later.conf",
        "net/ipv4/tcp_keepalive_time = 600\n-net.ipv4.conf.eth0/100.accept_redirects = 1\n");
  Write("run/sysctl.d/95-vendor.conf", "; a comment\nnet.ipv4.tcp_keepalive_time = 700\n");
  Write("usr/local/lib/sysctl.d/10-early.conf", "net.ipv4.tcp_mtu_probing = 1\n");         // read before ours
  Write("usr/local/lib/sysctl.d/99-glob.conf", "net.ipv4.conf.*.accept_redirects = 1\n");  // never beats ours
  Write("usr/local/lib/sysctl.d/98-notes.txt", "net.ipv4.tcp_syncookies = 0\n");           // not a .conf
  EXPECT_EQ(Overrides(), (std::map<std::string, std::string>{
                             {kTtl, At("etc/sysctl.d/99-sysctl.conf") + " = 128"},
                             {kKeepAlive, At("run/sysctl.d/95-vendor.conf") + " = 700"},
                             {kVlanRedirects, At("usr/lib/sysctl.d/90-later.conf") + " = 1"},
                         }));
}

TEST_F(BootSysctlsTest, TheOldSingleFileComesLastAndTheOrderHoldsBeforeTheBridgeWroteItsFile) {
  Write("etc/sysctl.conf", "net.ipv4.ip_default_ttl = 100\n");
  Write("etc/sysctl.d/90-admin.conf", "net.ipv4.ip_default_ttl = 90\nnet.ipv4.conf.all.accept_redirects = 1\n");
  Write("etc/sysctl.d/70-admin.conf", "net.ipv4.tcp_syncookies = 0\n");
  EXPECT_EQ(Overrides(), (std::map<std::string, std::string>{
                             {kTtl, At("etc/sysctl.conf") + " = 100"},
                             {kAllRedirects, At("etc/sysctl.d/90-admin.conf") + " = 1"},
                         }));
}

TEST_F(BootSysctlsTest, PlanWarnsAndStatusMarksOnlyWhatTheSysctlFileCarries) {
  Write("etc/sysctl.d/99-admin.conf", "net.ipv4.ip_default_ttl = 128\n");
  Write("etc/sysctl.d/99-other.conf", "net.ipv4.tcp_keepalive_time = 60\n");
  KernelPlan plan;
  plan.desired = {{kTtl, "64"}, {kCookies, "1"}, {"link/eth0/mtu", "1500"}};
  WarnOfBootOverrides(plan, files);
  ASSERT_EQ(plan.warnings.size(), 1u);
  EXPECT_EQ(plan.warnings[0].kind, WarningKind::BootOverride);
  EXPECT_EQ(plan.warnings[0].text.English(), At("etc/sysctl.d/99-admin.conf") +
                                                 " sets net.ipv4.ip_default_ttl = 128, which wins at every boot over " +
                                                 files.ownFile + "'s 64");
  KernelStatus status;
  status.settings = {{kTtl, "", "64", "64", "64", Persistence::Sysctl, {}},
                     {kKeepAlive, "", "7200", "7200", "7200", Persistence::RuntimeOnly, {}}};
  MarkBootOverrides(status, files);
  EXPECT_EQ(status.settings[0].overriddenAtBootBy, At("etc/sysctl.d/99-admin.conf"));
  EXPECT_EQ(status.settings[1].overriddenAtBootBy, "") << "only a persisted sysctl is overridden at boot";
}

}  // namespace
}  // namespace zf::kernel
