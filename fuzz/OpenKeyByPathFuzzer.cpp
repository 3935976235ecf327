// SPDX-License-Identifier: GPL-3.0-or-later
// Any text must parse to no hive or to an openable hive with a subkey that lies inside the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/regg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view path(reinterpret_cast<const char*>(data), size);
  const zf::regg::ParsedPath parsed = zf::regg::ParseKeyPath(path);
  if (parsed.hive != 0 && parsed.hive != zf::HKEY_CURRENT_USER && parsed.hive != zf::HKEY_LOCAL_MACHINE &&
      parsed.hive != zf::HKEY_CLASSES_ROOT && parsed.hive != zf::HKEY_USERS)
    std::abort();
  if (parsed.hive == 0 && !parsed.subKey.empty()) std::abort();
  return 0;
}
