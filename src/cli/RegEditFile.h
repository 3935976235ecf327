// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// .reg files: export of a key with everything below it, and import as one batch. Both formats
// the registry editors write: "Windows Registry Editor Version 5.00" (UTF-16LE with a byte-order
// mark, or UTF-8) and REGEDIT4 (Windows-1252).
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace zf::cli {

enum class RegFileFormat { Version5, Regedit4 };

// Takes the file's bytes piece by piece; false when they could not be written.
using RegFileSink = std::function<bool(std::string_view bytes)>;

// Writes the header, then the key and each key below it with its values, handing each key's lines
// to sink as soon as they are made: however large the store, the export holds one key at a time.
// False with a message when a key cannot be read or a name or text cannot be written in this
// format; when sink refuses bytes, false with error untouched (the sink knows why). What was
// handed on before a failure is no whole file: callers drop it.
bool ExportRegFile(IRegistry& registry, HKEY hive, const std::string& subKey, const std::string& display,
                   RegFileFormat format, const RegFileSink& sink, std::string* error);
// The same into a stream.
bool ExportRegFile(IRegistry& registry, HKEY hive, const std::string& subKey, const std::string& display,
                   RegFileFormat format, std::ostream& out, std::string* error);

struct RegFileEntry {
  enum class Kind { Key, DeleteKey, Value, DeleteValue } kind;
  int line;  // where the entry starts, from 1
  HKEY hive;
  std::string subKey;
  std::string name;  // of a value; empty for the default value
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

// What an import reads at most, far beyond real .reg files yet keeping memory within reach: a
// logical line of 8 MiB (continuations included) holds a binary value of over 2.5 MB in hex, and a
// key path at the deepest level with the longest names is about 400 KB; the entries read from a
// whole file of 256 MiB take a few hundred MiB of memory.
struct RegFileBounds {
  std::size_t longestLine = std::size_t{8} << 20;  // bytes
  std::uint64_t largestFile = std::uint64_t{256} << 20;
};

// Reads a whole .reg file in either format and encoding, line by line; names and texts come out
// in UTF-8. False with "line N: …" in *error at the first line it cannot read, or where a bound
// was passed (naming it).
bool ParseRegFile(std::istream& in, std::vector<RegFileEntry>* entries, std::string* error,
                  const RegFileBounds& bounds = {});

// Applies the entries in one batch: all of them or, on the first failure, none.
bool ApplyRegFile(IRegistry& registry, const std::vector<RegFileEntry>& entries, std::string* error);

}  // namespace zf::cli
