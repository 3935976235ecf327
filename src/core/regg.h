// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Opening a key named by one full path that starts with a hive name or its short form.
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace zf {

class regg {
 public:
  explicit regg(IRegistry& registry) : m_registry(registry) {}

  LONG OpenKeyByPath(std::string_view fullPath, std::uint32_t access, HKEY* key);
  bool KeyExists(std::string_view fullPath);

  struct ParsedPath {
    HKEY hive = 0;  // 0: no usable hive named
    std::string subKey;
  };
  // The hive and subkey OpenKeyByPath would open.
  static ParsedPath ParseKeyPath(std::string_view fullPath);

 private:
  IRegistry& m_registry;
};

}  // namespace zf
