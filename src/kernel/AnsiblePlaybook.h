// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desired state as an Ansible playbook, for fleets that deploy with Ansible.
#include <string>
#include <vector>

#include "kernel/KernelTypes.h"
#include "kernel/LiveSystem.h"

namespace zf::kernel {

// Every sysctl through ansible.posix.sysctl, kept in the same sysctl.d file the helper writes;
// every MTU set now, and kept through community.general.nmcli where NetworkManager manages the
// device on the target, else through the .link file the helper would write (with the naming it
// carries), else not at all (said in a comment).
std::string AnsiblePlaybookText(const SettingMap& desired, const std::vector<LinkInfo>& links,
                                const std::vector<std::string>& linkFolders);

}  // namespace zf::kernel
