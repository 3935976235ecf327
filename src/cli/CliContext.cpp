// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"

#include <ostream>

#include "core/RegistryStore.h"

namespace zf::cli {

int CliContext::UsageError(const std::string& message) {
  err << "zentrofastctl: " << message << "\n";
  return kExitUsage;
}

IRegistry* CliContext::Registry() {
  if (!m_registry) {
    std::string error;
    m_registry = OpenRegistryStore(config.registryFile, &error);
    if (!m_registry) err << "zentrofastctl: " << error << "\n";
  }
  return m_registry.get();
}

}  // namespace zf::cli
