// SPDX-License-Identifier: GPL-3.0-or-later
// What the kept values become after a reboot, and NetworkManager carrying an interface's MTU:
// the persistence paths run for real inside the sandbox.
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>

#include "cli/CliContext.h"
#include "cli/LinuxCliPlatform.h"
#include "kernel/KernelSandbox.h"
#include "kernel/Ledger.h"
#include "kernel/NetlinkLinks.h"
#include "kernel/PersistTexts.h"
#include "kernel/SettingTable.h"
#include "support/KernelNamespace.h"
#include "support/PrivateNetworkManager.h"
#include "support/TempDir.h"

namespace zf::kernel {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class PersistenceTest : public test::KernelSandboxTest {
 protected:
  Outcome Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--home", home.path().string(), "--registry", (home / "store.sqlite3").string()});
    std::ostringstream out, err;
    const int status = cli::RunCli(args, platform.Services(), out, err);
    return {status, out.str(), err.str()};
  }
  static SettingMap Managed() {
    auto ledger = LoadLedger(kLedgerPath);
    EXPECT_TRUE(ledger.has_value());
    return ledger ? ledger->managed : SettingMap{};
  }
  static std::map<std::string, std::string> Live(const SettingMap& keys) {
    std::map<std::string, std::string> values;
    for (const auto& [key, unused] : keys) values[key] = test::SandboxLive().Read(key).value_or("unreadable");
    return values;
  }

  test::TempDir home;
  test::LinuxCliPlatform platform;
};

// Another value of the same shape: its last number one lower, or 1 for a 0 (the kernel refuses
// a tcp_rmem minimum below a page, so the others stay).
std::string SomethingElse(const std::string& value) {
  const std::size_t last = value.find_last_of(' ') + 1;
  const long number = std::stol(value.substr(last));
  return value.substr(0, last) + std::to_string(number == 0 ? 1 : number - 1);
}

void SetLive(const std::string& key, const std::string& value) {
  if (IsMtuKey(key)) {
    ASSERT_TRUE(SetLinkMtu(InterfaceOfKey(key), std::stol(value)).has_value()) << key;
    return;
  }
  test::WriteText("/proc/sys/" + key, value + "\n");
  ASSERT_EQ(test::SandboxLive().Read(key), value) << key;
}

