// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every path the helper touches, fixed when it is built: it takes none from its caller or its
// environment.
#include "kernel/PersistTexts.h"

namespace zf::kernel::paths {

inline constexpr const char* kProcSys = "/proc/sys";
inline constexpr const char* kRunFolder = "/run/zentrofast";
inline constexpr const char* kJournal = "/run/zentrofast/journal";
inline constexpr const char* kLock = "/run/zentrofast/lock";
inline constexpr const char* kStateFolder = "/var/lib/zentrofast";
inline constexpr const char* kSysctlFolder = "/etc/sysctl.d";
inline constexpr const char* kSysctlFile = kSysctlFilePath;
inline constexpr const char* kLinkFolder = "/etc/systemd/network";
inline constexpr const char* kLinkPrefix = "80-zentrofast-";
inline constexpr const char* kNmcli = "/usr/bin/nmcli";

}  // namespace zf::kernel::paths
