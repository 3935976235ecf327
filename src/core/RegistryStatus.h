// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a registry status means, in words a message can carry.
#include <string>

#include "platform/registry.h"

namespace zf {

std::string RegistryStatusText(LONG status);

}  // namespace zf
