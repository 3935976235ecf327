// SPDX-License-Identifier: GPL-3.0-or-later
#include <net/if.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/network.h"

namespace zf {
namespace {

bool IsLoopback(const std::filesystem::path& interfaceFolder) {
  std::ifstream flagsFile(interfaceFolder / "flags");
  unsigned long flags = 0;
  if (!(flagsFile >> std::hex >> flags)) return interfaceFolder.filename() == "lo";
  return (flags & IFF_LOOPBACK) != 0;
}

}  // namespace

std::vector<std::string> NetworkInterfaceNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/sys/class/net", error)) {
    if (!IsLoopback(entry.path())) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace zf
