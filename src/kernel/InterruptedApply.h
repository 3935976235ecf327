// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A record beside the store while this computer tries new values, so that a program killed in the
// keep window (the helper then puts the old values back) still brings the store back into line at
// its next start.
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/Config.h"
#include "core/Result.h"
#include "platform/registry.h"
#include "ui/ITuningFollowUp.h"

namespace zf {

// Where the record of the store at registryFile lives: beside it.
std::filesystem::path PendingApplyFile(const std::filesystem::path& registryFile);

// Written before the helper starts, removed once the store agrees with the computer again.
Result<Done> RecordPendingApply(const std::filesystem::path& record, const RegistryWayBack& wayBack);
void ForgetPendingApply(const std::filesystem::path& record);

// At start-up, when a record was left: the ledger tells whether the computer kept the values; if
// it did not, the store goes back through the run's way back. What the user is told; empty when
// no record was left.
std::string ReconcileInterruptedApply(IRegistry& registry, std::int16_t osFamilyCode,
                                      const std::filesystem::path& record, const std::string& ledgerPath);
// The same for the program's own store, family and the helper's ledger.
std::string ReconcileInterruptedApply(IRegistry& registry, const Config& config);

}  // namespace zf
