// SPDX-License-Identifier: GPL-3.0-or-later
// Which .link file udev would apply without ours, read from folders laid out as udev reads them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "kernel/LinkNaming.h"
#include "kernel/PersistTexts.h"
#include "support/TempDir.h"

namespace zf::kernel {
namespace {

const char* const kDefault =
    "[Match]\nOriginalName=*\n\n[Link]\nNamePolicy=keep kernel database onboard slot path\n"
    "AlternativeNamesPolicy=database onboard slot path\nMACAddressPolicy=persistent\n";

struct Placed {
  std::string folder;  // "etc", "run" or "usr"
  std::string name;
  std::string text;
};

struct Case {
  const char* what;
  std::vector<Placed> files;
  std::string expectedSource;  // "folder/name", or empty for none
  std::vector<std::string> expectedLines;
};

const DeviceFacts kDevice{"eth0",
                          "52:54:00:aa:bb:cc",
                          "52:54:00:12:34:56",
                          "e1000e",
                          "ether",
                          {"ID_PATH=pci-0000:00:1f.6", "ID_NET_DRIVER=e1000e"}};

const std::vector<std::string> kDefaultLines{"NamePolicy=keep kernel database onboard slot path",
                                             "AlternativeNamesPolicy=database onboard slot path",
                                             "MACAddressPolicy=persistent"};

TEST(LinkNamingTest, FindsTheFileUdevWouldApplyInItsOrder) {
  const std::vector<Case> cases{
      {"the distribution's default", {{"usr", "99-default.link", kDefault}}, "usr/99-default.link", kDefaultLines},
      {"/etc shadows the same name",
       {{"usr", "99-default.link", kDefault},
        {"etc", "99-default.link", "[Match]\n[Link]\nName=lan0\nMTUBytes=9000\n"}},
       "etc/99-default.link",
       {"Name=lan0"}},
      {"an empty file masks the name", {{"usr", "99-default.link", kDefault}, {"etc", "99-default.link", ""}}, "", {}},
      {"the lowest name wins across folders",
       {{"usr", "99-default.link", kDefault},
        {"run", "50-by-mac.link", "[Match]\nMACAddress=52:54:00:AA:BB:CC\n[Link]\nName=uplink\n"}},
       "run/50-by-mac.link",
       {"Name=uplink"}},
      {"files for other devices and ours are passed over",
       {{"usr", "99-default.link", kDefault},
        {"etc", "10-other.link", "[Match]\nPermanentMACAddress=00:11:22:33:44:55\n[Link]\nName=other\n"},
        {"etc", "20-wifi.link", "[Match]\nType=wlan\n[Link]\nName=wifi\n"},
        {"etc", "30-not-intel.link", "[Match]\nDriver=!e1000e\n[Link]\nName=x\n"},
        {"etc", "40-unknown-key.link", "[Match]\nHost=somewhere\n[Link]\nName=y\n"},
        {"etc", "50-reset.link", "[Match]\nOriginalName=eth0\nOriginalName=\nOriginalName=wl*\n[Link]\nName=z\n"},
        {"etc", "80-zentrofast-eth0.link", "[Match]\nOriginalName=*\n[Link]\nMTUBytes=1400\n"}},
       "usr/99-default.link",
       kDefaultLines},
      {"path, property and driver globs",
       {{"usr", "99-default.link", kDefault},
        {"usr", "73-pci.link",
         "[Match]\nPath=pci-*\nProperty=ID_NET_DRIVER=e1000*\nDriver=e1000e igb\n[Link]\nNamePolicy=mac\n"}},
       "usr/73-pci.link",
       {"NamePolicy=mac"}},
  };
  for (const auto& c : cases) {
    test::TempDir root;
    for (const char* folder : {"etc", "run", "usr"}) std::filesystem::create_directories(root / folder);
    for (const auto& file : c.files) std::ofstream(root / file.folder / file.name) << file.text;
    const LinkNaming naming =
        FindLinkNaming(kDevice, kLinkFilePrefix, {root / "etc", root / "run", root / "missing", root / "usr"});
    EXPECT_EQ(naming.sourceFile, c.expectedSource.empty() ? "" : (root / c.expectedSource).string()) << c.what;
    EXPECT_EQ(naming.lines, c.expectedLines) << c.what;
  }
}

TEST(LinkNamingTest, DeviceFactsComeFromSysfsAndUdevsDatabase) {
  test::TempDir root;
  std::filesystem::create_directories(root / "net/eth0");
  std::filesystem::create_directories(root / "udev");
  std::ofstream(root / "net/eth0/address") << "52:54:00:AA:BB:CC\n";
  std::ofstream(root / "net/eth0/ifindex") << "7\n";
  std::ofstream(root / "net/eth0/type") << "1\n";
  std::ofstream(root / "net/eth0/uevent") << "INTERFACE=eth0\nIFINDEX=7\n";
  std::ofstream(root / "udev/n7") << "I:123\nE:ID_PATH=pci-0000:00:1f.6\nE:ID_NET_DRIVER=e1000e\nG:systemd\n";
  const DeviceFacts facts = ReadDeviceFacts("eth0", "52:54:00:12:34:56", root / "net", root / "udev");
  EXPECT_EQ(facts.mac, "52:54:00:aa:bb:cc");
  EXPECT_EQ(facts.permanentMac, "52:54:00:12:34:56");
  EXPECT_EQ(facts.driver, "e1000e");
  EXPECT_EQ(facts.type, "ether");
  EXPECT_EQ(facts.properties, (std::vector<std::string>{"ID_PATH=pci-0000:00:1f.6", "ID_NET_DRIVER=e1000e"}));
  std::ofstream(root / "net/eth0/uevent") << "DEVTYPE=wlan\n";
  EXPECT_EQ(ReadDeviceFacts("eth0", "", root / "net", root / "udev").type, "wlan");
}

}  // namespace
}  // namespace zf::kernel
