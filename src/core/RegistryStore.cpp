#include "core/RegistryStore.h"

namespace zf {

std::unique_ptr<IRegistry> OpenRegistryStore(const std::filesystem::path& path, std::string* error) {
  if (error) *error = "the registry store is not built yet (" + path.string() + ")";
  return nullptr;
}

}  // namespace zf
