// SPDX-License-Identifier: GPL-3.0-or-later
// The .link file the bridge writes, as udev itself applies it: the machine's naming still runs
// and the MTU still lands. A veth has no permanent address, so here alone the file matches by
// MACAddress=.
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "kernel/KernelSandbox.h"
#include "kernel/PersistTexts.h"
#include "support/KernelNamespace.h"

namespace zf::kernel {
namespace {

const char* const kMac = "02:00:00:00:5a:01";

// udevadm's report in a mount namespace of its own where sysfs shows the sandbox's devices.
std::string UdevSetupLink() {
  const std::string command =
      "unshare --mount sh -c 'mount -t sysfs sysfs /sys && exec udevadm test-builtin net_setup_link "
      "/sys/class/net/zf0' 2>&1";
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    ::pclose(pipe);
  }
  return output;
}

class LinkFileUdevTest : public test::KernelSandboxTest {};

TEST_F(LinkFileUdevTest, TheMachinesNamingStillRunsAndTheMtuApplies) {
  if (::access("/usr/bin/udevadm", X_OK) != 0) GTEST_SKIP() << "udevadm is not installed (Debian's udev)";
  struct Case {
    const char* what;
    const char* etcDefault;  // a same-name file in /etc that shadows the distribution's, or null
    const char* expected;    // in udevadm's report
  };
  const Case cases[]{
      {"the distribution's 99-default.link", nullptr, "Policy *keep*: keeping existing userspace name"},
      {"an /etc file shadowing it", "[Match]\nOriginalName=*\n[Link]\nNamePolicy=\nName=zflan\n", "ID_NET_NAME=zflan"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(test::FreshKernelMachine(), "");
    ASSERT_EQ(std::system((std::string("ip link set zf0 address ") + kMac).c_str()), 0);
    if (c.etcDefault) test::WriteText("/etc/systemd/network/99-default.link", c.etcDefault);
    LinkInfo zf0{"zf0", 0, 1500, 65535, false, kMac};
    std::string text = LinkFileText("zf0", kMac, "1400", NamingToCarry(zf0));
    text.replace(text.find("PermanentMACAddress="), 9, "");
    test::WriteText("/etc/systemd/network/" + LinkFileName("zf0"), text);
    const std::string report = UdevSetupLink();
    EXPECT_NE(report.find("Config file /etc/systemd/network/80-zentrofast-zf0.link is applied"), std::string::npos)
        << c.what << "\n"
        << report;
    EXPECT_NE(report.find(c.expected), std::string::npos) << c.what << ": the naming did not run\n" << text << report;
    EXPECT_EQ(test::SandboxLive().Read("link/zf0/mtu"), "1400") << c.what;
  }
}

}  // namespace
}  // namespace zf::kernel
