// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/Capabilities.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zf {
namespace {

// Version 3 carries the 64 capability bits in two words.
struct CapabilitySets {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
};

}  // namespace

bool HoldsNoCapability() {
  CapabilitySets sets;
  if (::syscall(SYS_capget, &sets.header, sets.data) != 0) return false;
  for (const auto& word : sets.data)
    if (word.effective != 0 || word.permitted != 0) return false;
  return true;
}

bool DropAllCapabilities() {
  // Ambient capabilities go with the permitted set anyway; clearing them first keeps the order
  // the kernel documents.
  ::prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
  CapabilitySets none;
  if (::syscall(SYS_capset, &none.header, none.data) != 0) return false;
  return HoldsNoCapability();
}

bool ForbidNewPrivileges() { return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0; }

}  // namespace zf
