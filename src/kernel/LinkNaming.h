// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// udev applies only the first .link file that matches a device, so a file of ours that carries an
// MTU replaces the one that would otherwise name the device. This finds that file and the [Link]
// lines it holds, so ours can carry them on.
#include <string>
#include <string_view>
#include <vector>

namespace zf::kernel {

// The folders udev reads .link files from, most important first.
std::vector<std::string> DefaultLinkFolders();

// What the [Match] keys this lookup understands compare against.
struct DeviceFacts {
  std::string name;
  std::string mac;                      // current address, lower case
  std::string permanentMac;             // empty when the device has none
  std::string driver;                   // empty when it has none (a virtual device)
  std::string type;                     // "ether", "loopback", "wlan", …; empty when unknown
  std::vector<std::string> properties;  // udev's "KEY=VALUE" for the device (ID_PATH=… among them)
};

// The facts of a device from sysfs (/sys/class/net/NAME/…) and udev's database (/run/udev/data).
DeviceFacts ReadDeviceFacts(const std::string& name, const std::string& permanentMac,
                            const std::string& sysClassNet = "/sys/class/net",
                            const std::string& udevData = "/run/udev/data");

struct LinkNaming {
  std::string sourceFile;          // full path; empty when no file matches
  std::vector<std::string> lines;  // its [Link] assignments but MTUBytes=, as written
};

// The .link file udev would apply to the device, skipping the files whose name starts with
// skipPrefix (ours). Files are ordered by name across the folders; a name in an earlier folder
// shadows the same name in later ones; an empty file or a link to /dev/null masks the name.
// A file whose [Match] uses a key not understood here is passed over.
LinkNaming FindLinkNaming(const DeviceFacts& device, std::string_view skipPrefix,
                          const std::vector<std::string>& folders = DefaultLinkFolders());

}  // namespace zf::kernel
