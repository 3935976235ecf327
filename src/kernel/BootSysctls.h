// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The administrator's sysctl files that boot reads after the bridge's own: a managed key one of
// them sets is put back to that file's value at every boot, whatever `kernel status` kept.
#include <map>
#include <string>
#include <vector>

#include "kernel/KernelTypes.h"
#include "kernel/PersistTexts.h"

namespace zf::kernel {

// What systemd-sysctl reads, in its order: the folders by priority (a file shadows any of the
// same name in a later folder), their files in lexical order of name across all folders, then
// the old single file (which procps' `sysctl --system` reads last).
struct BootSysctlFiles {
  std::vector<std::string> folders{"/etc/sysctl.d", "/run/sysctl.d", "/usr/local/lib/sysctl.d", "/usr/lib/sysctl.d"};
  std::string lastFile = "/etc/sysctl.conf";
  std::string ownFile = kSysctlFilePath;  // the bridge's file, in one of the folders
};

struct BootOverride {
  std::string file;   // the last file that sets the key after the bridge's own
  std::string value;  // what it sets
};

// For each of keys (paths below /proc/sys) that a file read after the bridge's own sets, the
// last such file. Glob assignments are left out: systemd-sysctl never lets a glob override a key
// that a file names explicitly, as the bridge's file does.
std::map<std::string, BootOverride> FindBootOverrides(const BootSysctlFiles& files,
                                                      const std::vector<std::string>& keys);

// A warning in the plan for each desired sysctl that boot would put back.
void WarnOfBootOverrides(KernelPlan& plan, const BootSysctlFiles& files);
// Each sysctl-persisted setting of the status gets the file that overrides it at boot.
void MarkBootOverrides(KernelStatus& status, const BootSysctlFiles& files);

}  // namespace zf::kernel
