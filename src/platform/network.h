// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <vector>

namespace zf {

// Names of this machine's network interfaces except loopback, sorted.
std::vector<std::string> NetworkInterfaceNames();

}  // namespace zf