// sysfs of this network namespace, so that udev sees its links (the sandbox's /sys shows the
// host's).
std::string MountOwnSysfs() {
  if (::mount("sysfs", "/sys", "sysfs", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0)
    return std::string("mounting sysfs: ") + std::strerror(errno);
  return {};
}

// Empty folders over the system's own sysctl.d files: the boot below then sets only what this
// test's helper wrote, and never a global sysctl of the host.
std::string HideSystemSysctlFiles() {
  for (const char* folder : {"/usr/lib/sysctl.d", "/usr/local/lib/sysctl.d", "/lib/sysctl.d", "/run/sysctl.d"})
    if (::access(folder, F_OK) == 0 && ::mount("tmpfs", folder, "tmpfs", MS_NOSUID | MS_NODEV, nullptr) != 0)
      return std::string("hiding ") + folder + ": " + std::strerror(errno);
  if (::access("/etc/sysctl.conf", F_OK) == 0 &&
      ::mount("/dev/null", "/etc/sysctl.conf", nullptr, MS_BIND, nullptr) != 0)
    return std::string("hiding /etc/sysctl.conf: ") + std::strerror(errno);
  return {};
}

// What a boot runs for these settings: systemd-sysctl over the sysctl.d folders, then udev's
// net_setup_link builtin for each interface.
void Boot() {
  ASSERT_EQ(std::system("/lib/systemd/systemd-sysctl"), 0);
  for (const char* name : {"zf0", "zf1"})
    ASSERT_EQ(std::system(("/usr/bin/udevadm test-builtin net_setup_link /sys/class/net/" + std::string(name) +
                           " >/dev/null 2>&1")
                              .c_str()),
              0);
}

// This kernel has no dummy module, so the interfaces are veths, which have no permanent address
// and so get no .link file from the helper: the test writes the helper's .link text itself,
// matched by each veth's current address, to check udev applies it at boot.
void WriteLinkFilesByCurrentAddress(const SettingMap& kept) {
  for (const auto& [key, mtu] : kept) {
    if (!IsMtuKey(key)) continue;
    const std::string name = InterfaceOfKey(key);
    std::string text =
        LinkFileText(name, test::ReadText("/sys/class/net/" + name + "/address").substr(0, 17), mtu, LinkNaming{});
    text.replace(text.find("PermanentMACAddress="), std::strlen("PermanentMACAddress="), "MACAddress=");
    test::WriteText("/etc/systemd/network/" + LinkFileName(name), text);
  }
}

TEST_F(PersistenceTest, ASimulatedBootBringsBackTheKeptValuesAndAfterRevertTheOriginals) {
  if (::access("/lib/systemd/systemd-sysctl", X_OK) != 0 || ::access("/usr/bin/udevadm", X_OK) != 0)
    GTEST_SKIP() << "systemd-sysctl or udevadm is not installed (systemd, udev)";
  ASSERT_EQ(MountOwnSysfs(), "");
  ASSERT_EQ(HideSystemSysctlFiles(), "");
  ASSERT_EQ(Run({"apply", "--profile", "5"}).status, 0);
  const Outcome applied = Run({"kernel", "apply", "--yes"});
  ASSERT_EQ(applied.status, 0) << applied.out << applied.err;
  const SettingMap kept = Managed();
  ASSERT_TRUE(kept.count("link/zf0/mtu")) << "profile 5 tunes the MTU";
  ASSERT_GE(kept.size(), 5u);
  WriteLinkFilesByCurrentAddress(kept);
  const auto originals = LoadLedger(kLedgerPath)->originals;

  for (const auto& [key, value] : kept) SetLive(key, SomethingElse(value));
  Boot();
  EXPECT_EQ(Live(kept), kept);

  const Outcome reverted = Run({"kernel", "revert"});
  ASSERT_EQ(reverted.status, 0) << reverted.err;
  EXPECT_EQ(Live(originals), originals);
  std::map<std::string, std::string> other;
  for (const auto& [key, value] : kept) SetLive(key, other[key] = SomethingElse(value));
  Boot();
  EXPECT_EQ(Live(kept), other) << "nothing the bridge wrote is applied at boot after a revert";
  // A reboot starts from the kernel's defaults, the originals of a fresh namespace; the boot
  // must leave them so.
  const std::string address = test::ReadText("/sys/class/net/zf0/address").substr(0, 17);
  ASSERT_EQ(test::RebootedKernelMachine(address), "");
  ASSERT_EQ(MountOwnSysfs(), "");
  Boot();
  EXPECT_EQ(Live(originals), originals);
}

TEST_F(PersistenceTest, NetworkManagerCarriesTheKeptMtuAcrossAReconnectAndForgetsItOnRevert) {
  test::PrivateNetworkManager networkManager;
  if (const std::string problem = networkManager.Start("zf0"); !problem.empty())
    GTEST_SKIP() << "no NetworkManager of the test's own: " << problem;
  ASSERT_EQ(networkManager.ConnectionMtu("zf0"), "auto");
  const std::string liveBefore = test::SandboxLive().Read("link/zf0/mtu").value_or("");
  ASSERT_EQ(Run({"apply", "--profile", "5"}).status, 0);
  const Outcome applied = Run({"kernel", "apply", "--yes"});
  ASSERT_EQ(applied.status, 0) << applied.out << applied.err;
  EXPECT_NE(applied.out.find("MTU of zf0 persisted in NetworkManager's connection zf0"), std::string::npos)
      << applied.out;
  EXPECT_EQ(networkManager.ConnectionMtu("zf0"), "1492");
  EXPECT_EQ(test::SandboxLive().Read("link/zf0/mtu"), "1492");
  EXPECT_EQ(LoadLedger(kLedgerPath)->persistence["link/zf0/mtu"], "nm");

  ASSERT_TRUE(SetLinkMtu("zf0", 1500).has_value());
  ASSERT_TRUE(test::PrivateNetworkManager::Reconnect("zf0"));
  EXPECT_EQ(test::SandboxLive().Read("link/zf0/mtu"), "1492") << "NetworkManager puts the kept MTU back";

  const Outcome reverted = Run({"kernel", "revert"});
  ASSERT_EQ(reverted.status, 0) << reverted.err;
  EXPECT_EQ(networkManager.ConnectionMtu("zf0"), "auto") << "unset again, as it was";
  EXPECT_EQ(test::SandboxLive().Read("link/zf0/mtu"), liveBefore);
}

// The MTU is written through the whole profile: every other setting and the system-owned secrets
// must survive the keep and the revert. Two secrets, since NetworkManager keeps its stored ones
// when an update carries none but replaces them all with a partial set. They are added to the
// active profile, as an administrator's edit would be: 802.1X could not come up here without a
// supplicant.
TEST_F(PersistenceTest, NetworkManagerKeepsTheProfilesOtherSettingsAndSecretsAroundTheMtu) {
  const std::vector<std::pair<std::string, std::string>> kept = {
      {"connection.autoconnect-priority", "7"}, {"802-1x.eap", "peap"}, {"802-1x.identity", "zf-user"},
      {"802-1x.password", "zf-secret-42"},      {"802-1x.pin", "4242"}, {"802-1x.phase2-auth", "mschapv2"}};
  test::PrivateNetworkManager networkManager;
  if (const std::string problem = networkManager.Start("zf0"); !problem.empty())
    GTEST_SKIP() << "no NetworkManager of the test's own: " << problem;
  std::vector<std::string> modify = {"connection", "modify", "zf0"};
  for (const auto& [property, value] : kept) modify.insert(modify.end(), {property, value});
  test::PrivateNetworkManager::Nmcli(modify);  // its answer is empty either way: the keyfile says
  // Keyfile lines: the property's name after its setting, the list's trailing ';' for eap.
  const auto lines = [] {
    std::set<std::string> set;
    std::istringstream in(test::PrivateNetworkManager::Keyfile("zf0"));
    for (std::string line; std::getline(in, line);) set.insert(line);
    return set;
  };
  const auto keptLine = [](const std::pair<std::string, std::string>& entry) {
    return entry.first.substr(entry.first.find('.') + 1) + "=" + entry.second +
           (entry.first == "802-1x.eap" ? ";" : "");
  };
  for (const auto& entry : kept) ASSERT_TRUE(lines().count(keptLine(entry))) << keptLine(entry) << " never written";

  ASSERT_EQ(Run({"apply", "--profile", "5"}).status, 0);
  const Outcome applied = Run({"kernel", "apply", "--yes"});
  ASSERT_EQ(applied.status, 0) << applied.out << applied.err;
  const auto afterKeep = lines();
  EXPECT_TRUE(afterKeep.count("mtu=1492")) << test::PrivateNetworkManager::Keyfile("zf0");
  const Outcome reverted = Run({"kernel", "revert"});
  ASSERT_EQ(reverted.status, 0) << reverted.err;
  const auto afterRevert = lines();
  EXPECT_FALSE(afterRevert.count("mtu=1492")) << test::PrivateNetworkManager::Keyfile("zf0");
  for (const auto& entry : kept) {
    EXPECT_TRUE(afterKeep.count(keptLine(entry))) << keptLine(entry) << " lost by the keep";
    EXPECT_TRUE(afterRevert.count(keptLine(entry))) << keptLine(entry) << " lost by the revert";
  }
}

// The plan asks for its interfaces by name: the same facts as the dump, a missing name left out.
class NetlinkLinksTest : public test::KernelSandboxTest {};

TEST_F(NetlinkLinksTest, LinksAskedByNameMatchTheDumpAndAMissingNameIsLeftOut) {
  ASSERT_TRUE(SetLinkMtu("zf1", 1400).has_value());
  const auto all = ListLinks();
  const auto named = ListLinksNamed({"zf1", "zf-missing", "zf0"});
  ASSERT_TRUE(all.has_value());
  ASSERT_TRUE(named.has_value()) << named.error().text;
  ASSERT_EQ(named->size(), 2u);
  for (const auto& link : named.value()) {
    const LinkInfo* dumped = FindLink(all.value(), link.name);
    ASSERT_NE(dumped, nullptr) << link.name;
    EXPECT_EQ(link.mtu, dumped->mtu) << link.name;
    EXPECT_EQ(link.index, dumped->index) << link.name;
  }
  EXPECT_EQ(FindLink(named.value(), "zf1")->mtu, 1400);
}

}  // namespace
}  // namespace zf::kernel
