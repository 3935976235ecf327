// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The files that carry the settings past a reboot, and their export forms for other tools.
#include <string>
#include <string_view>
#include <vector>

#include "kernel/KernelTypes.h"
#include "kernel/LinkNaming.h"
#include "kernel/LiveSystem.h"

namespace zf::kernel {

// The helper's sysctl.d file.
inline constexpr const char* kSysctlFilePath = "/etc/sysctl.d/80-zentrofast.conf";

// A sysctl.d file with every sysctl of the map (MTU keys are left out).
std::string SysctlFileText(const SettingMap& settings);
// A TuneD profile's tuned.conf with the same sysctls in its [sysctl] section.
std::string TunedProfileText(const SettingMap& settings);
// A systemd .link file giving the device with this permanent address its MTU, carrying on the
// naming of the file it replaces for the device (udev applies only the first that matches).
std::string LinkFileText(const std::string& interfaceName, const std::string& permanentMac, const std::string& mtu,
                         const LinkNaming& naming);
// The naming ours must carry for this device: the [Link] lines of the .link file udev would
// apply without ours.
LinkNaming NamingToCarry(const LinkInfo& link, const std::vector<std::string>& linkFolders = DefaultLinkFolders());
std::string LinkFileName(const std::string& interfaceName);
inline constexpr std::string_view kLinkFilePrefix = "80-zentrofast-";

}  // namespace zf::kernel

#include "core/Result.h"
#include "kernel/LiveSystem.h"

namespace zf::kernel {

// The desired state as files other tools deploy: "sysctl" (a sysctl.d file), "tuned" (a TuneD
// profile's tuned.conf), "networkd" (.link files, each headed by its file name) or "ansible" (a
// playbook).
Result<std::string> ExportDesiredState(const SettingMap& desired, const std::vector<LinkInfo>& links,
                                       std::string_view format,
                                       const std::vector<std::string>& linkFolders = DefaultLinkFolders());

}  // namespace zf::kernel
