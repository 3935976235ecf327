// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a registry status means, in words a message can carry.
#include <string>

#include "platform/registry.h"

namespace zf {

std::string RegistryStatusText(LONG status);

// "The registry store cannot be written (why)", for a batch that could not be opened.
std::string StoreUnwritableText(LONG beginStatus);

}  // namespace zf
