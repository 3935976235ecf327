// SPDX-License-Identifier: GPL-3.0-or-later
// Any text read as a .reg file, in either format and any encoding, either is refused with a line
// number or gives entries that are all well formed: names, key paths and the data of every text
// type come out as UTF-8, and names fold to themselves when folded again. A quoted text always
// carries its NUL; only hex(…) data (hex(1), hex(01), …) may give a text value without one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>

#include "cli/RegEditFile.h"
#include "cli/RegEncoding.h"
#include "core/RegistryNames.h"

// "hex(" as a version 5.00 file spells it, in UTF-16LE: hex(1), hex(01) and so on give text
// values from raw bytes.
const std::string kHexTypeInUtf16{'h', 0, 'e', 0, 'x', 0, '(', 0};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::istringstream in(input);
  std::vector<zf::cli::RegFileEntry> entries;
  std::string error;
  if (!zf::cli::ParseRegFile(in, &entries, &error)) {
    if (!error.starts_with("line ")) std::abort();
    return 0;
  }
  int line = 0;
  for (const zf::cli::RegFileEntry& entry : entries) {
    if (entry.line < line || zf::HiveName(entry.hive).empty()) std::abort();
    line = entry.line;
    const bool text = entry.kind == zf::cli::RegFileEntry::Kind::Value && entry.type == zf::REG_SZ;
    const bool rawBytes = input.find("hex(") != std::string::npos || input.find(kHexTypeInUtf16) != std::string::npos;
    if (text && !rawBytes && (entry.data.empty() || entry.data.back() != 0)) std::abort();
    const bool textType = entry.type == zf::REG_SZ || entry.type == zf::REG_EXPAND_SZ || entry.type == zf::REG_MULTI_SZ;
    const std::string_view bytes(reinterpret_cast<const char*>(entry.data.data()), entry.data.size());
    if (!zf::cli::IsUtf8(entry.name) || !zf::cli::IsUtf8(entry.subKey)) std::abort();
    if (entry.kind == zf::cli::RegFileEntry::Kind::Value && textType && !zf::cli::IsUtf8(bytes)) std::abort();
    const std::string folded = zf::FoldName(entry.name);
    if (zf::FoldName(folded) != folded) std::abort();
  }
  return 0;
}
