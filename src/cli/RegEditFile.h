#pragma once
// REGEDIT4 text: export of a key with everything below it, and import as one batch.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace zf::cli {

// Writes "REGEDIT4", then the key and each key below it with its values. False with a message
// when a key cannot be read or a name cannot be written in this format.
bool ExportRegFile(IRegistry& registry, HKEY hive, const std::string& subKey, const std::string& display,
                   std::ostream& out, std::string* error);

struct RegFileEntry {
  enum class Kind { Key, DeleteKey, Value, DeleteValue } kind;
  int line;  // where the entry starts, from 1
  HKEY hive;
  std::string subKey;
  std::string name;  // of a value; empty for the default value
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};

// Reads a whole REGEDIT4 text. False with "line N: …" in *error at the first line it cannot read.
bool ParseRegFile(std::istream& in, std::vector<RegFileEntry>* entries, std::string* error);

// Applies the entries in one batch: all of them or, on the first failure, none.
bool ApplyRegFile(IRegistry& registry, const std::vector<RegFileEntry>& entries, std::string* error);

}  // namespace zf::cli
