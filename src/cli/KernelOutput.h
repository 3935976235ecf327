// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The kernel bridge's tables as zentrofastctl prints them.
#include <iosfwd>

#include "kernel/KernelTypes.h"

namespace zf::cli {

// SETTING, NOW, AFTER, NOTE; then the warnings and the notes.
void PrintPlan(const kernel::KernelPlan& plan, std::ostream& out);
// SETTING, ORIGINAL, MANAGED, LIVE, PERSISTED; drift marked; then the history.
void PrintStatus(const kernel::KernelStatus& status, std::ostream& out);

}  // namespace zf::cli
