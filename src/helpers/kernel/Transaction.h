// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One helper run: recover what a killed helper left, then one apply (with its confirmation
// window) or one revert to the originals.
#include <string>

#include "helpers/kernel/Channel.h"
#include "helpers/kernel/Journal.h"
#include "kernel/HelperProtocol.h"

namespace zf::kernel {

struct Recovery {
  std::string report;  // what happened; empty when there was nothing to do
  bool clean = true;   // every value the journal changed is back or was changed by someone since
};

// Undoes a journal a killed helper left behind, unless the ledger already names its outcome.
Result<Recovery> RecoverJournal();

// Runs an apply, a revert or a recover request and answers on the channel; the process exit status.
int RunRequest(const HelperRequest& request, const std::string& user, const Recovery& recovered, Channel& channel);

}  // namespace zf::kernel
