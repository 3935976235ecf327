// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A store restored from a backup taken before the bridge first changed this computer. Such a
// backup records the values the store did not hold yet as 0 (its format), so applying it as it
// stands would turn SYN cookies and path-MTU discovery off: the settings the bridge manages go
// back to the originals the ledger kept instead, which is what restoring that backup means.
#include <cstdint>
#include <filesystem>
#include <string>

#include "kernel/Ledger.h"
#include "kernel/LinuxMapping.h"
#include "platform/registry.h"

namespace zf::kernel {

// The backup whose values the store holds now, when it is no newer than the backup of the
// ledger's first kept transaction; empty otherwise.
std::string PreBridgeBackupInStore(IRegistry& registry, std::int16_t familyCode, const std::filesystem::path& folder,
                                   const Ledger& ledger);

// Each managed setting with an original leaves the desired state, so the plan returns it to the
// original, and says why.
void ReturnToOriginals(DesiredState& desired, const Ledger& ledger, const std::string& backupName);

}  // namespace zf::kernel
