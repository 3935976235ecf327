#pragma once
#include <string>
#include <vector>

namespace zf {

// Names of this machine's network interfaces except loopback, sorted.
std::vector<std::string> NetworkInterfaceNames();

}  // namespace zf
