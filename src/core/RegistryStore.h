#pragma once
// The durable registry: one SQLite file holding every hive.
#include <filesystem>
#include <memory>
#include <string>

#include "platform/registry.h"

namespace zf {

// Opens (creating when missing) the store at path. Null with a message naming the file when the
// file is corrupt, not a store, or cannot be created.
std::unique_ptr<IRegistry> OpenRegistryStore(const std::filesystem::path& path, std::string* error);

}  // namespace zf
