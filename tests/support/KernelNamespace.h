// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A machine of the test's own for everything that writes sysctls, MTUs or the bridge's files:
// new mount and network namespaces, tmpfs over the folders the helper writes, and veth pairs.
// The host's values and files are recorded first and compared at the end.
#include <string>
#include <vector>

namespace zf::test {

// The folders the helper writes; each lies under a tmpfs inside the mount namespace.
const std::vector<std::string>& KernelHelperFolders();

// Everything of the host the bridge could change: table sysctls, link MTUs, the helper's files.
std::string HostKernelSnapshot();

// Moves the process into new mount and network namespaces with the helper folders on tmpfs;
// empty when it worked, otherwise the reason (not root, no namespaces). Call before any thread.
std::string EnterKernelSandbox();
// Back to the host's namespaces; the snapshot taken there.
std::string HostSnapshotAfterSandbox();

// Per test: a fresh network namespace with loopback up and a veth pair "zf0"/"zf1", and empty
// helper folders. Empty when it worked.
std::string FreshKernelMachine();
// A fresh network namespace as after a reboot: the kernel's defaults, the veth pair again with
// zf0 at the given address, the helper's files kept. Empty when it worked.
std::string RebootedKernelMachine(const std::string& zf0Address);

}  // namespace zf::test
