// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One helper run: recover what a killed helper left, then one apply (with its confirmation
// window) or one revert to the originals.
#include <string>

#include "helpers/kernel/Channel.h"
#include "helpers/kernel/Journal.h"
#include "kernel/HelperProtocol.h"

namespace zf::kernel {

// Undoes a journal a killed helper left behind; the text says what happened (empty: nothing to do).
Result<std::string> RecoverJournal();

// Runs an apply or a revert request and answers on the channel; the process exit status.
int RunRequest(const HelperRequest& request, const std::string& user, Channel& channel);

}  // namespace zf::kernel
